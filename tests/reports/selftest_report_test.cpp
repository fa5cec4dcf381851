// The self-test of a report tool: one OUT line standing for the report, the report's own level
// and verdict, and the report text flattened onto the DETAIL line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/selftest.h"
#include "report_fixture.h"

namespace tarn {
namespace {

using testing_reports::ReportTool;
using testing_reports::Utf8;

TEST(SelfTestOfAReportTool, ShowsOneOutLineAndTheFlattenedReport) {
  const ReportTool tool(6, {{"drugA", 2}, {"drugB", 1}});  // defaults are the values
  std::vector<char16_t> report(kSelfTestReportCapacity, 0);
  const int code = BuildSelfTestReport(tool.Tool(), report.data(), kSelfTestReportCapacity);
  EXPECT_EQ(code, 0);  // a report has no outputs that could fail
  EXPECT_EQ(Utf8(report.data()),
            "TOOL|900|报告工具|报告\r\n"
            "LEVEL|3\r\n"
            "OUT|报告文本|见 DETAIL|\r\n"
            "VERDICT|禁忌：不可同瓶输注，需间隔冲管\r\n"
            "DETAIL|待查：2 号 葡萄糖酸钙  +  1 号 头孢曲松  "
            "编号：1头孢曲松 2葡萄糖酸钙 3万古霉素 4呋塞米 5氨溴索 "
            "      6奥美拉唑 7维生素C 8胰岛素 9碳酸氢钠 10多巴胺  "
            "结论：禁忌配伍。头孢曲松与含钙注射液可形成不溶性沉淀；钙剂与碳酸氢钠亦不宜同瓶。 \r\n"
            "ERRORS|0\r\n");
}

}  // namespace
}  // namespace tarn
