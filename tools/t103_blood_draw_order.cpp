// Tool 103: the order of blood-collection tubes. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key     label          unit     default
    {kKeyKind, u"检验项目",   u"1-6",  1},
};

constexpr ToolDef kTool = {
    103,
    u"采血顺序",
    u"按试管添加剂确定采血先后，避免添加剂交叉污染",
    u"检验采集",
    u"WS/T 661-2020《静脉血液标本采集指南》",
    u"项目：1 血常规、2 凝血、3 生化、4 血气、5 血培养、6 血糖/乳酸。"
    u"使用蝶翼针且首管为凝血管时，应先用弃血管排出管路内空气。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    3,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
