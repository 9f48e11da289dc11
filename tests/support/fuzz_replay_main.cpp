// Replays fuzz inputs without libFuzzer: every file in the folders named on the command line
// goes once through the target, plus a few edge inputs. The test suite runs each fuzz target
// this way over the committed corpora; tools/fuzz.sh does the real fuzzing.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t runs = 0;
    std::vector<std::string> edges = {"", std::string(1, '\0'), std::string(64, '\xFF'),
                                      std::string(4096, 'A')};
    for (const auto& e : edges) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(e.data()), e.size());
        ++runs;
    }
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i], ec)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream f(entry.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(f)),
                              std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++runs;
        }
    }
    std::printf("replayed %zu inputs\n", runs);
    return 0;
}
