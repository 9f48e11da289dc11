// Shared helpers of the sound tests: a temporary folder of sound files, a WAV writer, and
// a device double that records the commands it receives.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sound/sound_device.h"

namespace tobu::testing {

// The root of the source tree (TOBU_SOURCE_DIR when the test runner sets it).
inline std::string SourceDir() {
    if (const char* env = std::getenv("TOBU_SOURCE_DIR"); env && *env) return env;
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
}

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder() {
        std::string templ = (std::filesystem::temp_directory_path() / "tobu-sound-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        path_ = templ;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    // Creates the file (content as given) and returns its full path.
    std::string File(const std::string& name, const std::string& content = "x") const {
        const std::string p = path_ + "/" + name;
        std::ofstream(p, std::ios::binary) << content;
        return p;
    }
    std::string Missing(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A 16-bit mono PCM WAV of a quiet 440 Hz tone lasting ms milliseconds.
inline std::string WavBytes(int ms, int rate = 22050) {
    const std::uint32_t samples = static_cast<std::uint32_t>(rate) * ms / 1000;
    std::string b;
    auto u32 = [&b](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    auto u16 = [&b](std::uint16_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>(v >> 8));
    };
    b += "RIFF";
    u32(36 + samples * 2);
    b += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    b += "data";
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i)
        u16(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(3000 * std::sin(2 * M_PI * 440.0 * i / rate))));
    return b;
}

// Records every command as text ("close all", "open P", "play P from 0 notify"); plays of
// the paths in failPlay fail. When forward is set, the commands also go to that device.
class RecordingDevice : public SoundDevice {
public:
    explicit RecordingDevice(SoundDevice* forward = nullptr) : forward_(forward) {}

    void CloseAll() override {
        commands.push_back("close all");
        if (forward_) forward_->CloseAll();
    }
    bool Open(const std::string& path) override {
        commands.push_back("open " + path);
        return forward_ ? forward_->Open(path) : true;
    }
    bool PlayNotify(const std::string& path) override {
        commands.push_back("play " + path + " from 0 notify");
        playThreads.push_back(std::this_thread::get_id());
        if (failPlay.count(path)) return false;
        if (forward_) return forward_->PlayNotify(path);
        return true;
    }

    // The paths of the play commands, in order.
    std::vector<std::string> Played() const {
        std::vector<std::string> out;
        const std::string head = "play ", tail = " from 0 notify";
        for (const auto& c : commands)
            if (c.rfind(head, 0) == 0)
                out.push_back(c.substr(head.size(), c.size() - head.size() - tail.size()));
        return out;
    }

    std::vector<std::string> commands;
    std::vector<std::thread::id> playThreads;
    std::set<std::string> failPlay;

private:
    SoundDevice* forward_;
};

} // namespace tobu::testing
