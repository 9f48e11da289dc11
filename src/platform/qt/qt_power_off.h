// The system's power-off: logind's PowerOff over D-Bus, else `systemctl poweroff`, unless the
// stand-in of TOBU_POWEROFF_COMMAND is set (see platform/power_off.h).
#pragma once

#include "platform/power_off.h"

namespace tobu {

class SystemPowerOff : public PowerOff {
public:
    void ShutDownComputer() override;
};

} // namespace tobu
