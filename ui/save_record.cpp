// Placeholder until the record file lands: the save button does nothing yet.
#include "ui/save_record.h"

namespace tarn {

void SaveRecord() {}

}  // namespace tarn
