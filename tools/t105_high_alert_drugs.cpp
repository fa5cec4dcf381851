// Tool 105: high-alert medicine categories. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key     label          unit     default
    {kKeyKind, u"药品类别",   u"1-4",  1},
};

constexpr ToolDef kTool = {
    105,
    u"高警示药品",
    u"高警示药品分类与储存、调配、使用要点",
    u"药事管理",
    u"中国药学会医院药学专业委员会《中国高警示药品推荐目录》；本院高警示药品管理制度",
    u"类别：1 高浓度电解质、2 胰岛素与口服降糖药、3 抗凝与化疗药、4 麻醉与肌松药。"
    u"高警示药品使用不当可致严重伤害甚至死亡，各环节均须双人核对。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    5,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
