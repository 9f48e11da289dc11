// `tobu face`: inspect, preview and pack analog clock faces (.cl packages) for face makers.
#include <cstdio>
#include <optional>
#include <ostream>

#include "cli/command.h"
#include "cli/package_io.h"
#include "cli/png_file.h"
#include "faces/clock_dial.h"
#include "settings/clock_face_loader.h"
#include "settings/skin_package.h"

namespace tobu::cli {

namespace {

constexpr const char* kTool = "tobu face";

const char* kUsage = "Usage: tobu face info FACE [--json]\n"
                     "       tobu face render FACE HH:MM:SS OUT.png [--json]\n"
                     "       tobu face unpack FACE DIR   (writes DIR/face.ini and DIR/sheet.bmp)\n"
                     "       tobu face pack DIR FACE [--lead HEX8] [--force]\n";

// What `info` finds in a face package.
struct FaceReport {
    bool container = false; // the package could be taken apart
    std::optional<std::string> version;
    bool sheet_ok = false;
    BmpInfo sheet_info;
    ClockFaceLayout layout;
    std::optional<TColor> transparent[4]; // hour, minute, second hand, cap
    std::vector<std::string> problems;
};

// A hand's or the cap's transparent colour: its rectangle's bottom-left pixel as the cut gives
// it (outside the sheet the cut leaves fuchsia); none for an empty rectangle.
std::optional<TColor> BottomLeft(const Bitmap32& sheet, const SpriteRect& r) {
    if (r.width <= 0 || r.height <= 0) return std::nullopt;
    const long long y = static_cast<long long>(r.top) + r.height - 1;
    if (y < 0 || y >= sheet.height || r.left < 0 || r.left >= sheet.width) return kClFuchsia;
    return PixelToColor(sheet.At(r.left, static_cast<int>(y)));
}

void Analyse(const SkinContainer& c, FaceReport& rep) {
    rep.container = true;
    const SkinIni ini(SplitSkinLines(c.ini_text));
    rep.version = ini.Find("VER", "ClockVer");
    if (!rep.version)
        rep.problems.push_back("no ClockVer in section VER");
    else if (*rep.version != "1.0")
        rep.problems.push_back("ClockVer \"" + Shown(*rep.version) + "\" is not \"1.0\"");
    rep.layout = ReadClockFaceLayout(ini);
    Bitmap32 sheet;
    if (auto e = ReadBmpInfo(c.bitmap, rep.sheet_info)) {
        rep.problems.push_back("the sheet is not a usable bitmap: " + *e);
        return;
    }
    if (auto e = DecodeBmp(c.bitmap, sheet)) {
        rep.problems.push_back("the sheet is not a usable bitmap: " + *e);
        return;
    }
    rep.sheet_ok = true;
    for (auto& p : ClockFaceProblems(rep.layout, sheet.width, sheet.height))
        rep.problems.push_back(p);
    const SpriteRect* rects[] = {&rep.layout.hour, &rep.layout.minute, &rep.layout.second,
                                 &rep.layout.cap};
    for (int i = 0; i < 4; ++i) rep.transparent[i] = BottomLeft(sheet, *rects[i]);
}

std::string Hex(TColor c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", ColorR(c), ColorG(c), ColorB(c));
    return buf;
}

std::string RectJson(const SpriteRect& r) {
    return "{\"left\": " + std::to_string(r.left) + ", \"top\": " + std::to_string(r.top) +
           ", \"width\": " + std::to_string(r.width) + ", \"height\": " + std::to_string(r.height) +
           "}";
}

std::string RectText(const SpriteRect& r) {
    return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.width) +
           " x " + std::to_string(r.height);
}

void PrintJson(const std::string& path, const FaceReport& rep, Io& io) {
    std::string o = "{\"file\": " + JsonString(path);
    o += ", \"version\": " + (rep.version ? JsonString(*rep.version) : std::string("null"));
    if (rep.sheet_ok)
        o += ", \"sheet\": {\"width\": " + std::to_string(rep.sheet_info.width) +
             ", \"height\": " + std::to_string(rep.sheet_info.height) +
             ", \"bitDepth\": " + std::to_string(rep.sheet_info.bits_per_pixel) + "}";
    else
        o += ", \"sheet\": null";
    const ClockFaceLayout& l = rep.layout;
    const std::pair<const char*, const SpriteRect*> rects[] = {{"face", &l.face},
                                                               {"hourHand", &l.hour},
                                                               {"minuteHand", &l.minute},
                                                               {"secondHand", &l.second},
                                                               {"centerPoint", &l.cap}};
    for (const auto& [name, r] : rects)
        o += std::string(", \"") + name + "\": " + (rep.container ? RectJson(*r) : "null");
    if (rep.container)
        o += ", \"pivot\": {\"x\": " + std::to_string(l.pivot.x) +
             ", \"y\": " + std::to_string(l.pivot.y) +
             ", \"explicit\": " + (l.pivot_explicit ? "true" : "false") + "}";
    else
        o += ", \"pivot\": null";
    const char* names[] = {"hourHand", "minuteHand", "secondHand", "centerPoint"};
    o += ", \"transparent\": {";
    for (int i = 0; i < 4; ++i) {
        o += std::string(i ? ", \"" : "\"") + names[i] + "\": ";
        o += rep.transparent[i] ? JsonString(Hex(*rep.transparent[i])) : "null";
    }
    o += "}, \"problems\": [";
    for (size_t i = 0; i < rep.problems.size(); ++i)
        o += (i ? ", " : "") + JsonString(rep.problems[i]);
    io.out << o << "]}\n";
}

void PrintText(const std::string& path, const FaceReport& rep, Io& io) {
    io.out << "face:          " << Shown(path) << "\n";
    io.out << "ClockVer:      " << (rep.version ? "\"" + Shown(*rep.version) + "\"" : "none")
           << "\n";
    if (rep.sheet_ok)
        io.out << "sheet:         " << rep.sheet_info.width << " x " << rep.sheet_info.height
               << ", " << rep.sheet_info.bits_per_pixel << " bits per pixel\n";
    const ClockFaceLayout& l = rep.layout;
    io.out << "face rect:     " << RectText(l.face) << "\n"
           << "hour hand:     " << RectText(l.hour) << "\n"
           << "minute hand:   " << RectText(l.minute) << "\n"
           << "second hand:   " << RectText(l.second) << "\n"
           << "centre cap:    " << RectText(l.cap) << "\n"
           << "pivot:         " << l.pivot.x << ", " << l.pivot.y
           << (l.pivot_explicit ? " (CenterX, CenterY)" : " (the middle of the face)") << "\n";
    const char* names[] = {"hour hand", "minute hand", "second hand", "centre cap"};
    for (int i = 0; i < 4; ++i)
        if (rep.transparent[i])
            io.out << "see-through:   " << names[i] << " " << Hex(*rep.transparent[i]) << "\n";
}

int Info(const std::string& path, bool json, Io& io) {
    FaceReport rep;
    SkinContainer c;
    if (auto e = ReadSkinContainerFile(path, c))
        rep.problems.push_back("damaged package: " + *e);
    else
        Analyse(c, rep);
    if (json)
        PrintJson(path, rep, io);
    else if (rep.container)
        PrintText(path, rep, io);
    if (rep.problems.empty()) return 0;
    std::string why;
    for (const auto& p : rep.problems) why += (why.empty() ? "" : "; ") + p;
    io.err << kTool << ": " << Shown(path) << ": the clock refuses this face: " << Shown(why)
           << "\n";
    return 1;
}

bool ParseTime(const std::string& t, int& h, int& m, int& s) {
    if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (t[i] < '0' || t[i] > '9') return false;
    h = (t[0] - '0') * 10 + (t[1] - '0');
    m = (t[3] - '0') * 10 + (t[4] - '0');
    s = (t[6] - '0') * 10 + (t[7] - '0');
    return h < 24 && m < 60 && s < 60;
}

int Render(const std::string& path, const std::string& time, const std::string& out, bool json,
           Io& io) {
    int h = 0, m = 0, s = 0;
    if (!ParseTime(time, h, m, s)) {
        io.err << kTool << ": the time must be HH:MM:SS (00:00:00 to 23:59:59), not '"
               << Shown(time) << "'\n";
        return 2;
    }
    ClockFace face;
    const SkinLoadResult r = LoadClockFaceSkin(path, face);
    if (!r.Applied()) {
        const char* why = r.status == SkinLoadStatus::Missing        ? "no such face file"
                          : r.status == SkinLoadStatus::WrongVersion ? "ClockVer is not \"1.0\""
                                                                     : "damaged face";
        io.err << kTool << ": " << Shown(path) << ": " << why
               << (r.error.empty() ? "" : ": " + Shown(r.error)) << "\n";
        return 1;
    }
    Bitmap32 picture = ComposeClockPicture(face, h, m, s);
    KeyOutColor(picture);
    if (!WriteUserFile(out, EncodePngRgba(picture), kTool, io)) return 1;
    if (json) {
        const HandAngles a = ClockHandAngles(h, m, s);
        io.out << "{\"time\": " << JsonString(time) << ", \"hour\": " << a.hour
               << ", \"minute\": " << a.minute << ", \"second\": " << a.second
               << ", \"width\": " << picture.width << ", \"height\": " << picture.height
               << ", \"pivot\": [" << face.pivot.x << ", " << face.pivot.y << "]}\n";
    }
    return 0;
}

int Unpack(const std::string& path, const std::string& dir, Io& io) {
    SkinContainer c;
    if (auto e = ReadSkinContainerFile(path, c)) {
        io.err << kTool << ": " << Shown(path) << ": " << Shown(*e) << "\n";
        return 1;
    }
    if (!EnsureDir(dir)) {
        io.err << kTool << ": cannot create the folder " << Shown(dir) << "\n";
        return 1;
    }
    if (!WriteUserFile(JoinPath(dir, "face.ini"), c.ini_text, kTool, io) ||
        !WriteUserFile(JoinPath(dir, "sheet.bmp"), c.bitmap, kTool, io))
        return 1;
    io.out << "wrote " << Shown(JoinPath(dir, "face.ini")) << " and "
           << Shown(JoinPath(dir, "sheet.bmp")) << "\n";
    return 0;
}

int Pack(const std::string& dir, const std::string& path, std::uint32_t lead, bool force, Io& io) {
    SkinContainer c;
    c.lead = lead;
    for (auto [name, target] : {std::pair{"face.ini", &c.ini_text}, {"sheet.bmp", &c.bitmap}}) {
        if (!ReadFileBytes(JoinPath(dir, name), *target)) {
            io.err << kTool << ": cannot read " << Shown(JoinPath(dir, name)) << "\n";
            return 1;
        }
    }
    FaceReport rep;
    Analyse(c, rep);
    if (!rep.problems.empty() && !force) {
        std::string why;
        for (const auto& p : rep.problems) why += (why.empty() ? "" : "; ") + p;
        io.err << kTool << ": not writing " << Shown(path)
               << ": the clock would refuse it (--force writes it anyway): " << Shown(why) << "\n";
        return 1;
    }
    if (!WriteUserFile(path, BuildSkinContainer(c), kTool, io)) return 1;
    io.out << "wrote " << Shown(path) << "\n";
    return 0;
}

int Run(const std::vector<std::string>& args_in, Io& io) {
    std::vector<std::string> args;
    std::optional<std::uint32_t> lead;
    bool json = false, force = false;
    for (size_t i = 0; i < args_in.size(); ++i) {
        const std::string& a = args_in[i];
        if (a == "--help" || a == "-h") {
            io.out << kUsage;
            return 0;
        }
        if (a == "--json") {
            json = true;
        } else if (a == "--force") {
            force = true;
        } else if (a == "--lead") {
            if (i + 1 >= args_in.size() || !(lead = ParseLead(args_in[i + 1]))) {
                io.err << kTool << ": --lead needs eight hexadecimal digits\n";
                return 2;
            }
            ++i;
        } else if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            io.err << kTool << ": unknown option '" << Shown(a) << "'\n";
            return 2;
        } else {
            args.push_back(a);
        }
    }
    const bool pack_opts = lead || force;
    if (args.size() == 2 && args[0] == "info" && !pack_opts) return Info(args[1], json, io);
    if (args.size() == 4 && args[0] == "render" && !pack_opts)
        return Render(args[1], args[2], args[3], json, io);
    if (args.size() == 3 && args[0] == "unpack" && !pack_opts && !json)
        return Unpack(args[1], args[2], io);
    if (args.size() == 3 && args[0] == "pack" && !json)
        return Pack(args[1], args[2], lead.value_or(0), force, io);
    io.err << kTool << ": unknown or incomplete command (see tobu face --help)\n";
    return 2;
}

} // namespace

TOBU_COMMAND("face", "inspect, preview and pack analog clock faces (.cl)", Run);

} // namespace tobu::cli
