// Tool 110: the bedside intravenous infusion card. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key       label          unit        default
    {kKeyBed,    u"床号",       nullptr,    12},
    {kKeyDose,   u"医嘱药量",   nullptr,    0.5},
    {kKeyVolume, u"溶媒量",     u"ml",      100},
    {kKeyGtt,    u"滴速",       u"滴/分",   40},
};

constexpr ToolDef kTool = {
    110,
    u"静脉输液卡",
    u"床旁输液卡：药液、滴速与每小时输液量",
    u"静脉用药",
    u"WS/T 433-2013《静脉治疗护理技术操作规范》",
    u"每小时输液量按每毫升 20 滴的输液器换算（滴速 × 3）；"
    u"使用其他滴系数的输液器时请另行换算。医嘱药量按医嘱单位填写。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    10,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
