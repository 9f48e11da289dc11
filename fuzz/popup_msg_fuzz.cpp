// corpus: tests/popupmsg/corpus/popup
//
// What reaches the popup program from outside: its command-line argument (the bar's handle),
// the texts it receives as data bytes, and a run of popups opened, held, released, clicked
// and expired as the input says. Also the bar's side: every text becomes a payload that fits
// one message.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/popup_protocol.h"
#include "base/text.h"
#include "popupmsg/popup_board.h"

using namespace tobu;

namespace {

// A broken promise stops the run, naming itself.
#define Check(ok)                                                                                  \
    do {                                                                                           \
        if (!(ok)) {                                                                               \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #ok);                          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

void RunBoard(const std::uint8_t* data, std::size_t size, const std::string& text) {
    PopupBoard board;
    PopupSettings settings;
    int64_t now = 0;
    std::vector<int> ids;
    for (std::size_t i = 0; i + 1 < size && i < 256; i += 2) {
        const int op = data[i] % 6, arg = data[i + 1];
        const int id = ids.empty() ? arg : ids[static_cast<std::size_t>(arg) % ids.size()];
        switch (op) {
        case 0:
            settings.auto_close = arg & 1;
            settings.auto_sec = 5 + arg;
            if (int got = board.Add(arg & 2 ? text : "x", arg * 7 - 100, now, settings))
                ids.push_back(got);
            break;
        case 1:
            board.Close(id);
            break;
        case 2:
            board.Hold(id);
            break;
        case 3:
            board.Release(id, now);
            break;
        case 4: {
            now += arg * 97;
            std::set<int> held;
            for (const auto& p : board.Popups())
                if (p.held || p.by_hand) held.insert(p.id);
            for (int closed : board.Expire(now)) Check(!held.count(closed));
            break;
        }
        default: {
            const PopupRect area{arg - 50, arg * 3, 1280 - arg * 5, 768 - arg};
            Check(board.Layout(area, arg * 4).size() == board.Popups().size());
            break;
        }
        }
        if (auto change = board.TakeTrayChange()) Check(*change == board.WaitingByHand());
        Check(!board.TakeTrayChange());
    }
    std::set<int> seen;
    for (const auto& p : board.Popups()) Check(seen.insert(p.id).second);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The command-line argument: a handle accepted is one that prints back to itself.
    if (auto handle = ParseBarHandle(bytes)) {
        Check(*handle != 0);
        Check(ParseBarHandle(std::to_string(*handle)) == handle);
    }

    // A received text reads as UTF-8 with "\n" line ends.
    const std::string text = DecodePopupText(std::vector<uint8_t>(data, data + size));
    Check(IsValidUtf8(text));
    Check(text.find('\r') == std::string::npos);

    // The bar's payload of any text fits one message and ends in its one zero byte.
    for (const std::string& t : {text, bytes}) {
        const std::vector<uint8_t> payload = PopupTextPayload(t);
        Check(!payload.empty() && payload.size() <= kMaxMessageData);
        Check(payload.back() == 0);
        Check(std::find(payload.begin(), payload.end() - 1, uint8_t{0}) == payload.end() - 1 ||
              t.find('\0') != std::string::npos);
    }

    RunBoard(data, size, text);
    return 0;
}
