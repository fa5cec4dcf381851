// Tool 106: whether two injections may share one infusion. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key      label            unit      default
    {kKeyDrugA, u"药品甲编号",   u"1-10",  1},
    {kKeyDrugB, u"药品乙编号",   u"1-10",  2},
};

constexpr ToolDef kTool = {
    106,
    u"配伍禁忌查询",
    u"两种注射剂能否同瓶输注的配伍判断",
    u"静脉用药",
    u"药品说明书；本院静脉用药配伍禁忌表",
    u"本工具仅收录少数常见组合，未收录不代表可以配伍；"
    u"输注中出现浑浊、沉淀或变色，立即停止输注并报告。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    6,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
