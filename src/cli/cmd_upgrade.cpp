// `tobu upgrade`: the outside updater's two messages to the clock of this desktop.
#include <iostream>
#include <iterator>
#include <ostream>

#include "base/text.h"
#include "cli/command.h"
#include "platform/endpoint.h"
#include "platform/instance_slot.h"
#include "platform/messages.h"

namespace {

constexpr const char* kUsage =
    "usage: tobu upgrade notify [TEXT|-]   send the new-version message (0x401) with TEXT\n"
    "                                      (standard input for - or without TEXT); the clock\n"
    "                                      shows its notice when TEXT has more than two lines\n"
    "       tobu upgrade seen              send the message that records the moment (0x402)\n";

constexpr int kWaitMs = 15000;

int RunUpgrade(const std::vector<std::string>& args, tobu::cli::Io& io) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") return io.out << kUsage, 0;
    tobu::Message m;
    if (!args.empty() && args[0] == "notify" && args.size() <= 2) {
        std::string text;
        if (args.size() == 1 || args[1] == "-")
            text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        else
            text = args[1];
        const std::string gbk = tobu::Utf8ToGbk(text);
        if (gbk.size() + 1 > tobu::kMaxMessageData) {
            io.err << "tobu upgrade: the text is too long\n";
            return 1;
        }
        m.msg = tobu::kWmUpgradeNotice;
        m.data.assign(gbk.begin(), gbk.end());
        m.data.push_back(0);
    } else if (args.size() == 1 && args[0] == "seen") {
        m.msg = tobu::kWmUpgradeSeen;
    } else {
        io.err << kUsage;
        return 2;
    }
    tobu::InstanceSlot slot = tobu::InstanceSlot::Open();
    const tobu::WindowHandle bar = slot.IsNull() ? 0 : slot.Read();
    if (bar == 0 || !tobu::SendMessage(bar, m, kWaitMs)) {
        io.err << "no running TobuClock on this desktop\n";
        return 1;
    }
    return 0;
}

} // namespace

TOBU_COMMAND("upgrade", "send the outside updater's new-version messages to the clock", RunUpgrade);
