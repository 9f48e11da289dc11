#include "platform/power_off.h"

#include <cstdlib>

namespace tobu {

std::optional<std::string> PowerOffStandIn() {
    const char* v = std::getenv(kPowerOffCommandVariable);
    if (!v) return std::nullopt;
    return std::string(v);
}

} // namespace tobu
