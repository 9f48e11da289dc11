// The settings file format: a Windows-style initialisation file ("[SECTION]" lines and
// "Key=Value" lines) stored in GBK, read and written through a UTF-8 interface. A file that
// starts with the UTF-8 byte-order mark is UTF-8 instead: it is read as UTF-8, and written as
// UTF-8 with the mark kept.
//
// One IniFile object is one batch: constructing it reads the file from disk, the caller reads
// and writes keys in memory, and Save() replaces the file atomically. There is no cache
// between batches, so the next batch sees what the previous one saved.
//
// Behaviour of the names and values:
// - section and key names are compared ignoring ASCII letter case (GBK double-byte characters
//   are compared exactly);
// - a value is the text after the first "=" of the line; names and values are trimmed of
//   blanks; the first section with a name and, inside it, the first key with a name win;
// - writing an existing key replaces its value in place, keeping the key's spelling and the
//   line's position; a new key goes after the last key line of its section; a new section goes
//   at the end of the file; every other line (comments, blank lines, lines that are neither a
//   section nor a key) is kept byte for byte;
// - lines end in CR LF or LF when read; added lines use the ending the file already uses
//   (CR LF for a new file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tobu {

// How WriteFileAtomically treats a symbolic link at the destination and the folder around it.
enum class LinkPolicy {
    // The program's own files (skin.ini): a link is followed to its target only when the link
    // and the target both belong to this user; any other link is refused. When the folder takes
    // no temporary file (read-only) but the file itself is writable, the file is rewritten in
    // place instead.
    FollowOwn,
    // Files the user asks for (`tobu`): a link is never followed; a link of this user is replaced
    // by the new file. Refused: a link of another user at the destination, a folder that another
    // user may change (other than a sticky folder of this user or root), and a folder reached
    // through another user's link.
    Replace,
};

// Replaces the file at `path` with `data`: a temporary file ".<name>.tobu-XXXXXX" in the same
// folder is written, flushed to disk and renamed over the target. The permissions of an
// existing file are kept. Temporary files of this pattern that a killed writer left behind
// (ours, regular, older than kStaleTempSeconds) are removed first. Returns false, leaving any
// existing file untouched and no temporary file behind, when any step fails, with a short
// reason in `why` when given. Never throws.
bool WriteFileAtomically(const std::string& path, std::string_view data,
                         LinkPolicy links = LinkPolicy::FollowOwn, std::string* why = nullptr);

// A temporary file younger than this may still be another writer's work in progress.
constexpr int kStaleTempSeconds = 10;

class IniFile {
public:
    // Files larger than this are not read (and therefore never rewritten). A settings file is a
    // few kB; the limit keeps a hostile one (a line per byte, each line a 24-byte record) within
    // some 200 MB while it is read.
    static constexpr std::size_t kMaxFileSize = 8u << 20;

    enum class LoadState {
        Missing,    // no file: every read gives its default, the first save creates it
        Loaded,     // the file was read
        Unreadable, // the file exists but could not be read: reads give defaults, Save fails
    };

    // Reads the file at `path` (a missing or unreadable file is not an error).
    explicit IniFile(std::string path);
    // A batch over bytes already in memory (GBK text, or UTF-8 after a byte-order mark); Save()
    // writes to `path`. More than kMaxFileSize bytes are Unreadable, as such a file is.
    static IniFile FromBytes(std::string_view bytes, std::string path = {});

    const std::string& Path() const { return path_; }
    LoadState State() const { return state_; }
    bool Modified() const { return modified_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def = {}) const;
    // Decimal with optional sign, or hexadecimal after "0x", "0X" or "$"; anything else
    // (including a missing key) gives `def`.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // An integer, non-zero meaning true; a missing key or a non-integer gives `def`.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    bool KeyExists(std::string_view section, std::string_view key) const;
    bool SectionExists(std::string_view section) const;
    // The key names of the section in file order (empty when the section does not exist).
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The section names in file order.
    std::vector<std::string> ReadSections() const;

