// Tool 108: the three-step surgical safety checklist. Constant data only; it has no inputs.
#include "engine/tool.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolDef kTool = {
    108,
    u"手术安全核查",
    u"麻醉实施前、手术开始前、患者离室前三步核查",
    u"手术管理",
    u"《手术安全核查制度》；世界卫生组织《手术安全核查表》",
    u"核查由具有执业资质的手术医师、麻醉医师和手术室护士三方共同完成并逐项签字，不得代签。",
    0, nullptr,
    0, nullptr,
    0, nullptr,
    8,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
