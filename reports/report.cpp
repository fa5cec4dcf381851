// Report dispatch. Until the report generators arrive every kind gives the no-report texts.
#include "reports/report.h"

#include "text/buffer.h"

namespace tarn {

Level RunReport(ReportKind, const ToolDef&, const double*, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText,
                std::int32_t verdictCapacity) {
  CopyText(resultText, resultCapacity, u"（该工具暂无自定义报告）");
  CopyText(verdictText, verdictCapacity, u"暂无报告内容");
  return 0;
}

}  // namespace tarn
