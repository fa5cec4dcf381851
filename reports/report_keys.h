// The input keys the reports read: one spelling shared by the tool records (tools/) and the
// generators, so a misspelt key is a compile error instead of a silent 0.
#pragma once
#include <cstdint>

#include "engine/tool.h"

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

// The keys each report kind reads (null past the last), by kind 1..11; row 0 is kind 0.
struct ReportKeys {
  const char* keys[4];
};
inline constexpr ReportKeys kReportKeys[] = {
    {},                                          //  0  no report
    {{kKeyNurses, kKeyDays}},                    //  1  ShiftRota
    {{kKeyStart, kKeyInterval, kKeyTimes}},      //  2  DosingTimetable
    {{kKeyKind}},                                //  3  BloodDrawOrder
    {{kKeyKind}},                                //  4  CriticalValues
    {{kKeyKind}},                                //  5  HighAlertDrugs
    {{kKeyDrugA, kKeyDrugB}},                    //  6  DrugCompatibility
    {{kKeyStart, kKeyGap, kKeyTimes}},           //  7  FollowUpPlan
    {},                                          //  8  SurgicalChecklist
    {{kKeyBeds}},                                //  9  HandoverTemplate
    {{kKeyBed, kKeyDose, kKeyVolume, kKeyGtt}},  // 10  InfusionCard
    {{kKeyPanel}},                               // 11  LabPanels
};
inline constexpr std::int32_t kReportKindCount =
    static_cast<std::int32_t>(sizeof(kReportKeys) / sizeof(kReportKeys[0]));

}  // namespace tarn
