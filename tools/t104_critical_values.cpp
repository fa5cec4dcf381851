// Tool 104: laboratory critical values. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key     label          unit     default
    {kKeyKind, u"项目组别",   u"1-6",  1},
};

constexpr ToolDef kTool = {
    104,
    u"检验危急值",
    u"常见检验危急值界值与报告处置流程",
    u"检验管理",
    u"危急值报告制度；界值以本院检验科《危急值报告目录》为准",
    u"组别：1 电解质、2 血糖与血气、3 血细胞、4 凝血、5 微生物、6 心肌与胰酶。"
    u"所列界值为成人参考，儿童与新生儿另有界值；接获危急值须复述确认并记录。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    4,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
