// corpus: tests/settings/corpus/desktop_entry
//
// Feeds arbitrary bytes to the login-start entry reader: the entry's groups and keys, the Exec
// splitting and the decision whether it starts the clock. The first line of the input is also
// used as a program path, whose quoting must split back into exactly that path and "/hide".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/autostart_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tobu::DesktopEntryInfo info = tobu::ParseDesktopEntry(text);
    const std::string program(text.substr(0, text.find('\n')));
    tobu::EntryStartsProgram(info, program);
    if (info.exec) tobu::SplitDesktopExec(*info.exec);

    if (std::optional<std::string> exec = tobu::DesktopExecValue(program)) {
        auto args = tobu::SplitDesktopExec(*exec);
        if (!args || args->size() != 2 || (*args)[0] != program || (*args)[1] != "/hide")
            __builtin_trap();
        std::optional<std::string> entry = tobu::DesktopEntryText(program);
        if (!entry || !tobu::EntryStartsProgram(tobu::ParseDesktopEntry(*entry), program))
            __builtin_trap();
    }
    return 0;
}
