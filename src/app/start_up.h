// Small decisions of the start-up sequence, kept apart from the windows.
#pragma once

#include <functional>
#include <string>

namespace tobu {

// The program folder from the executable's path: its folder with exactly one trailing "/".
std::string AppDirFromExecutable(const std::string& exePath);
// The folder of the running executable (from /proc/self/exe), with one trailing "/".
std::string CurrentAppDir();

// The heading font of the calendar and weather windows: "楷体_GB2312" if installed, else
// "楷体", else "宋体". An enumeration that throws leaves `current` as it was.
std::string ChooseHeadingFont(const std::function<bool(const std::string&)>& isInstalled,
                              const std::string& current);

// Start in the tray only when the setting is on and the first argument is "/hide" (blanks
// around it and letter case do not matter).
bool DecideHideAtStart(bool onStartHide, const std::string& firstArgument);

// The LED and plain-text time: "hh:mm:ss", 24-hour.
std::string ClockText(double now);

// The warning shown when the help file is missing.
std::string MissingHelpFileMessage(const std::string& fileName);
// The warning, once, that the settings file could not be written (the bar tries again).
std::string SettingsSaveFailedMessage(const std::string& path);

// What "帮助" opens: the compiled help file when the program folder has it, else the HTML
// guide in the folder's Help/, else nothing (the caller warns about the help file).
inline constexpr const char* kHelpFileName = "TobuClockHelp.chm";
inline constexpr const char* kHelpGuideName = "Help/index.html";
struct HelpChoice {
    enum Kind { HelpFile, Guide, Missing } kind = Missing;
    std::string path; // what to open; empty when Missing
};
// `isFile` answers whether a path names a readable regular file (links followed).
HelpChoice ChooseHelp(const std::string& appDir,
                      const std::function<bool(const std::string&)>& isFile);

} // namespace tobu
