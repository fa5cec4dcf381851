// Tool 102: the equal-interval dosing timetable. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key         label          unit       default
    {kKeyStart,    u"首剂时间",   u"时",     8},
    {kKeyInterval, u"给药间隔",   u"小时",   8},
    {kKeyTimes,    u"给药次数",   u"次",     3},
};

constexpr ToolDef kTool = {
    102,
    u"给药时间表",
    u"按首剂时间与给药间隔推算每次给药的日期与时刻",
    u"临床用药",
    u"按药品说明书规定的给药间隔执行；抗菌药物参考《抗菌药物临床应用指导原则》，"
    u"结合半衰期与肝肾功能调整",
    u"首剂时间按 24 小时制填写（8 表示 8:00，8.5 表示 8:30）；间隔不填时按 8 小时计；"
    u"肾功能不全患者请先核对调整后的给药间隔。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    2,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
