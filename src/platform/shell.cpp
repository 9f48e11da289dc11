#include "platform/shell.h"

#include <cctype>

namespace tobu {

bool LooksLikeUrl(const std::string& target) {
    // scheme = letter *( letter / digit / "+" / "-" / "." ) ":" ; a single letter followed by
    // ":" is not taken as a scheme so that "C:" style names stay paths.
    auto colon = target.find(':');
    if (colon == std::string::npos || colon < 2) return false;
    if (!std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool RecordingShellOpen::Open(const std::string& target) {
    calls.push_back({Call::Open, target, {}});
    return result;
}

bool RecordingShellOpen::Run(const std::string& program, const std::vector<std::string>& args) {
    calls.push_back({Call::Run, program, args});
    return result;
}

} // namespace tobu
