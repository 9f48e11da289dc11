// The kill test's writer: saves the bar's state to a skin.ini the way the clock does at exit
// (one batch, replacing the file atomically), alternating between two states as fast as it
// can until it is killed.
//
//   tobu_save_loop FILE once A|B     one save of state A or B
//   tobu_save_loop FILE loop         A, B, A, ... forever
#include <cstring>
#include <string>

#include "settings/bar_settings_writer.h"

namespace {

bool Save(const std::string& path, bool a) {
    // Different lengths, so a mix of the two could never pass for either.
    return a ? tobu::SaveBarState(path, 1, 100, 20, 200, tobu::WindowPos{100, 54})
             : tobu::SaveBarState(path, 2, -123456, 700, 55, std::nullopt);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[2], "once") == 0)
        return Save(argv[1], std::strcmp(argv[3], "A") == 0) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[2], "loop") == 0)
        for (bool a = true;; a = !a) Save(argv[1], a);
    return 2;
}
