// Tool 17, the default program's: a child's single ibuprofen dose, the suspension volume
// that holds it and the daily ceiling. Constant data only; every user reads it in place.
#include "engine/tool.h"

namespace tarn {
namespace {

constexpr char16_t kUnitMg[] = u"mg";

// The tables keep their hand-aligned columns.
// clang-format off
constexpr ToolInput kInputs[] = {
    // key     label            unit        default
    {"w",    u"体重",         u"kg",      12},
    {"dose", u"每次剂量",     u"mg/kg",   10},
    {"conc", u"混悬液浓度",   u"mg/ml",   20},
};

constexpr ToolOutput kOutputs[] = {
    // key       label          unit     formula          format
    {"single", u"单次剂量",   kUnitMg, "w*dose",       "f1"},
    {"ml",     u"给药体积",   u"ml",   "w*dose/conc",  "f2"},
    {"maxday", u"每日上限",   kUnitMg, "w*40",         "f0"},
};

// Written as "not above" and "not inside" so that a value that compares false with
// everything (NaN) is flagged too. First match wins, so the more dangerous flag comes first:
// 40 mg/kg (a day's dose typed as one) must read as above the single-dose ceiling, not as
// 10.01 mg/kg does. The ceilings are a child's: 400 mg a dose, 2400 mg a day.
constexpr ToolRule kRules[] = {
    // condition                                    level  message
    {"!(w>0 && dose>0 && conc>0)",                3, u"请核对：体重、每次剂量和浓度须大于 0"},
    {"!(w*dose<=400)",                            3, u"单次剂量超过儿童单次最大量 400 mg，请核对体重与每次剂量"},
    {"!(dose>=5 && dose<=10)",                    2, u"每次剂量超出参考范围 5-10 mg/kg，请核对"},
    {"!(w*40<=2400)",                             2, u"按体重计算的每日量超过 2400 mg，每日总量不应超过 2400 mg"},
    {"!(w>=6)",                                   2, u"体重过小，6 个月以下婴儿不推荐使用布洛芬"},
    {"!(conc==20 || conc==40)",                   1, u"混悬液浓度不是常用的 20 或 40 mg/ml，请核对药品规格"},
    {"",                                          0, u"按体重计算完成，餐后服用减少胃肠刺激"},
};

constexpr ToolDef kIbuprofenTool = {
    17,
    u"Talvoro",
    u"按体重与混悬液浓度计算毫升数",
    u"儿科用药",
    u"布洛芬 5-10mg/kg/次，间隔 6-8 小时，每日不超过 4 次",
    u"脱水、肾功能不全、消化道溃疡患儿慎用；6 个月以下婴儿不推荐。",
    CountOf(kInputs), kInputs,
    CountOf(kOutputs), kOutputs,
    CountOf(kRules), kRules,
    0,
};
// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kIbuprofenTool; }

}  // namespace tarn
