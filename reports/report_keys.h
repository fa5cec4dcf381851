// The input keys the reports read: one spelling shared by the tool records (tools/), the
// generators and the dispatcher's table, so a misspelt key is a compile error instead of a
// silent 0.
#pragma once

namespace tarn {

inline constexpr char kKeyNurses[] = "nurses";
inline constexpr char kKeyDays[] = "days";
inline constexpr char kKeyStart[] = "start";
inline constexpr char kKeyInterval[] = "interval";
inline constexpr char kKeyTimes[] = "times";
inline constexpr char kKeyKind[] = "kind";
inline constexpr char kKeyDrugA[] = "drugA";
inline constexpr char kKeyDrugB[] = "drugB";
inline constexpr char kKeyGap[] = "gap";
inline constexpr char kKeyBeds[] = "beds";
inline constexpr char kKeyBed[] = "bed";
inline constexpr char kKeyDose[] = "dose";
inline constexpr char kKeyVolume[] = "volume";
inline constexpr char kKeyGtt[] = "gtt";
inline constexpr char kKeyPanel[] = "panel";

}  // namespace tarn
