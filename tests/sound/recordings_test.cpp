// The recordings shipped in the program folder's Sound/: every file the chime lists name must
// be there as a 16-bit PCM WAV that is neither silent, clipped, nor absurdly long.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "sound/sound_test_support.h"

namespace tobu {
namespace {

struct WavInfo {
    bool ok = false;
    int channels = 0, rate = 0, bits = 0;
    double seconds = 0;
    int peak = 0; // largest absolute sample
};

std::uint32_t Le(const std::string& b, size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

WavInfo ReadWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WavInfo w;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return w;
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const std::uint32_t size = Le(b, at + 4, 4);
        const size_t body = at + 8;
        if (body + size > b.size()) return w;
        if (id == "fmt " && size >= 16) {
            if (Le(b, body, 2) != 1) return w; // PCM only
            w.channels = static_cast<int>(Le(b, body + 2, 2));
            w.rate = static_cast<int>(Le(b, body + 4, 4));
            w.bits = static_cast<int>(Le(b, body + 14, 2));
            haveFormat = true;
        } else if (id == "data" && haveFormat && w.bits == 16 && w.channels > 0 && w.rate > 0) {
            const size_t samples = size / 2;
            for (size_t i = 0; i < samples; ++i) {
                const int s = static_cast<std::int16_t>(Le(b, body + 2 * i, 2));
                w.peak = std::max(w.peak, std::abs(s));
            }
            w.seconds = static_cast<double>(samples) / w.channels / w.rate;
            w.ok = true;
            return w;
        }
        at = body + size + (size & 1);
    }
    return w;
}

TEST(Recordings, EveryChimeRecordingIsAPlayableWav) {
    const std::string folder = testing::SourceDir() + "/data/Sound/";
    const char* const names[] = {"T1", "To1", "To2", "To3", "To4", "0", "1",  "2",
                                 "2A", "3",   "4",   "5",   "6",   "7", "8",  "9",
                                 "10", "11",  "12",  "30",  "H",   "M", "Z1", "Z2"};
    double spoken = 0;
    for (const char* n : names) {
        const std::string file = std::string(n) + ".wav";
        const WavInfo w = ReadWav(folder + file);
        ASSERT_TRUE(w.ok) << file << " is missing or not a 16-bit PCM WAV";
        EXPECT_EQ(w.bits, 16) << file;
        EXPECT_GT(w.seconds, 0.2) << file;
        EXPECT_LT(w.seconds, 6.0) << file;
        EXPECT_GT(w.peak, 32768 / 4) << file << " is nearly silent";
        EXPECT_LT(w.peak, 32767) << file << " clips";
        if (n[0] != 'Z') spoken += w.seconds;
    }
    // One strike is short enough that twelve of them stay well under a minute.
    EXPECT_LT(ReadWav(folder + "Z1.wav").seconds * 12, 40.0);
    // Speech clips are trimmed: 22 of them together last under 20 s.
    EXPECT_LT(spoken, 20.0);
}

} // namespace
} // namespace tobu
