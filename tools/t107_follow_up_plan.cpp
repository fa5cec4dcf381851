// Tool 107: follow-up dates counted from today. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key      label          unit       default
    {kKeyStart, u"首次随访",   u"天后",   7},
    {kKeyGap,   u"随访间隔",   u"天",     7},
    {kKeyTimes, u"随访次数",   u"次",     4},
};

constexpr ToolDef kTool = {
    107,
    u"随访计划",
    u"以今天为基准推算每次随访的日期",
    u"随访管理",
    u"出院患者随访管理制度；起始天数与间隔按专科随访路径确定",
    u"日期按本机当前日期推算；遇节假日请与患者另行约定；随访次数 1-20 次。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    7,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