    // Writes return false (and change nothing) for a name that a file line cannot hold: empty,
    // containing a line break or another control character, a key containing "=" or starting
    // with "[" or ";", a section containing "]". Line breaks inside a value become blanks.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool WriteInteger(std::string_view section, std::string_view key, int value);
    bool WriteBool(std::string_view section, std::string_view key, bool value); // "1" / "0"
    // Removes the key's line; false when there was no such key.
    bool EraseKey(std::string_view section, std::string_view key);

    // The file's bytes as Save() would write them.
    std::string Serialize() const;
    // Writes the batch's changes: true when nothing needed writing or the file was replaced;
    // false (old file intact) when the file was unreadable or the write failed.
    bool Save();

private:
    enum class Kind : unsigned char { Other, Section, Key };
    enum class Eol : unsigned char { None, Lf, CrLf }; // "", "\n", "\r\n"
    // A line of the file. Its bytes (without the line end) are text_[pos, pos + len): the lines
    // are small plain records, so reading a file allocates nothing per line and inserting a
    // line moves no strings. A rewritten or added line's bytes are appended to text_.
    // 32 bits hold every offset: a file is at most kMaxFileSize, and the text is compacted
    // before its unused bytes outgrow the used ones.
    struct Line {
        std::uint32_t pos = 0, len = 0;
        std::uint32_t name_pos = 0, name_len = 0; // the section or key name (trimmed), in the line
        std::uint32_t eq = 0;                     // key lines: the first "=", in the line
        Kind kind = Kind::Other;
        Eol eol = Eol::None;
    };
    // An entry of the look-up table: a section header (`line` == `header`) or a key line of
    // the section at `header`, with the low 32 bits of the names' hash. An empty slot has
    // `line` == kNoLine. Line numbers fit 32 bits as the offsets do.
    static constexpr std::uint32_t kNoLine = UINT32_MAX;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t header = 0;
        std::uint32_t line = kNoLine;
    };

    IniFile() = default;
    void Parse(std::string_view bytes);
    static void Classify(Line& line, std::string_view text);
    // The offsets are kept inside text_ by construction, so no bounds are checked here.
    std::string_view Text(const Line& line) const {
        return std::string_view(text_.data() + line.pos, line.len);
    }
    std::string_view Name(const Line& line) const {
        return std::string_view(text_.data() + line.pos + line.name_pos, line.name_len);
    }
    // A new line of the given pieces, its bytes appended to text_.
    Line AddLine(std::initializer_list<std::string_view> pieces, Kind kind, std::size_t name_pos,
                 std::size_t name_len);
    // Index of the section's header line, or npos. Names are in the file's encoding.
    std::size_t FindSection(std::string_view file_section) const;
    // One past the section's last line.
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindKey(std::string_view file_section, std::string_view file_key) const;
    const Line* FindKeyLine(std::string_view section, std::string_view key) const;
    // The look-up table (open addressing) of the first section of each name and the first key
    // of each name in it, rebuilt on the first look-up after lines were removed. Its hash and
    // comparison ignore ASCII letter case as the names do, so a look-up copies no name.
    void BuildIndex() const;
    std::size_t Lookup(std::string_view file_section, std::string_view file_key) const;
    std::size_t Probe(std::uint32_t hash, std::string_view file_section,
                      std::string_view file_key) const;
    // Enters a section (`line` == `header`) or key unless its name is there already; a caller
    // that just looked for the name passes false.
    void IndexAdd(std::size_t header, std::size_t line, bool may_be_there = true) const;
    void IndexInsertedLine(std::size_t at) const;

    std::string path_;
    std::string text_;
    std::size_t dead_bytes_ = 0; // bytes of text_ that no line uses any more
    std::vector<Line> lines_;
    Eol eol_ = Eol::CrLf;
    bool utf8_ = false; // the file started with the UTF-8 mark (kept out of lines_)
    LoadState state_ = LoadState::Missing;
    bool modified_ = false;
    mutable std::vector<Slot> slots_;
    mutable std::size_t used_slots_ = 0;
    mutable bool indexed_ = false;
};

} // namespace tobu
