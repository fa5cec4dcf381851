// The reports made of fixed texts: blood-draw order, high-alert drugs, surgical checklist,
// handover template and laboratory panels. Texts live in the tables below, exactly as shown
// to staff; fixed lines never pass through placeholder expansion (some hold percent signs).
#include "reports/generators.h"
#include "reports/report.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// ---- BloodDrawOrder (kind 3) ----

constexpr const char16_t* kDrawOrderLines[] = {
    u"标准采血顺序（按添加剂，避免交叉污染）：",
    u"1 血培养瓶（需氧/厌氧）",
    u"2 凝血管 淡蓝（枸橼酸钠，凝血 PT/APTT）",
    u"3 促凝/血清管 红或金黄（生化、免疫）",
    u"4 肝素管 绿（血气、部分生化）",
    u"5 EDTA 紫（血常规、糖化、血型）",
    u"6 氟化钠 灰（血糖、乳酸）",
    u"",
};

// "kind" -> the line for this draw.
constexpr LineChoice kDrawThisTime[] = {
    {1, {u"本次：血常规 → 紫管 EDTA，采血后 8 次颠倒混匀，2 小时内送检。"}},
    {2, {u"本次：凝血 → 淡蓝管，需采满刻度线（约 2.0ml），采血后立即轻柔颠倒 3-4 次。"}},
    {3, {u"本次：生化 → 红/金黄管，避免溶血，采血后静置 30 分钟离心。"}},
    {4, {u"本次：血气 → 肝素化注射器，排气后立即送检，15 分钟内完成。"}},
    {5, {u"本次：血培养 → 需氧+厌氧各 1 套，采血 2 套不同部位，先注入培养瓶。"}},
    {6, {u"本次：血糖/乳酸 → 灰管，需冰浴送检，30 分钟内完成。"}},
};

// A number outside 1-6 picks no tube: the other-items advice stays, the number is sent back.
constexpr const char16_t* kDrawNotListed =
    u"本次：项目编号 %ls%ls 不在 1-6 之内，请核对编号；其他项目请按检验科项目手册执行。";
constexpr const char16_t* kDrawOrderVerdict = u"按标准顺序采血可减少溶血与交叉污染";
constexpr const char16_t* kDrawNotListedVerdict = u"采血项目编号须为 1-6，请核对";

// ---- HighAlertDrugs (kind 5) ----

constexpr const char16_t* kHighAlertHeading = u"高警示药品类别与要点：";

// "kind" -> category line, key-points line.
constexpr LineChoice kHighAlertCategories[] = {
    {1,
     {u"高浓度电解质：10% 氯化钾、10% 氯化钠、25% 硫酸镁",
      u"要点：专用标识、专区存放、双人核对、禁止直接静脉推注（钾）。"}},
    {2,
     {u"胰岛素与口服降糖药：胰岛素、格列本脲",
      u"要点：独立存放、专用注射器、剂量双人核对、低血糖监测与急救糖备用。"}},
    {3,
     {u"抗凝与化疗药：肝素、华法林、低分子肝素、化疗药物",
      u"要点：化疗药集中配置与防护、抗凝药监测 INR/APTT、出血风险宣教。"}},
    {4,
     {u"麻醉与肌松药：丙泊酚、维库溴铵、琥珀胆碱、阿片类",
      u"要点：专柜加锁、基数管理、使用后登记、拮抗剂（纳洛酮/新斯的明）备用。"}},
};

constexpr const char16_t* kHighAlertNotListed = u"类别编号 %ls%ls 不在 1-4 之内，请核对编号。";
constexpr const char16_t* kHighAlertVerdict = u"高警示药品须专区、专标识、双人核对";
constexpr const char16_t* kHighAlertNotListedVerdict = u"高警示药品类别编号须为 1-4，请核对";

// ---- SurgicalChecklist (kind 8) ----

constexpr const char16_t* kChecklistLines[] = {
    u"手术安全核查表（三步核查）：",
    u"【麻醉实施前】身份/部位/术式/知情同意；过敏史；气道与插管风险；出血风险；影像与植入物；皮肤准备。",
    u"【手术开始前】团队自我介绍；确认患者、部位、术式；预计手术时间与失血量；抗菌药物已用；器械灭菌合格；影像资料到位。",
    u"【患者离室前】手术名称与记录一致；标本标识与送检；器械敷料清点；皮肤与管路；恢复与转运方案。",
    u"",
    u"要求：三方（外科、麻醉、护理）共同口述确认并签字，任一环节缺失不得开台。",
};

constexpr const char16_t* kChecklistVerdict = u"三方核查缺一不可，签字后归档";

// ---- HandoverTemplate (kind 9) ----

constexpr std::int32_t kMinBeds = 1;
constexpr std::int32_t kMaxBeds = 30;

constexpr const char16_t* kHandoverHeading =
    u"交班报告（床号 / 诊断 / 本班病情 / 治疗与管路 / 需下一班关注）：";
// One line per bed; "%%" prints the single percent sign after SpO2＿.
constexpr const char16_t* kHandoverBedTemplate =
    u"%02d 床：诊断＿＿；体温＿℃ 脉搏＿次/分 呼吸＿次/分 血压＿/＿mmHg SpO2＿%%；本班处置＿＿；"
    u"管路（静脉/引流/导尿/吸氧）＿＿；下一班关注＿＿。";
