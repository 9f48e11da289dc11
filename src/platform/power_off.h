// Powering the computer off. The clock asks the system through logind (PowerOff over D-Bus,
// not interactive) and falls back to `systemctl poweroff`; nothing is checked or reported.
//
// The stand-in: when TOBU_POWEROFF_COMMAND is set in the environment, even to an empty value,
// the system is asked for nothing; a non-empty value is run with /bin/sh -c, detached, its
// output discarded. End-to-end checks point it at a command that leaves a marker, CTest sets it
// empty for every test, and a user may point it at a suspend command.
#pragma once

#include <optional>
#include <string>

namespace tobu {

constexpr const char* kPowerOffCommandVariable = "TOBU_POWEROFF_COMMAND";

class PowerOff {
public:
    virtual ~PowerOff() = default;
    virtual void ShutDownComputer() = 0;
};

// The stand-in command from the environment; nothing when the variable is not set.
std::optional<std::string> PowerOffStandIn();

// Test double: counts the requests.
class RecordingPowerOff : public PowerOff {
public:
    void ShutDownComputer() override { ++calls; }
    int calls = 0;
};

} // namespace tobu
