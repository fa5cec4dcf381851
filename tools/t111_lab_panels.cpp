// Tool 111: laboratory panels and their sampling notes. Constant data only.
#include "engine/tool.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The record is laid out like the table it comes from.
// clang-format off

constexpr ToolInput kInputs[] = {
    // key      label          unit     default
    {kKeyPanel, u"套餐编号",   u"1-6",  1},
};

constexpr ToolDef kTool = {
    111,
    u"检验套餐",
    u"常用检验套餐的项目、采血管与采样注意事项",
    u"检验采集",
    u"本院检验项目手册；WS/T 661-2020《静脉血液标本采集指南》",
    u"套餐：1 血常规、2 生化全套、3 凝血四项、4 甲状腺功能、5 心肌损伤标志物、6 尿常规。"
    u"采样前核对患者身份与检验项目。",
    CountOf(kInputs), kInputs,
    0, nullptr,
    0, nullptr,
    11,
};

// clang-format on

}  // namespace

const ToolDef& GetBuiltInTool() { return kTool; }

}  // namespace tarn