constexpr const char16_t* kHandoverClosing =
    u"危重患者须床旁交接；新入院、手术、输血、病情变化患者逐一交接并双签名。";

// Shown under the heading only when the typed number of beds is not what the form lists.
constexpr const char16_t* kHandoverCountTemplate = u"床位数：%ls 床%ls";
constexpr const char16_t* kHandoverVerdict = u"模板已生成，床旁交接并双方签名";
constexpr const char16_t* kHandoverCountVerdict = u"床位数须为 1-30 的整数，请核对";

// ---- LabPanels (kind 11) ----

// "panel" -> panel line, note line; no heading.
constexpr LineChoice kLabPanels[] = {
    {1,
     {u"血常规（紫管 EDTA）：WBC、RBC、Hb、Hct、PLT、MCV/MCH/MCHC、中性/淋巴/单核/嗜酸/嗜碱比例。",
      u"注意：剧烈运动、情绪、采血时间可影响结果；PLT 聚集需涂片复核。"}},
    {2,
     {u"生化全套（红/金黄管）：肝功（ALT/AST/ALP/GGT/胆红素/白蛋白）、肾功（BUN/Cr/UA）、血糖、血脂、电解质。",
      u"注意：空腹 8-12 小时；溶血标本钾、AST 假性升高。"}},
    {3,
     {u"凝血四项（淡蓝管）：PT、INR、APTT、TT、纤维蛋白原、D-二聚体。",
      u"注意：采血量必须达刻度；肝素治疗中查 APTT。"}},
    {4,
     {u"甲状腺功能（红/金黄管）：TSH、FT3、FT4、TPOAb、TgAb。",
      u"注意：空腹；含碘造影剂后 1 周内避免复查。"}},
    {5,
     {u"心肌损伤标志物：cTnI/cTnT、CK-MB、肌红蛋白、BNP/NT-proBNP。",
      u"注意：胸痛发作后 2-4 小时开始升高；动态复查更有意义。"}},
    {6,
     {u"尿常规（清洁中段尿）：尿蛋白、尿糖、尿潜血、白细胞、亚硝酸盐、比重、pH、镜检。",
      u"注意：留取中段尿，1 小时内送检；月经期避免。"}},
};

constexpr const char16_t* kLabPanelsNotListed = u"套餐编号 %ls%ls 不在 1-6 之内，请核对编号。";
constexpr const char16_t* kLabPanelsVerdict = u"套餐与采血管已列出，按顺序采血";
constexpr const char16_t* kLabPanelsNotListedVerdict = u"检验套餐编号须为 1-6，请核对";

}  // namespace

Level BloodDrawOrder(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                     std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const double kind = InputValue(tool, inputValues, kKeyKind);
  ReportVerdict verdict = {0, kDrawOrderVerdict};
  for (const char16_t* line : kDrawOrderLines) WriteFixedLine(out, line);
  WriteChoiceOrAsk(out, FindChoice(kDrawThisTime, kind), kind, kDrawNotListed,
                   kDrawNotListedVerdict, verdict);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

Level HighAlertDrugs(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                     std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const double kind = InputValue(tool, inputValues, kKeyKind);
  ReportVerdict verdict = {0, kHighAlertVerdict};
  WriteFixedLine(out, kHighAlertHeading);
  WriteChoiceOrAsk(out, FindChoice(kHighAlertCategories, kind), kind, kHighAlertNotListed,
                   kHighAlertNotListedVerdict, verdict);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

Level SurgicalChecklist(const ToolDef& /*tool*/, const double* /*inputValues*/,
                        char16_t* resultText, std::int32_t resultCapacity, char16_t* verdictText,
                        std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  for (const char16_t* line : kChecklistLines) WriteFixedLine(out, line);
  StoreVerdict(verdictText, verdictCapacity, kChecklistVerdict);
  return 0;
}

Level HandoverTemplate(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                       std::int32_t resultCapacity, char16_t* verdictText,
                       std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  ReportVerdict verdict = {0, kHandoverVerdict};
  ListedCount beds = {};
  ReadCount(InputValue(tool, inputValues, kKeyBeds), kMinBeds, kMaxBeds, u"床",
            kHandoverCountVerdict, verdict, beds);
  WriteFixedLine(out, kHandoverHeading);
  if (verdict.level > 0) WriteLine(out, kHandoverCountTemplate, beds.number, beds.note);
  for (std::int32_t bed = 1; bed <= beds.count; ++bed) {
    WriteLine(out, kHandoverBedTemplate, bed);
  }
  WriteFixedLine(out, u"");
  WriteFixedLine(out, kHandoverClosing);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

Level LabPanels(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                std::int32_t resultCapacity, char16_t* verdictText, std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const double panel = InputValue(tool, inputValues, kKeyPanel);
  ReportVerdict verdict = {0, kLabPanelsVerdict};
  WriteChoiceOrAsk(out, FindChoice(kLabPanels, panel), panel, kLabPanelsNotListed,
                   kLabPanelsNotListedVerdict, verdict);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

}  // namespace tarn
