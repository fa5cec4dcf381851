// Tool 101: the nurse three-shift rota. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key       label          unit     default
    {kKeyNurses, u"护士人数",   u"人",   6},
    {kKeyDays,   u"排班天数",   u"天",   7},
};

constexpr ToolDef kTool = {
    101,
    u"护理排班表",
    u"白班、夜班、休息三班轮转，按人员顺序滚动生成",
    u"护理管理",
    u"本院护理人力资源管理制度：每班按能级搭配，夜班后安排休息",
    u"生成的排班表为草稿，须由护士长按实际人数、能级、休假与培训安排审核调整；"
    u"人数 1-40 人，天数 1-31 天。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    1,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
