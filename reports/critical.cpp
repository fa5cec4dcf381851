// Laboratory critical values and the two-drug compatibility check with its drug table. The
// pair table below grades the answer; a pair it does not name is never guessed at, and a
// number outside the table is sent back to be checked.
#include "reports/generators.h"
#include "reports/report.h"
#include "reports/report_keys.h"

namespace tarn {
namespace {

// The drugs that DrugCompatibility knows, numbered 1 to 10.
constexpr const char16_t* kCompatDrugs[kCompatDrugCount] = {
    u"头孢曲松",    //  1  ceftriaxone
    u"葡萄糖酸钙",  //  2  calcium gluconate
    u"万古霉素",    //  3  vancomycin
    u"呋塞米",      //  4  furosemide
    u"氨溴索",      //  5  ambroxol
    u"奥美拉唑",    //  6  omeprazole
    u"维生素C",     //  7  vitamin C
    u"胰岛素",      //  8  insulin
    u"碳酸氢钠",    //  9  sodium bicarbonate
    u"多巴胺",      // 10  dopamine
};

// ---- CriticalValues (kind 4) ----

constexpr const char16_t* kCriticalHeading = u"常见检验危急值（参考，需以本院文件为准）：";

// Group -> its lines: 1 electrolytes, 2 glucose and blood gas, 3 blood counts,
// 4 coagulation, 5 microbiology, 6 cardiac and pancreatic enzymes.
constexpr LineChoice kCriticalGroups[] = {
    {1, {u"血钾 <2.5 或 >6.5 mmol/L", u"血钠 <120 或 >160 mmol/L", u"血钙 <1.5 或 >3.5 mmol/L"}},
    {2, {u"血糖 <2.8 或 >22.2 mmol/L", u"pH <7.20 或 >7.60；PaO2 <45 mmHg；PaCO2 >70 mmHg"}},
    {3, {u"白细胞 <1.0 或 >30.0 ×10^9/L", u"血红蛋白 <50 g/L；血小板 <20 或 >1000 ×10^9/L"}},
    {4, {u"INR >4.0；纤维蛋白原 <1.0 g/L", u"D-二聚体显著升高并伴临床血栓表现"}},
    {5, {u"血培养阳性（无菌部位）", u"脑脊液培养阳性；HIV 初筛阳性需确认"}},
    {6, {u"肌钙蛋白明显升高（高于第 99 百分位）", u"血淀粉酶/脂肪酶 >3 倍正常上限"}},
};

// A group number outside 1-6 shows no group's values: the catalogue advice stays.
constexpr const char16_t* kCriticalNotListed =
    u"组别编号 %ls%ls 不在 1-6 之内，请核对编号；其他项目请查阅本院《危急值报告目录》";
constexpr const char16_t* kCriticalNotListedVerdict = u"危急值组别编号须为 1-6，请核对";

constexpr const char16_t* kCriticalHandling =
    u"处置要求：核实标本→15 分钟内电话报告临床→记录报告与接听人→医师 30 分钟内处理并记录。";
constexpr const char16_t* kCriticalVerdict = u"危急值必须闭环：报告、接收、处理、记录";

// ---- DrugCompatibility (kind 6) ----

constexpr const char16_t* kQueryTemplate = u"待查：%ls%ls 号 %ls  +  %ls%ls 号 %ls";
constexpr const char16_t* kNumberingLines[] = {
    u"编号：1头孢曲松 2葡萄糖酸钙 3万古霉素 4呋塞米 5氨溴索",
    u"      6奥美拉唑 7维生素C 8胰岛素 9碳酸氢钠 10多巴胺",
};

struct Conclusion {
  const char16_t* line;
  const char16_t* verdict;
  Level level;  // 3 contraindicated, 2 not in one bottle, 1 better apart, 0 nothing recorded
};

constexpr Conclusion kContraindicated = {
    u"结论：禁忌配伍。头孢曲松与含钙注射液可形成不溶性沉淀；钙剂与碳酸氢钠亦不宜同瓶。",
    u"禁忌：不可同瓶输注，需间隔冲管", 3};
constexpr Conclusion kVancomycinApart = {
    u"结论：不宜同瓶。万古霉素与碱性药物/奥美拉唑配伍稳定性差，应分开输注并冲管。",
    u"不宜同瓶，分开输注并冲管", 2};
constexpr Conclusion kMixtureChanges = {
    u"结论：不宜同瓶。呋塞米与多巴胺、氨溴索与碱性液混合易发生理化变化。",
    u"不宜同瓶，建议分开输注", 2};
constexpr Conclusion kBetterApart = {
    u"结论：奥美拉唑与维生素C 同瓶 pH 冲突，稳定性下降，建议分开。", u"建议分开输注", 1};
constexpr Conclusion kNothingRecorded = {
    u"结论：本工具库内未收录该组合的明确禁忌，但仍须查本院配伍表并现配现用、注意冲管。",
    u"未收录明确禁忌，仍需核对院内配伍表", 0};

// A number outside the table was never looked up: saying "nothing recorded" would pass an
// unchecked pair as checked. A fraction is no drug number either, and is shown as typed.
constexpr Conclusion kUnknownNumber = {u"结论：药品编号须为 1-10，请核对编号后重新查询。",
                                       u"药品编号须为 1-10，请核对", 1};
// One drug twice is no pair: most likely the second number was not changed.
constexpr Conclusion kSameNumber = {u"结论：两种药品编号相同，请核对编号后重新查询。",
                                    u"两种药品编号相同，请核对", 1};

// Unordered pairs by drug number, smaller number first.
struct PairRule {
  std::int32_t lo;
  std::int32_t hi;
  const Conclusion* conclusion;
};

constexpr PairRule kPairRules[] = {
    {1, 2, &kContraindicated},  // ceftriaxone + calcium
    {2, 9, &kContraindicated},  // calcium + bicarbonate
    {3, 6, &kVancomycinApart},  // vancomycin + omeprazole
    {3, 9, &kVancomycinApart},  // vancomycin + bicarbonate
    {4, 10, &kMixtureChanges},  // furosemide + dopamine
    {5, 9, &kMixtureChanges},   // ambroxol + bicarbonate
    {6, 7, &kBetterApart},      // omeprazole + vitamin C
};

bool IsKnownDrug(std::int32_t number) { return number >= 1 && number <= kCompatDrugCount; }

const Conclusion& FindConclusion(std::int32_t a, std::int32_t b) {
  if (!IsKnownDrug(a) || !IsKnownDrug(b)) return kUnknownNumber;
  if (a == b) return kSameNumber;
  const std::int32_t lo = a < b ? a : b;
  const std::int32_t hi = a < b ? b : a;
  for (const PairRule& rule : kPairRules) {
    if (rule.lo == lo && rule.hi == hi) return *rule.conclusion;
  }
  return kNothingRecorded;
}

}  // namespace

const char16_t* CompatDrugName(std::int32_t number) {
  if (!IsKnownDrug(number)) return kUnknownCompatDrug;
  return kCompatDrugs[number - 1];
}

Level CriticalValues(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                     std::int32_t resultCapacity, char16_t* verdictText,
                     std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  const double group = InputValue(tool, inputValues, kKeyKind);
  ReportVerdict verdict = {0, kCriticalVerdict};
  WriteFixedLine(out, kCriticalHeading);
  WriteChoiceOrAsk(out, FindChoice(kCriticalGroups, group), group, kCriticalNotListed,
                   kCriticalNotListedVerdict, verdict);
  WriteFixedLine(out, u"");
  WriteFixedLine(out, kCriticalHandling);
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

Level DrugCompatibility(const ToolDef& tool, const double* inputValues, char16_t* resultText,
                        std::int32_t resultCapacity, char16_t* verdictText,
                        std::int32_t verdictCapacity) {
  TextWriter out = TextWriter::After(resultText, resultCapacity);
  ReportVerdict verdict = {0, nullptr};
  WholeField a = {};
  WholeField b = {};
  ReadWholeField(InputValue(tool, inputValues, kKeyDrugA), kUnknownNumber.verdict, verdict, a);
  ReadWholeField(InputValue(tool, inputValues, kKeyDrugB), kUnknownNumber.verdict, verdict, b);
  WriteLine(out, kQueryTemplate, a.number, a.mark, CompatDrugName(a.whole), b.number, b.mark,
            CompatDrugName(b.whole));
  WriteFixedLine(out, u"");
  for (const char16_t* line : kNumberingLines) WriteFixedLine(out, line);
  WriteFixedLine(out, u"");
  const Conclusion& conclusion = FindConclusion(a.whole, b.whole);
  WriteFixedLine(out, conclusion.line);
  // A number marked as unusable keeps the higher level of its mark over the conclusion's.
  RaiseVerdict(verdict, conclusion.level, conclusion.verdict);
  if (verdict.text == nullptr) verdict.text = conclusion.verdict;
  return FinishVerdict(verdict, verdictText, verdictCapacity);
}

}  // namespace tarn
