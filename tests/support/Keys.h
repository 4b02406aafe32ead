#ifndef BRELTA_TESTS_KEYS_H
#define BRELTA_TESTS_KEYS_H

// Command ids and settings keys that several tests drive, written once.
namespace brelta::test {

inline constexpr char kStart[] = "brelta.keycombination.tcpdumpstart";
inline constexpr char kStop[] = "brelta.keycombination.tcpdumpstop";
inline constexpr char kRunning[] = "memory/Brelta/tcpdump_running_status";
inline constexpr char kTSDump[] = "memory/menu/network/screenmirroring/capture_tsdump";
inline constexpr char kLanguage[] = "db/menu_widget/language";
inline constexpr char kRegion[] = "db/menu_widget/regionformat";

}  // namespace brelta::test

#endif
