// corpus: tests/cli/corpus/args
//
// The `tobu` command lines: the input is an argument vector (arguments separated by zero
// bytes), run in-process with string streams for its output, in a scratch folder holding a
// small skin package a.sk and a clock face a.cl. Arguments naming other folders (with "/" or
// "..") are passed over, and so are chimes that would play instead of printing.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "sound/chime_request.h"

namespace fs = std::filesystem;

namespace {

// A broken promise stops the run, naming itself.
#define Check(ok)                                                                                  \
    do {                                                                                           \
        if (!(ok)) {                                                                               \
            std::fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #ok);                          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

std::string Slurp(const fs::path& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

struct Scratch {
    fs::path dir;
    // The files every run starts with.
    std::vector<std::pair<std::string, std::string>> files;

    Scratch() {
        const fs::path corpus = fs::path(TOBU_SOURCE_DIR) / "tests/settings/corpus";
        files = {{"a.sk", Slurp(corpus / "skin/bar_24bit.sk")},
                 {"a.cl", Slurp(corpus / "clockface/small.cl")}};
        char name[] = "/tmp/tobu-cli-fuzz-XXXXXX";
        Check(mkdtemp(name) != nullptr);
        dir = name;
        Check(chdir(name) == 0);
        Reset();
    }
    ~Scratch() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    // Removes what a run made and puts the starting files back.
    void Reset() {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(".", ec)) {
            const std::string name = entry.path().filename().string();
            bool keep = false;
            for (const auto& [n, bytes] : files)
                keep = keep ||
                       (name == n && entry.is_regular_file() && entry.file_size() == bytes.size());
            if (!keep) fs::remove_all(entry.path(), ec);
        }
        for (const auto& [name, bytes] : files)
            if (!fs::exists(name)) std::ofstream(name, std::ios::binary) << bytes;
    }
};

bool Allowed(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a.find('/') != std::string::npos || a.rfind("..", 0) == 0) return false;
    if (!args.empty() && args[0] == "chime") {
        tobu::ChimeRequest request;
        std::string error;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        if (tobu::ParseChimeArgs(rest, request, error) && !request.list && !request.help)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch scratch;
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size && args.size() < 12; ++i) {
        if (data[i] == 0) {
            args.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (!current.empty() && args.size() < 12) args.push_back(current);
    if (!Allowed(args)) return 0;

    std::ostringstream out, err;
    tobu::cli::Io io{out, err, false};
    const int status = tobu::cli::RunTool(args, io);
    Check(status >= 0 && status <= 2);
    // A failure says why.
    Check(status == 0 || !err.str().empty() || !out.str().empty());
    scratch.Reset();
    return 0;
}
