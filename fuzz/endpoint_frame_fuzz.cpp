// corpus: tests/platform/corpus/frame
//
// Feeds arbitrary bytes to the endpoint frame parser, as a hostile local peer could, and checks
// that whatever it accepts encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/endpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tobu::ParsedFrame frame = tobu::ParseFrame(data, size);
    if (frame.status != tobu::FrameStatus::Complete) return 0;
    if (frame.consumed > size || frame.msg.data.size() > tobu::kMaxMessageData) std::abort();
    std::vector<uint8_t> again = tobu::EncodeFrame(frame.kind, frame.msg);
    if (again.size() != frame.consumed) std::abort();
    for (size_t i = 0; i < again.size(); ++i)
        if (again[i] != data[i]) std::abort();
    // Every prefix of a complete frame is a valid beginning.
    for (size_t n : {size_t{0}, size_t{5}, size_t{16}, frame.consumed - 1})
        if (n < frame.consumed && tobu::ParseFrame(data, n).status != tobu::FrameStatus::NeedMore)
            std::abort();
    return 0;
}
