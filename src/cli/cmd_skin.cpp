// `tobu skin`: look into, unpack and pack skin packages so users can make their own skins.
#include <cstdio>
#include <ostream>

#include "base/text.h"
#include "cli/command.h"
#include "cli/package_io.h"
#include "settings/ini_file.h"
#include "settings/skin_loaders.h"
#include "settings/skin_package.h"

namespace tobu::cli {

namespace {

const char* kUsage =
    "Usage: tobu skin info PACKAGE\n"
    "       tobu skin unpack PACKAGE DIR   (writes DIR/skin.ini and DIR/sheet.bmp)\n"
    "       tobu skin pack DIR PACKAGE [--lead HEX8]\n";

std::string Hex8(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", v);
    return buf;
}

const char* CompressionName(int c) {
    switch (c) {
    case 0:
        return "uncompressed";
    case 1:
        return "RLE8";
    case 2:
        return "RLE4";
    case 3:
        return "bit fields";
    case 6:
        return "alpha bit fields";
    default:
        return "unknown";
    }
}

// Reads a package by its declared lengths and takes it apart; false (with the reason on
// standard error) when it cannot: not a regular file, too large, or damaged.
bool OpenPackage(const std::string& path, std::uint64_t& size, SkinContainer& c, Io& io) {
    if (auto e = ReadSkinContainerFile(path, c, &size)) {
        io.err << "tobu skin: " << Shown(path) << ": " << Shown(*e) << "\n";
        return false;
    }
    return true;
}

int Info(const std::string& path, Io& io) {
    std::uint64_t size = 0;
    SkinContainer c;
    if (!OpenPackage(path, size, c, io)) return 1;
    io.out << "package:       " << Shown(path) << " (" << size << " bytes";
    if (std::uint64_t used = 20 + c.ini_text.size() + c.bitmap.size(); size > used)
        io.out << ", the last " << size - used << " after the picture not read";
    io.out << ")\n";
    io.out << "leading bytes: " << Hex8(c.lead) << "\n";
    io.out << "settings text: " << c.ini_text.size() << " bytes\n";
    SkinIni ini(SplitSkinLines(c.ini_text));
    auto skin_ver = ini.Find("VER", "SkinVer");
    auto clock_ver = ini.Find("VER", "ClockVer");
    bool usable = false;
    for (auto [name, v] : {std::pair{"SkinVer", skin_ver}, std::pair{"ClockVer", clock_ver}}) {
        if (!v) continue;
        io.out << "version:       " << name << " = \"" << Shown(*v) << "\"";
        if (*v == "1.0")
            usable = true;
        else
            io.out << " (not \"1.0\": the program applies nothing of this package)";
        io.out << "\n";
    }
    if (!skin_ver && !clock_ver)
        io.out << "version:       none (no VER SkinVer or ClockVer: the program applies nothing)\n";
    io.out << "sections:\n";
    for (const auto& s : ini.Sections()) {
        io.out << "  [" << Shown(s.name) << "]\n";
        for (const auto& e : s.entries)
            io.out << "    " << Shown(e.key) << "=" << Shown(e.value) << "\n";
    }
    BmpInfo info;
    if (auto e = ReadBmpInfo(c.bitmap, info)) {
        io.err << "tobu skin: " << path << ": the sheet is damaged: " << *e << "\n";
        return 1;
    }
    io.out << "sheet:         " << info.width << " x " << info.height << ", " << info.bits_per_pixel
           << " bits per pixel, " << CompressionName(info.compression) << ", "
           << (info.top_down ? "top-down" : "bottom-up") << ", " << c.bitmap.size() << " bytes\n";
    Bitmap32 sheet;
    if (auto e = DecodeBmp(c.bitmap, sheet)) {
        io.err << "tobu skin: " << path << ": the sheet is damaged: " << *e << "\n";
        return 1;
    }
    if (skin_ver && *skin_ver == "1.0") {
        OpenedSkin pkg{ini, std::move(sheet)};
        BarSkin bar;
        WinSkin win;
        auto has = [&](const char* name) {
            for (const auto& sec : ini.Sections())
                if (SameText(sec.name, name)) return true;
            return false;
        };
        // A dialog-frame package is checked as one; anything else as a bar skin.
        const bool frame = has("WIN");
        const bool bar_skin = has("BAR") || has("BUTTON") || !frame;
        auto check = [&](const SkinLoadResult& r, const char* what) {
            if (r.Applied()) return true;
            io.err << "tobu skin: " << path << ": as a " << what << ": " << r.error << "\n";
            return false;
        };
        if (bar_skin && !check(ApplyBarSkin(pkg, bar), "bar skin")) return 1;
        if (frame && !check(ApplyWinSkin(pkg, win), "dialog frame")) return 1;
    }
    if (!usable) return 1;
    return 0;
}

int Unpack(const std::string& path, const std::string& dir, Io& io) {
    std::uint64_t size = 0;
    SkinContainer c;
    if (!OpenPackage(path, size, c, io)) return 1;
    if (!EnsureDir(dir)) {
        io.err << "tobu skin: cannot create the folder " << dir << "\n";
        return 1;
    }
    // The folder may be a shared one: never through a link, never where others may change it.
    if (!WriteUserFile(JoinPath(dir, "skin.ini"), c.ini_text, "tobu skin", io) ||
        !WriteUserFile(JoinPath(dir, "sheet.bmp"), c.bitmap, "tobu skin", io))
        return 1;
    io.out << "wrote " << JoinPath(dir, "skin.ini") << " (" << c.ini_text.size() << " bytes) and "
           << JoinPath(dir, "sheet.bmp") << " (" << c.bitmap.size() << " bytes)\n";
    return 0;
}

int Pack(const std::string& dir, const std::string& path, std::uint32_t lead, Io& io) {
    SkinContainer c;
    c.lead = lead;
    if (!ReadFileBytes(JoinPath(dir, "skin.ini"), c.ini_text)) {
        io.err << "tobu skin: cannot read " << JoinPath(dir, "skin.ini") << "\n";
        return 1;
    }
    if (!ReadFileBytes(JoinPath(dir, "sheet.bmp"), c.bitmap)) {
        io.err << "tobu skin: cannot read " << JoinPath(dir, "sheet.bmp") << "\n";
        return 1;
    }
    Bitmap32 sheet;
    if (auto e = DecodeBmp(c.bitmap, sheet)) {
        io.err << "tobu skin: " << JoinPath(dir, "sheet.bmp") << " is not a usable bitmap: " << *e
               << "\n";
        return 1;
    }
    if (!WriteUserFile(path, BuildSkinContainer(c), "tobu skin", io)) return 1;
    io.out << "wrote " << path << "\n";
    return 0;
}

int Run(const std::vector<std::string>& args_in, Io& io) {
    std::vector<std::string> args;
    std::optional<std::uint32_t> lead;
    for (size_t i = 0; i < args_in.size(); ++i) {
        if (args_in[i] == "--help" || args_in[i] == "-h") {
            io.out << kUsage;
            return 0;
        }
        if (args_in[i] == "--lead") {
            if (i + 1 >= args_in.size()) {
                io.err << "tobu skin: --lead needs eight hexadecimal digits\n" << kUsage;
                return 2;
            }
            lead = ParseLead(args_in[++i]);
            if (!lead) {
                io.err << "tobu skin: --lead needs eight hexadecimal digits, not '" << args_in[i]
                       << "'\n";
                return 2;
            }
            continue;
        }
        args.push_back(args_in[i]);
    }
    if (args.size() == 2 && args[0] == "info" && !lead) return Info(args[1], io);
    if (args.size() == 3 && args[0] == "unpack" && !lead) return Unpack(args[1], args[2], io);
    if (args.size() == 3 && args[0] == "pack") return Pack(args[1], args[2], lead.value_or(0), io);
    io.err << kUsage;
    return 2;
}

} // namespace

TOBU_COMMAND("skin", "look into, unpack and pack skin packages (.sk, .cl)", Run);

} // namespace tobu::cli
