// The fixed-text reports: exact texts, the row each whole number selects, and the bed clamp.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "report_fixture.h"
#include "reports/generators.h"

namespace tarn {
namespace {

using testing_reports::Lines;
using testing_reports::RunGenerator;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(BloodDrawOrder, WithoutKindShowsTheOrderAndAsksForTheNumber) {
  const auto outcome = RunGenerator(BloodDrawOrder, {});
  EXPECT_EQ(outcome.result,
            "标准采血顺序（按添加剂，避免交叉污染）：\r\n"
            "1 血培养瓶（需氧/厌氧）\r\n"
            "2 凝血管 淡蓝（枸橼酸钠，凝血 PT/APTT）\r\n"
            "3 促凝/血清管 红或金黄（生化、免疫）\r\n"
            "4 肝素管 绿（血气、部分生化）\r\n"
            "5 EDTA 紫（血常规、糖化、血型）\r\n"
            "6 氟化钠 灰（血糖、乳酸）\r\n"
            "\r\n"
            "本次：项目编号 0 不在 1-6 之内，请核对编号；其他项目请按检验科项目手册执行。\r\n");
  EXPECT_EQ(outcome.verdict, "采血项目编号须为 1-6，请核对");
  EXPECT_EQ(outcome.level, 1);
}

TEST(BloodDrawOrder, KindSelectsTheLineForThisDraw) {
  struct Case {
    double kind;
    const char* line;
    Level level;
  };
  const auto notListed = [](const char* number) {
    return std::string("本次：项目编号 ") + number +
           " 不在 1-6 之内，请核对编号；其他项目请按检验科项目手册执行。";
  };
  const std::string seven = notListed("7");
  const std::string minusOne = notListed("-1");
  const std::string nan = notListed("（超出范围）");
  // 2.7 and 4.99 once chose the tubes of 2 and 4; 7 read as "other items" at level 0.
  const std::string twoSeven = notListed("2.7（须为整数）");
  const std::string nearlyFive = notListed("4.99（须为整数）");
  const Case cases[] = {
      {1, "本次：血常规 → 紫管 EDTA，采血后 8 次颠倒混匀，2 小时内送检。", 0},
      {2, "本次：凝血 → 淡蓝管，需采满刻度线（约 2.0ml），采血后立即轻柔颠倒 3-4 次。", 0},
      {3, "本次：生化 → 红/金黄管，避免溶血，采血后静置 30 分钟离心。", 0},
      {4, "本次：血气 → 肝素化注射器，排气后立即送检，15 分钟内完成。", 0},
      {5, "本次：血培养 → 需氧+厌氧各 1 套，采血 2 套不同部位，先注入培养瓶。", 0},
      {6, "本次：血糖/乳酸 → 灰管，需冰浴送检，30 分钟内完成。", 0},
      {2.7, twoSeven.c_str(), 2},
      {4.99, nearlyFive.c_str(), 2},
      {7, seven.c_str(), 1},
      {-1, minusOne.c_str(), 1},
      {kNaN, nan.c_str(), 2},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(BloodDrawOrder, {{"kind", c.kind}});
    const auto lines = Lines(outcome.result);
    ASSERT_EQ(lines.size(), 10u);  // nine lines and the empty text after the last CR LF
    EXPECT_EQ(lines[8], c.line) << c.kind;
    EXPECT_EQ(outcome.verdict,
              c.level == 0 ? "按标准顺序采血可减少溶血与交叉污染" : "采血项目编号须为 1-6，请核对");
    EXPECT_EQ(outcome.level, c.level) << c.kind;
  }
}

TEST(HighAlertDrugs, KindOneKeepsItsPercentSigns) {
  const auto outcome = RunGenerator(HighAlertDrugs, {{"kind", 1}});
  EXPECT_EQ(outcome.result,
            "高警示药品类别与要点：\r\n"
            "高浓度电解质：10% 氯化钾、10% 氯化钠、25% 硫酸镁\r\n"
            "要点：专用标识、专区存放、双人核对、禁止直接静脉推注（钾）。\r\n");
  EXPECT_EQ(outcome.verdict, "高警示药品须专区、专标识、双人核对");
  EXPECT_EQ(outcome.level, 0);
}

TEST(HighAlertDrugs, KindSelectsACategoryAndAnyOtherNumberIsAskedFor) {
  struct Case {
    double kind;
    const char* category;
    const char* points;  // null: no category is shown, the number is asked for
  };
  const char* const anaesthetics = "麻醉与肌松药：丙泊酚、维库溴铵、琥珀胆碱、阿片类";
  const char* const anaestheticPoints =
      "要点：专柜加锁、基数管理、使用后登记、拮抗剂（纳洛酮/新斯的明）备用。";
  const Case cases[] = {
      {2, "胰岛素与口服降糖药：胰岛素、格列本脲",
       "要点：独立存放、专用注射器、剂量双人核对、低血糖监测与急救糖备用。"},
      {3, "抗凝与化疗药：肝素、华法林、低分子肝素、化疗药物",
       "要点：化疗药集中配置与防护、抗凝药监测 INR/APTT、出血风险宣教。"},
      {4, anaesthetics, anaestheticPoints},
      // 0, 5 and -1 once showed the anaesthetics as chosen, and 3.5 the anticoagulants.
      {0, "类别编号 0 不在 1-4 之内，请核对编号。", nullptr},
      {5, "类别编号 5 不在 1-4 之内，请核对编号。", nullptr},
      {-1, "类别编号 -1 不在 1-4 之内，请核对编号。", nullptr},
      {3.5, "类别编号 3.5（须为整数） 不在 1-4 之内，请核对编号。", nullptr},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(HighAlertDrugs, {{"kind", c.kind}});
    const auto lines = Lines(outcome.result);
    ASSERT_EQ(lines.size(), c.points != nullptr ? 4u : 3u);
    EXPECT_EQ(lines[1], c.category) << c.kind;
    if (c.points != nullptr) {
      EXPECT_EQ(lines[2], c.points) << c.kind;
      EXPECT_EQ(outcome.level, 0);
    } else {
      EXPECT_EQ(outcome.verdict, "高警示药品类别编号须为 1-4，请核对");
      EXPECT_EQ(outcome.level, c.kind == 3.5 ? 2 : 1) << c.kind;
    }
  }
  EXPECT_EQ(Lines(RunGenerator(HighAlertDrugs, {}).result)[1],
            "类别编号 0 不在 1-4 之内，请核对编号。");
}

TEST(SurgicalChecklist, IsItsSixFixedLines) {
  const auto outcome = RunGenerator(SurgicalChecklist, {{"kind", 3}});
  EXPECT_EQ(
      outcome.result,
      "手术安全核查表（三步核查）：\r\n"
      "【麻醉实施前】身份/部位/术式/知情同意；过敏史；气道与插管风险；出血风险；影像与植入物；皮肤准备。\r\n"
      "【手术开始前】团队自我介绍；确认患者、部位、术式；预计手术时间与失血量；抗菌药物已用；器械灭菌合格；影像资料到位。\r\n"
      "【患者离室前】手术名称与记录一致；标本标识与送检；器械敷料清点；皮肤与管路；恢复与转运方案。\r\n"
      "\r\n"
      "要求：三方（外科、麻醉、护理）共同口述确认并签字，任一环节缺失不得开台。\r\n");
  EXPECT_EQ(outcome.verdict, "三方核查缺一不可，签字后归档");
  EXPECT_EQ(outcome.level, 0);
}

constexpr const char* kBedLineTail =
    " 床：诊断＿＿；体温＿℃ 脉搏＿次/分 呼吸＿次/分 血压＿/＿mmHg SpO2＿%；本班处置＿＿；"
    "管路（静脉/引流/导尿/吸氧）＿＿；下一班关注＿＿。";

TEST(HandoverTemplate, TwoBedsGiveTheWholeFormWithOnePercentSign) {
  const auto outcome = RunGenerator(HandoverTemplate, {{"beds", 2}});
  EXPECT_EQ(outcome.result,
            std::string("交班报告（床号 / 诊断 / 本班病情 / 治疗与管路 / 需下一班关注）：\r\n") +
                "01" + kBedLineTail + "\r\n" + "02" + kBedLineTail + "\r\n" + "\r\n" +
                "危重患者须床旁交接；新入院、手术、输血、病情变化患者逐一交接并双签名。\r\n");
  EXPECT_EQ(outcome.verdict, "模板已生成，床旁交接并双方签名");
  EXPECT_EQ(outcome.level, 0);
}

TEST(HandoverTemplate, BedsAreClampedToOneThroughThirtyAndSaySo) {
  struct Case {
    std::vector<testing_reports::KeyValue> inputs;
    std::size_t beds;
    const char* count;  // the line under the heading; null: none, the typed count is listed
  };
  // 45 beds once listed 30 without a word, 9.9 listed 9 and 1e12 listed 1.
  const Case cases[] = {
      {{}, 1, "床位数：1 床（至少列出 1 床，已输入 0 床）"},
      {{{"beds", 0}}, 1, "床位数：1 床（至少列出 1 床，已输入 0 床）"},
      {{{"beds", -5}}, 1, "床位数：1 床（至少列出 1 床，已输入 -5 床）"},
      {{{"beds", kNaN}}, 0, "床位数：（超出范围） 床"},
      {{{"beds", 9.9}}, 0, "床位数：9.9 床（须为整数）"},
      {{{"beds", 30}}, 30, nullptr},
      {{{"beds", 45}}, 30, "床位数：30 床（最多列出 30 床，已输入 45 床）"},
      {{{"beds", 1e12}}, 30, "床位数：30 床（最多列出 30 床，已输入 1000000000000 床）"},
      {{{"bed", 5}}, 1, "床位数：1 床（至少列出 1 床，已输入 0 床）"},  // the key is "beds"
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(HandoverTemplate, c.inputs);
    auto lines = Lines(outcome.result);
    if (c.count != nullptr) {
      ASSERT_GE(lines.size(), 2u);
      EXPECT_EQ(lines[1], c.count);
      lines.erase(lines.begin() + 1);
      EXPECT_EQ(outcome.verdict, "床位数须为 1-30 的整数，请核对");
      EXPECT_EQ(outcome.level, 2);
    } else {
      EXPECT_EQ(outcome.level, 0);
    }
    ASSERT_EQ(lines.size(), c.beds + 4) << c.beds;
    for (std::size_t bed = 1; bed <= c.beds; ++bed) {
      const std::string number = (bed < 10 ? "0" : "") + std::to_string(bed);
      EXPECT_EQ(lines[bed], number + kBedLineTail);
    }
  }
}

TEST(LabPanels, PanelSelectsTwoLinesWithoutHeading) {
  struct Case {
    double panel;
    const char* panelLine;
    const char* note;  // null: no panel is shown, the number is asked for
  };
  const char* const urine =
      "尿常规（清洁中段尿）：尿蛋白、尿糖、尿潜血、白细胞、亚硝酸盐、比重、pH、镜检。";
  const char* const urineNote = "注意：留取中段尿，1 小时内送检；月经期避免。";
  const Case cases[] = {
      {1,
       "血常规（紫管 EDTA）：WBC、RBC、Hb、Hct、PLT、MCV/MCH/MCHC、中性/淋巴/单核/嗜酸/嗜碱比例。",
       "注意：剧烈运动、情绪、采血时间可影响结果；PLT 聚集需涂片复核。"},
      {2,
       "生化全套（红/金黄管）：肝功（ALT/AST/ALP/GGT/胆红素/白蛋白）、肾功（BUN/Cr/UA）、血糖、血脂、电解质。",
       "注意：空腹 8-12 小时；溶血标本钾、AST 假性升高。"},
      {3, "凝血四项（淡蓝管）：PT、INR、APTT、TT、纤维蛋白原、D-二聚体。",
       "注意：采血量必须达刻度；肝素治疗中查 APTT。"},
      {4, "甲状腺功能（红/金黄管）：TSH、FT3、FT4、TPOAb、TgAb。",
       "注意：空腹；含碘造影剂后 1 周内避免复查。"},
      {5, "心肌损伤标志物：cTnI/cTnT、CK-MB、肌红蛋白、BNP/NT-proBNP。",
       "注意：胸痛发作后 2-4 小时开始升高；动态复查更有意义。"},
      {6, urine, urineNote},
      // 0, 7 and NaN once showed the urine panel as chosen, and 5.5 the cardiac one.
      {0, "套餐编号 0 不在 1-6 之内，请核对编号。", nullptr},
      {7, "套餐编号 7 不在 1-6 之内，请核对编号。", nullptr},
      {5.5, "套餐编号 5.5（须为整数） 不在 1-6 之内，请核对编号。", nullptr},
      {kNaN, "套餐编号 （超出范围） 不在 1-6 之内，请核对编号。", nullptr},
  };
  for (const Case& c : cases) {
    const auto outcome = RunGenerator(LabPanels, {{"panel", c.panel}});
    if (c.note != nullptr) {
      EXPECT_EQ(outcome.result, std::string(c.panelLine) + "\r\n" + c.note + "\r\n") << c.panel;
      EXPECT_EQ(outcome.verdict, "套餐与采血管已列出，按顺序采血");
      EXPECT_EQ(outcome.level, 0);
    } else {
      EXPECT_EQ(outcome.result, std::string(c.panelLine) + "\r\n") << c.panel;
      EXPECT_EQ(outcome.verdict, "检验套餐编号须为 1-6，请核对");
      EXPECT_EQ(outcome.level, c.panel == 0 || c.panel == 7 ? 1 : 2) << c.panel;
    }
  }
}

}  // namespace
}  // namespace tarn
