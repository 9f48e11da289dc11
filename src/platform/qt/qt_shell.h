// Opening documents and links with the desktop's default program, and starting programs.
#pragma once

#include "platform/shell.h"

namespace tobu {

class QtShellOpen : public ShellOpen {
public:
    bool Open(const std::string& target) override;
    bool Run(const std::string& program, const std::vector<std::string>& args) override;
};

} // namespace tobu
