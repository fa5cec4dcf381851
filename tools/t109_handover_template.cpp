// Tool 109: the bedside shift handover form. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key     label        unit     default
    {kKeyBeds, u"床位数",   u"床",   6},
};

constexpr ToolDef kTool = {
    109,
    u"交班报告模板",
    u"按床位生成床旁交接班记录模板",
    u"护理管理",
    u"护理交接班制度：危重、新入院、手术、输血及病情变化患者床旁交接",
    u"模板空格处须逐项填写；生命体征以交班前最后一次测量为准；床位数 1-30 床。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    9,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
