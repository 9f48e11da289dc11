#include "app/start_up.h"

#include <climits>
#include <unistd.h>
#include <utility>

#include "base/datetime.h"
#include "base/text.h"

namespace tobu {

std::string AppDirFromExecutable(const std::string& exePath) {
    std::string dir = exePath;
    size_t slash = dir.find_last_of('/');
    dir = slash == std::string::npos ? std::string("./") : dir.substr(0, slash + 1);
    while (dir.size() > 1 && dir[dir.size() - 1] == '/' && dir[dir.size() - 2] == '/')
        dir.pop_back();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string CurrentAppDir() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return AppDirFromExecutable(std::string(buf, static_cast<size_t>(n)));
}

std::string ChooseHeadingFont(const std::function<bool(const std::string&)>& isInstalled,
                              const std::string& current) {
    try {
        if (isInstalled("楷体_GB2312")) return "楷体_GB2312";
        if (isInstalled("楷体")) return "楷体";
        return "宋体";
    } catch (...) {
        return current;
    }
}

bool DecideHideAtStart(bool onStartHide, const std::string& firstArgument) {
    return onStartHide && SameText(Trim(firstArgument), "/hide");
}

std::string ClockText(double now) {
    return FormatDateTime("hh:mm:ss", now);
}

std::string MissingHelpFileMessage(const std::string& fileName) {
    return "\"" + fileName + "\" 文件不存在。";
}

HelpChoice ChooseHelp(const std::string& appDir,
                      const std::function<bool(const std::string&)>& isFile) {
    for (auto [kind, name] : {std::pair{HelpChoice::HelpFile, kHelpFileName},
                              std::pair{HelpChoice::Guide, kHelpGuideName}}) {
        std::string path = appDir + name;
        if (isFile && isFile(path)) return {kind, path};
    }
    return {};
}

std::string SettingsSaveFailedMessage(const std::string& path) {
    return "无法保存设置文件 " + path + "，设置将在下次修改或退出时再次保存。";
}

} // namespace tobu
