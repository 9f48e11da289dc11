// Handing things to the desktop: open a document or web address with the user's default
// program, or start a program with arguments without waiting for it.
#pragma once

#include <string>
#include <vector>

namespace tobu {

class ShellOpen {
public:
    virtual ~ShellOpen() = default;
    // A path of a file or folder, or a URL ("http://...", "mailto:..."). False when nothing
    // could open it.
    virtual bool Open(const std::string& target) = 0;
    // Starts the program detached. False when it could not be started.
    virtual bool Run(const std::string& program, const std::vector<std::string>& args) = 0;
};

// True when the text is a URL with a scheme rather than a file path.
bool LooksLikeUrl(const std::string& target);

// Test double: records every call and answers with `result`.
class RecordingShellOpen : public ShellOpen {
public:
    struct Call {
        enum Kind { Open, Run } kind;
        std::string target; // the opened target or the program
        std::vector<std::string> args;
        bool operator==(const Call&) const = default;
    };

    bool Open(const std::string& target) override;
    bool Run(const std::string& program, const std::vector<std::string>& args) override;

    std::vector<Call> calls;
    bool result = true;
};

} // namespace tobu
