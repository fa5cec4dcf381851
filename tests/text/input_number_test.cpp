// The input box rule: which texts give a number and which are refused (NaN) instead of being
// read as 0 or as the part before something the user did not mean as the end of the number.
#include "text/input_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tarn {
namespace {

constexpr double kRefused = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A text of exactly `units` units ending in the digit 1, zeros before it.
std::u16string ZerosThenOne(std::size_t units) { return std::u16string(units - 1, u'0') + u"1"; }

TEST(ReadInputNumber, AcceptsWhatNamesOneNumberAndRefusesTheRest) {
  const std::u16string longest = ZerosThenOne(kMaxInputText);
  const std::u16string tooLong = ZerosThenOne(kMaxInputText + 1);
  const std::u16string spaces(kMaxInputText, u' ');
  const struct {
    std::u16string text;
    const char16_t* unit;  // the field's own unit; null: none
    double value;          // kRefused: the text is refused
  } cases[] = {
      // Nothing typed counts as 0.
      {u"", u"kg", 0},
      {u"   ", nullptr, 0},
      {spaces, u"kg", 0},
      // One number, perhaps with spaces or the field's own unit (any ASCII case) after it.
      {u"12", u"kg", 12},
      {u" 12 ", u"kg", 12},
      {u"12 ", nullptr, 12},
      {u"12kg", u"kg", 12},
      {u"12 KG", u"kg", 12},
      {u"12 Kg  ", u"kg", 12},
      {u"12 mg/kg", u"mg/kg", 12},
      {u"12MG/KG", u"mg/kg", 12},
      {u"2天", u"天", 2},
      {u"3 1-10", u"1-10", 3},
      {u"+2.5e1", nullptr, 25},
      {u".5", nullptr, 0.5},
      {u"0", nullptr, 0},
      {u"-3", nullptr, -3},
      {u"1e-400", nullptr, 0},  // underflow reads as zero, as a number it is
      {longest, nullptr, 1},
      // Another unit, or a unit where the field has none: the number meant something else.
      {u"3000g", u"kg", kRefused},
      {u"12公斤", u"kg", kRefused},
      {u"2周", u"天", kRefused},
      {u"30min", u"小时", kRefused},
      {u"12kg", u"mg/kg", kRefused},
      {u"12kg", nullptr, kRefused},
      {u"12kg", u"", kRefused},
      {u"12k", u"kg", kRefused},  // a unit cut short
      {u"12kgs", u"kg", kRefused},
      {u"12 kg kg", u"kg", kRefused},
      {u"12 k g", u"kg", kRefused},
      {u"12　", nullptr, kRefused},
      // No number at the start: full-width digits and commas look like numbers but are not.
      {u"abc", nullptr, kRefused},
      {u"，5", nullptr, kRefused},
      {u",2", nullptr, kRefused},
      {u"１２", nullptr, kRefused},
      {u"２", nullptr, kRefused},
      {u"-", nullptr, kRefused},
      {u"kg", u"kg", kRefused},
      {u"　", nullptr, kRefused},
      // A digit after the number read: the number read is not what was typed.
      {u"12,5", nullptr, kRefused},
      {u"12，5", nullptr, kRefused},
      {u"1 2", nullptr, kRefused},
      {u"12.5.1", nullptr, kRefused},
      {u"1２", nullptr, kRefused},
      {u"1０", nullptr, kRefused},  // both ends of the full-width digits
      {u"1９", nullptr, kRefused},
      {u"12kg5", u"kg", kRefused},
      // Hexadecimal: "0x10" once read as 16 kg.
      {u"0x10", nullptr, kRefused},
      {u"-0x10", nullptr, kRefused},
      {u"0x1p3", nullptr, kRefused},
      // Longer than what is read: never read cut.
      {tooLong, nullptr, kRefused},
      {spaces + u" ", nullptr, kRefused},
      // Not finite: refused, returned as read.
      {u"inf", nullptr, kInf},
      {u"-Infinity", nullptr, -kInf},
      {u"1e999", nullptr, kInf},
      {u"nan", nullptr, kRefused},
      {u"nanny", nullptr, kRefused},
  };
  for (const auto& c : cases) {
    const double value = ReadInputNumber(c.text.c_str(), c.unit);
    if (std::isnan(c.value)) {
      EXPECT_TRUE(std::isnan(value)) << "case " << (&c - cases) << " read as " << value;
    } else {
      EXPECT_EQ(value, c.value) << "case " << (&c - cases);
    }
  }
  EXPECT_TRUE(std::signbit(ReadInputNumber(u"-0", nullptr)));
  EXPECT_EQ(ReadInputNumber(nullptr, u"kg"), 0.0);
}

}  // namespace
}  // namespace tarn
