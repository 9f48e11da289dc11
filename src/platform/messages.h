// The numbers of the messages the program's processes exchange through their endpoints, each
// named once here. The numbers are those of the desktop protocol the clock has always spoken, so
// an outside program that knows them keeps working.
#pragma once

#include <cstdint>

namespace tobu {

// A text as data bytes (the popup program's texts: GBK with one closing zero byte).
constexpr uint32_t kWmCopyData = 0x4A;
// A system command; with kScRestore as the first parameter: restore the bar from the tray,
// show it and raise an open modal dialog (a second start sends it).
constexpr uint32_t kWmSysCommand = 0x112;
constexpr uint64_t kScRestore = 0xF120;

// To the bar from an outside updating program: the second parameter addresses a new-version
// text (0x401); record the moment only (0x402).
constexpr uint32_t kWmUpgradeNotice = 0x401;
constexpr uint32_t kWmUpgradeSeen = 0x402;
// To the bar, posted by the announcement feed's download thread: a new cache file is written.
constexpr uint32_t kWmAdUpdated = 0x403;
// To the bar, from `tobu config set`: skin.ini changed; read it again and apply it live.
constexpr uint32_t kWmApplySettings = 0x404;

// The popup program and the bar.
constexpr uint32_t kWmPopupRegister = 0x4BC;  // popup program → bar, second parameter its handle
constexpr uint32_t kWmPopupNotify = 0x4BD;    // bar → popup program, second parameter a code
constexpr uint32_t kWmTrayAnimateOn = 0x4BE;  // popup program → bar: a popup waits to be read
constexpr uint32_t kWmTrayAnimateOff = 0x4BF; // popup program → bar: none waits any more
// The codes of kWmPopupNotify.
constexpr int64_t kPopupSettingsSaved = 1;
constexpr int64_t kPopupBarClosing = 2;

} // namespace tobu
