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
#include <string>
#include <string_view>
#include <unordered_map>
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
    // Files larger than this are not read (and therefore never rewritten).
    static constexpr std::size_t kMaxFileSize = 64u << 20;

    enum class LoadState {
        Missing,    // no file: every read gives its default, the first save creates it
        Loaded,     // the file was read
        Unreadable, // the file exists but could not be read: reads give defaults, Save fails
    };

    // Reads the file at `path` (a missing or unreadable file is not an error).
    explicit IniFile(std::string path);
    // A batch over bytes already in memory (GBK text, or UTF-8 after a byte-order mark); Save()
    // writes to `path`.
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
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text; // the line's bytes without its line end
        std::string eol;  // "\r\n", "\n" or "" for a last line without one
        Kind kind = Kind::Other;
        std::string name;           // section or key name (file's encoding, trimmed)
        std::size_t name_begin = 0; // key lines: where the key name starts in `text`
        std::size_t eq = 0;         // key lines: position of the first "="
    };

    IniFile() = default;
    void Parse(std::string_view bytes);
    static void Classify(Line& line);
    // Index of the section's header line, or npos. Names are in the file's encoding.
    std::size_t FindSection(std::string_view file_section) const;
    // One past the section's last line.
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindKey(std::string_view file_section, std::string_view file_key) const;
    const Line* FindKeyLine(std::string_view section, std::string_view key) const;
    // The look-up table of the first section of each name and the first key of each name in
    // it, built on the first look-up after the lines were added or removed.
    void BuildIndex() const;
    void IndexInsertedLine(std::size_t at) const;

    std::string path_;
    std::vector<Line> lines_;
    std::string eol_ = "\r\n";
    bool utf8_ = false; // the file started with the UTF-8 mark (kept out of lines_)
    LoadState state_ = LoadState::Missing;
    bool modified_ = false;
    mutable std::unordered_map<std::string, std::size_t> index_;
    mutable bool indexed_ = false;
};

} // namespace tobu
