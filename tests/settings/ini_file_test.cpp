#include "settings/ini_file.h"

#include "base/text.h"
#include "settings/bar_settings_writer.h"
#include "settings/temp_dir.h"
#include "support/other_user.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tobu;
using tobu::testing::kNobody;
using tobu::testing::RunAsOtherUser;
using tobu::testing::TempDir;
namespace fs = std::filesystem;

namespace {

const char kSample[] = "; settings of the clock\r\n"
                       "[Skin]\r\n"
                       "skinfile = Blue.sk \r\n"
                       "ClockFile=a=b\r\n"
                       "\r\n"
                       "; bar section\r\n"
                       "[BAR]\r\n"
                       "Left=0x1F\r\n"
                       "Top=$1F\r\n"
                       "Tr=abc\r\n"
                       "Empty=\r\n"
                       "junk line without equals\r\n"
                       "Left=5\r\n"
                       "\r\n"
                       "[bar]\r\n"
                       "Top=77\r\n";

} // namespace

TEST(IniFileRead, NamesIgnoreCaseAndValuesAreTrimmedTextAfterFirstEquals) {
    IniFile ini = IniFile::FromBytes(kSample);
    EXPECT_EQ(ini.ReadString("SKIN", "SkinFile", "x"), "Blue.sk");
    EXPECT_EQ(ini.ReadString("skin", "SKINFILE", "x"), "Blue.sk");
    EXPECT_EQ(ini.ReadString("SKIN", "ClockFile"), "a=b");
    EXPECT_EQ(ini.ReadString("BAR", "Empty", "def"), ""); // present but empty
    EXPECT_EQ(ini.ReadString("BAR", "Missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("NOPE", "Left", "def"), "def");
    EXPECT_TRUE(ini.SectionExists("bar"));
    EXPECT_FALSE(ini.SectionExists("SKI"));
    EXPECT_TRUE(ini.KeyExists("Bar", "empty"));
    EXPECT_FALSE(ini.KeyExists("BAR", "junk line without equals"));
    // Comments are never keys, and keys before the first section belong to none.
    IniFile c = IniFile::FromBytes("Top=1\n[A]\n;Top=2\n  ; x=3\n");
    EXPECT_EQ(c.ReadInteger("A", "Top", -1), -1);
    EXPECT_EQ(c.ReadInteger("A", ";Top", -1), -1);
}

TEST(IniFileRead, FirstSectionAndFirstKeyWin) {
    IniFile ini = IniFile::FromBytes(kSample);
    EXPECT_EQ(ini.ReadInteger("BAR", "Left", 0), 31);
    EXPECT_EQ(ini.ReadInteger("BAR", "Top", 0), 31); // not the 77 of the second [bar]
    EXPECT_EQ(ini.ReadSection("bar"),
              (std::vector<std::string>{"Left", "Top", "Tr", "Empty", "Left"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Skin", "BAR", "bar"}));
    EXPECT_TRUE(ini.ReadSection("none").empty());
}

TEST(IniFileRead, IntegersAndBooleans) {
    IniFile ini = IniFile::FromBytes("[N]\na=0x1F\nb=$1f\nc=letters\nd=\ne= -12 \nf=12abc\n"
                                     "t=2\nz=0\nn=no\n");
    EXPECT_EQ(ini.ReadInteger("N", "a", 7), 31);
    EXPECT_EQ(ini.ReadInteger("N", "b", 7), 31);
    EXPECT_EQ(ini.ReadInteger("N", "c", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "d", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "e", 7), -12);
    EXPECT_EQ(ini.ReadInteger("N", "f", 7), 7);
    EXPECT_EQ(ini.ReadInteger("N", "missing", 7), 7);
    EXPECT_TRUE(ini.ReadBool("N", "t", false));
    EXPECT_FALSE(ini.ReadBool("N", "z", true));
    EXPECT_TRUE(ini.ReadBool("N", "n", true)); // not an integer: the default
    EXPECT_FALSE(ini.ReadBool("N", "n", false));
    EXPECT_TRUE(ini.ReadBool("N", "missing", true));
}

TEST(IniFileWrite, ReplacesInPlaceKeepingSpellingAndEveryOtherLine) {
    IniFile ini = IniFile::FromBytes(kSample);
    EXPECT_TRUE(ini.WriteString("skin", "SKINFILE", "Red.sk"));
    EXPECT_TRUE(ini.WriteInteger("Bar", "LEFT", 948));
    EXPECT_TRUE(ini.WriteBool("BAR", "tr", true));
    std::string expected = kSample;
    expected.replace(expected.find("skinfile = Blue.sk "), 19, "skinfile=Red.sk");
    expected.replace(expected.find("Left=0x1F"), 9, "Left=948");
    expected.replace(expected.find("Tr=abc"), 6, "Tr=1");
    EXPECT_EQ(ini.Serialize(), expected);
}

TEST(IniFileWrite, AppendsAfterLastKeyOfSectionAndCreatesSectionsAtEnd) {
    IniFile ini = IniFile::FromBytes("[A]\r\nx=1\r\n; about B\r\n\r\n[B]\r\n\r\n; tail\r\n");
    ini.WriteString("A", "y", "2");
    ini.WriteString("B", "z", "3");
    ini.WriteString("C", "w", "4");
    EXPECT_EQ(ini.Serialize(), "[A]\r\nx=1\r\ny=2\r\n; about B\r\n\r\n[B]\r\nz=3\r\n\r\n; tail\r\n"
                               "[C]\r\nw=4\r\n");
    EXPECT_TRUE(ini.Modified());
}

TEST(IniFileWrite, LineEndsFollowTheFile) {
    IniFile lf = IniFile::FromBytes("[A]\nx=1\n");
    lf.WriteString("A", "y", "2");
    lf.WriteString("B", "k", "v");
    EXPECT_EQ(lf.Serialize(), "[A]\nx=1\ny=2\n[B]\nk=v\n");

    IniFile no_end = IniFile::FromBytes("[A]\r\nx=1"); // last line without a line end
    no_end.WriteString("A", "y", "2");
    EXPECT_EQ(no_end.Serialize(), "[A]\r\nx=1\r\ny=2\r\n");
    IniFile header_only = IniFile::FromBytes("[A]");
    header_only.WriteString("A", "y", "2");
    EXPECT_EQ(header_only.Serialize(), "[A]\r\ny=2\r\n");

    IniFile fresh = IniFile::FromBytes("");
    fresh.WriteInteger("BAR", "Left", -100);
    EXPECT_EQ(fresh.Serialize(), "[BAR]\r\nLeft=-100\r\n");
}

TEST(IniFileWrite, RejectsNamesALineCannotHoldAndFlattensValues) {
    IniFile ini = IniFile::FromBytes("[A]\r\n");
    EXPECT_FALSE(ini.WriteString("", "k", "v"));
    EXPECT_FALSE(ini.WriteString("A", "", "v"));
    EXPECT_FALSE(ini.WriteString("A", "a=b", "v"));
    EXPECT_FALSE(ini.WriteString("A", "[k", "v"));
    EXPECT_FALSE(ini.WriteString("A", ";k", "v"));
    EXPECT_FALSE(ini.WriteString("A", "k\nx", "v"));
    EXPECT_FALSE(ini.WriteString("A]", "k", "v"));
    EXPECT_FALSE(ini.WriteString("A\r\n[B", "k", "v"));
    EXPECT_FALSE(ini.Modified());
    // A value cannot smuggle in a new line or section.
    EXPECT_TRUE(ini.WriteString("A", "k", "one\r\n[B]\r\nx=2"));
    EXPECT_EQ(ini.Serialize(), "[A]\r\nk=one  [B]  x=2\r\n");
    EXPECT_FALSE(ini.SectionExists("B"));
    // Blanks around names and values are dropped like the reader drops them.
    EXPECT_TRUE(ini.WriteString(" A ", " k ", "  v  "));
    EXPECT_EQ(ini.ReadString("A", "k"), "v");
}

TEST(IniFileWrite, UnchangedValueAndEraseKey) {
    IniFile ini = IniFile::FromBytes("[A]\r\nx=1\r\ny=2");
    EXPECT_TRUE(ini.WriteInteger("A", "X", 1));
    EXPECT_FALSE(ini.Modified());
    EXPECT_TRUE(ini.EraseKey("a", "Y"));
    EXPECT_EQ(ini.Serialize(), "[A]\r\nx=1");
    EXPECT_FALSE(ini.EraseKey("A", "y"));
}

// Reads between writes: inserted lines move the keys after them, an erased key lets a later
// one of the same name come forward, and a key under a repeated section stays hidden.
TEST(IniFileWrite, ReadsStayRightAcrossInsertsAndErases) {
    IniFile ini = IniFile::FromBytes("[A]\r\nx=1\r\n[B]\r\ny=2\r\ny=3\r\n[a]\r\nz=4\r\n");
    EXPECT_EQ(ini.ReadString("b", "Y"), "2");
    EXPECT_FALSE(ini.KeyExists("A", "z"));
    ASSERT_TRUE(ini.WriteInteger("A", "w", 5)); // inserted before [B]
    ASSERT_TRUE(ini.WriteInteger("C", "v", 6)); // a new section at the end
    EXPECT_EQ(ini.ReadInteger("B", "y", 0), 2);
    EXPECT_EQ(ini.ReadInteger("A", "W", 0), 5);
    EXPECT_EQ(ini.ReadInteger("c", "V", 0), 6);
    ASSERT_TRUE(ini.WriteInteger("B", "y", 7));
    EXPECT_TRUE(ini.EraseKey("B", "y"));
    EXPECT_EQ(ini.ReadInteger("B", "y", 0), 3);
    ASSERT_TRUE(ini.WriteInteger("A", "x", 8));
    EXPECT_EQ(ini.Serialize(), "[A]\r\nx=8\r\nw=5\r\n[B]\r\ny=3\r\n[a]\r\nz=4\r\n[C]\r\nv=6\r\n");
    EXPECT_EQ(IniFile::FromBytes(ini.Serialize()).ReadInteger("a", "w", 0), 5);

    // A batch that rewrites keys thousands of times, as a dialog kept open would, keeps every
    // line right (and its text small), in a copy too; a few hundred new keys grow the table.
    IniFile busy = IniFile::FromBytes("  [s]\nKey =old\nother=keep\n[T]\n; note\n");
    for (int i = 0; i < 3000; ++i) ASSERT_TRUE(busy.WriteString("S", "key", std::to_string(i)));
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(busy.WriteInteger("T", "k" + std::to_string(i), i));
    const IniFile copy = busy;
    EXPECT_EQ(copy.ReadInteger("s", "KEY", 0), 2999);
    EXPECT_EQ(copy.ReadInteger("t", "K299", 0), 299);
    EXPECT_TRUE(copy.Serialize().starts_with("  [s]\nKey=2999\nother=keep\n[T]\nk0=0\nk1=1\n"));
    EXPECT_TRUE(copy.Serialize().ends_with("k299=299\n; note\n"));
}

TEST(IniFileGbk, ChineseValuesAreGbkOnDiskAndUtf8InMemory) {
    TempDir dir;
    const std::string path = dir.File("skin.ini");
    IniFile ini(path);
    EXPECT_EQ(ini.State(), IniFile::LoadState::Missing);
    ASSERT_TRUE(ini.WriteString("LED", "FontName", "宋体"));
    ASSERT_TRUE(ini.WriteString("日历", "标记", "春节"));
    ASSERT_TRUE(ini.Save());
    // 宋体 is CB CE CC E5 in GBK.
    EXPECT_EQ(TempDir::Get(path), "[LED]\r\nFontName=\xCB\xCE\xCC\xE5\r\n[" + Utf8ToGbk("日历") +
                                      "]\r\n" + Utf8ToGbk("标记") + "=" + Utf8ToGbk("春节") +
                                      "\r\n");
    IniFile again(path);
    EXPECT_EQ(again.ReadString("led", "fontname"), "宋体");
    EXPECT_EQ(again.ReadString("日历", "标记"), "春节");
}

TEST(IniFileGbk, DoubleByteNamesAreNotCaseFolded) {
    // B0 41 and B0 61 are two different GBK characters whose trail bytes are "A" and "a".
    IniFile ini = IniFile::FromBytes("[S]\r\n\xB0\x41=upper\r\n");
    EXPECT_EQ(ini.ReadString("S", GbkToUtf8("\xB0\x41"), "none"), "upper");
    EXPECT_EQ(ini.ReadString("S", GbkToUtf8("\xB0\x61"), "none"), "none");
    // Bytes that are not valid GBK survive a rewrite of another line untouched.
    const std::string raw = "[S]\r\nk=1\r\n\xFF\xFE\x80 odd\r\nbad=\xFF\x81\r\n";
    IniFile odd = IniFile::FromBytes(raw);
    odd.WriteInteger("S", "k", 2);
    std::string expected = raw;
    expected.replace(5, 3, "k=2");
    EXPECT_EQ(odd.Serialize(), expected);
}

TEST(IniFileRobustness, GarbageEmptyAndHugeInputGiveDefaults) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
    garbage += std::string(3, '\0') + "[A\x00]=\n=\n[]\n[ ]\n\xEF\xBB\xBF[X]\n";
    IniFile g = IniFile::FromBytes(garbage);
    EXPECT_EQ(g.ReadInteger("BAR", "Left", 948), 948);
    EXPECT_TRUE(g.WriteInteger("BAR", "Left", 1));
    IniFile reread = IniFile::FromBytes(g.Serialize());
    EXPECT_EQ(reread.ReadInteger("BAR", "Left", 948), 1);
    EXPECT_EQ(g.Serialize().substr(0, garbage.size()), garbage);

    IniFile empty = IniFile::FromBytes("");
    EXPECT_EQ(empty.ReadString("A", "b", "d"), "d");
    EXPECT_TRUE(empty.ReadSections().empty());

    std::string huge = "[A]\r\nbig=" + std::string(2'000'000, 'x') + "\r\nsmall=5\r\n";
    IniFile h = IniFile::FromBytes(huge);
    EXPECT_EQ(h.ReadString("A", "big").size(), 2'000'000u);
    EXPECT_EQ(h.ReadInteger("A", "small", 0), 5);
}

TEST(IniFileRobustness, ByteOrderMarkBeforeFirstSection) {
    IniFile ini = IniFile::FromBytes("\xEF\xBB\xBF[BAR]\r\nTop=3\r\n");
    EXPECT_EQ(ini.ReadInteger("BAR", "Top", 0), 3);
    ini.WriteInteger("BAR", "Top", 4);
    EXPECT_EQ(ini.Serialize(), "\xEF\xBB\xBF[BAR]\r\nTop=4\r\n");
}

// A skin.ini saved by an editor as UTF-8 with a byte-order mark is read and written as UTF-8;
// without the mark the file stays GBK.
TEST(IniFileEncoding, ByteOrderMarkMakesTheFileUtf8) {
    TempDir dir;
    const std::string path = dir.File("skin.ini");
    const std::string bom = "\xEF\xBB\xBF";
    TempDir::Put(path, bom + "[SKIN]\r\nSkinFile=蓝色.sk\r\n[LED]\r\nFontName=宋体\r\n"
                             "[皮肤a]\r\n名字B=值\r\nbad=x\xFFy\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.ReadString("SKIN", "SkinFile"), "蓝色.sk");
    EXPECT_EQ(ini.ReadString("led", "fontname"), "宋体");
    // ASCII letters after a Chinese character still fold.
    EXPECT_EQ(ini.ReadString("皮肤A", "名字b"), "值");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"SKIN", "LED", "皮肤a"}));
    EXPECT_EQ(ini.ReadString("皮肤a", "bad"), "x\uFFFDy"); // malformed bytes stay readable
    // A character GBK has no form for survives in a UTF-8 file.
    ASSERT_TRUE(ini.WriteString("LED", "FontName", "微软雅黑😀"));
    ASSERT_TRUE(ini.WriteString("新", "键", "黑体"));
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(TempDir::Get(path), bom + "[SKIN]\r\nSkinFile=蓝色.sk\r\n[LED]\r\n"
                                        "FontName=微软雅黑😀\r\n[皮肤a]\r\n名字B=值\r\n"
                                        "bad=x\xFFy\r\n[新]\r\n键=黑体\r\n");
    // Erasing the first key line keeps the mark, so the file stays UTF-8.
    IniFile again(path);
    ASSERT_TRUE(again.EraseKey("SKIN", "SkinFile"));
    ASSERT_TRUE(again.Save());
    EXPECT_EQ(TempDir::Get(path).substr(0, 9), bom + "[SKIN]");
    EXPECT_EQ(IniFile(path).ReadString("LED", "FontName"), "微软雅黑😀");

    // Without the mark: GBK in, GBK out, even for text that would also be valid UTF-8.
    TempDir::Put(path, "[SKIN]\r\nSkinFile=" + Utf8ToGbk("蓝色.sk") + "\r\n");
    IniFile gbk(path);
    EXPECT_EQ(gbk.ReadString("SKIN", "SkinFile"), "蓝色.sk");
    ASSERT_TRUE(gbk.WriteString("LED", "FontName", "宋体"));
    ASSERT_TRUE(gbk.Save());
    EXPECT_EQ(TempDir::Get(path), "[SKIN]\r\nSkinFile=" + Utf8ToGbk("蓝色.sk") +
                                      "\r\n[LED]\r\nFontName=" + Utf8ToGbk("宋体") + "\r\n");
}

// Saving: one batch reads the file, writes go to memory, Save replaces the file atomically.
class IniFileSave : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("skin.ini");
    const std::string original = "; mine\r\n[BAR]\r\nLeft=10\r\n";
};

TEST_F(IniFileSave, BatchesSeeEachOtherWithoutCaching) {
    TempDir::Put(path, original);
    IniFile first(path);
    IniFile second(path);
    first.WriteInteger("BAR", "Left", 20);
    ASSERT_TRUE(first.Save());
    EXPECT_EQ(second.ReadInteger("BAR", "Left", 0), 10); // opened before the save
    EXPECT_EQ(IniFile(path).ReadInteger("BAR", "Left", 0), 20);
    EXPECT_EQ(TempDir::Get(path), "; mine\r\n[BAR]\r\nLeft=20\r\n");
    EXPECT_EQ(dir.EntryCount(), 1u); // no temporary file left
}

TEST_F(IniFileSave, NothingWrittenWhenNothingChanged) {
    IniFile missing(path);
    EXPECT_TRUE(missing.Save());
    EXPECT_FALSE(fs::exists(path)); // reading alone never creates the file

    TempDir::Put(path, original);
    struct stat before {};
    ::stat(path.c_str(), &before);
    IniFile same(path);
    same.WriteInteger("bar", "left", 10);
    EXPECT_TRUE(same.Save());
    struct stat after {};
    ::stat(path.c_str(), &after);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(IniFileSave, FailuresReturnFalseAndKeepTheOldFile) {
    // The folder does not exist.
    IniFile nowhere(dir.File("no/such/folder/skin.ini"));
    nowhere.WriteInteger("BAR", "Left", 1);
    EXPECT_FALSE(nowhere.Save());

    // The path is a folder holding a file.
    fs::create_directory(path);
    TempDir::Put(path + "/inside", original);
    IniFile folder(path);
    EXPECT_EQ(folder.State(), IniFile::LoadState::Unreadable);
    EXPECT_EQ(folder.ReadInteger("BAR", "Left", 5), 5);
    folder.WriteInteger("BAR", "Left", 1);
    EXPECT_FALSE(folder.Save());
    EXPECT_FALSE(WriteFileAtomically(path, "x"));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(TempDir::Get(path + "/inside"), original);
    EXPECT_EQ(dir.EntryCount(), 1u);

    EXPECT_FALSE(WriteFileAtomically("", "x"));
}

TEST_F(IniFileSave, NamedPipeIsRefusedWithoutBlocking) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    IniFile ini(path); // would wait for a writer forever if opened blocking
    EXPECT_EQ(ini.State(), IniFile::LoadState::Unreadable);
    ini.WriteInteger("BAR", "Left", 1);
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(fs::is_fifo(path));
}

TEST_F(IniFileSave, FullDiskKeepsTheOldFile) {
    TempDir::Put(path, original);
    IniFile ini(path);
    ini.WriteString("BAR", "Big", std::string(256 * 1024, 'x'));
    // Simulate a full disk: files may not grow beyond 64 KiB (works for root too).
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = ini.Save();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(TempDir::Get(path), original);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

// Standard error of the calling process goes to a memory file until Text() is called.
class StderrToMemory {
public:
    StderrToMemory() : mem_(::memfd_create("stderr", 0)), saved_(::dup(2)) { ::dup2(mem_, 2); }
    ~StderrToMemory() { Restore(); }
    std::string Text() {
        Restore();
        std::string out(4096, '\0');
        ssize_t n = ::pread(mem_, out.data(), out.size(), 0);
        out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return out;
    }

private:
    void Restore() {
        if (saved_ < 0) return;
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    int mem_, saved_;
};

TEST_F(IniFileSave, ReadOnlyFolderRewritesAWritableFileInPlace) {
    TempDir::Put(path, original);
    // Root ignores folder permissions: the case runs as an unprivileged user.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(dir.Dir().c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(dir.Dir().c_str(), 0555), 0);
    const std::string ini_path = path;
    int failed = RunAsOtherUser([&] {
        IniFile longer(ini_path);
        longer.WriteInteger("BAR", "Left", 12345);
        if (!longer.Save()) return 1;
        if (TempDir::Get(ini_path) != "; mine\r\n[BAR]\r\nLeft=12345\r\n") return 2;
        IniFile shorter(ini_path);
        shorter.EraseKey("BAR", "Left");
        if (!shorter.Save()) return 3;
        if (TempDir::Get(ini_path) != "; mine\r\n[BAR]\r\n") return 4; // cut to the new length

        // Neither the folder nor the file takes the save: it fails, and says so once.
        ::chmod(ini_path.c_str(), 0444);
        StderrToMemory err;
        if (SaveBarPosition(ini_path, 5, 6) || SaveBarState(ini_path, 0, 5, 6, 200)) return 5;
        std::string text = err.Text();
        if (std::count(text.begin(), text.end(), '\n') != 1) return 6;
        if (text.find("cannot save the settings to " + ini_path + "\n") == std::string::npos)
            return 7;
        if (TempDir::Get(ini_path) != "; mine\r\n[BAR]\r\n") return 8;
        return 0;
    });
    ::chmod(dir.Dir().c_str(), 0700);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

// A save killed after it made its temporary file leaves that file behind; the next save of the
// same file removes such leftovers: only complete names of its own pattern, only regular files
// of this user, only when older than any save still in progress can be.
TEST_F(IniFileSave, LeftoversOfAKilledSaveAreRemovedByTheNextSave) {
    TempDir::Put(path, original);
    auto age = [](const std::string& p, int seconds) {
        timespec times[2];
        ::clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec -= seconds;
        times[1] = times[0];
        ::utimensat(AT_FDCWD, p.c_str(), times, AT_SYMLINK_NOFOLLOW);
    };
    const std::string stale = dir.File(".skin.ini.tobu-Ab12Cd");
    TempDir::Put(stale, original);
    age(stale, 60);
    const std::vector<std::string> kept = {
        dir.File(".skin.ini.tobu-Young1"), // a save in progress
        dir.File(".skin.ini.tobu-Ab12C"),  // not the pattern
        dir.File(".skin.ini.tobu-Ab12C_"),  dir.File(".skin.ini.backup"),
        dir.File(".other.ini.tobu-Ab12Cd"), // another file's
        dir.File("skin.ini.tobu-Ab12Cd"),
    };
    for (const auto& k : kept) {
        TempDir::Put(k, "x");
        if (k != kept[0]) age(k, 60);
    }
    const std::string folder = dir.File(".skin.ini.tobu-Dir123");
    fs::create_directory(folder);
    age(folder, 60);
    const std::string link = dir.File(".skin.ini.tobu-Link12");
    fs::create_symlink(path, link);
    age(link, 60);
    std::string foreign;
    if (::geteuid() == 0) { // only root can leave a file of another user
        foreign = dir.File(".skin.ini.tobu-Other1");
        TempDir::Put(foreign, "x");
        ASSERT_EQ(::chown(foreign.c_str(), kNobody, kNobody), 0);
        age(foreign, 60);
    }

    IniFile ini(path);
    ini.WriteInteger("BAR", "Left", 2);
    ASSERT_TRUE(ini.Save());
    EXPECT_FALSE(fs::exists(stale));
    for (const auto& k : kept) EXPECT_TRUE(fs::exists(k)) << k;
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_symlink(link));
    if (!foreign.empty()) {
        EXPECT_TRUE(fs::exists(foreign));
    }
    EXPECT_EQ(TempDir::Get(path), "; mine\r\n[BAR]\r\nLeft=2\r\n");
}

TEST_F(IniFileSave, TooLargeFileIsNeverRewritten) {
    {
        TempDir::Put(path, original);
        fs::resize_file(path, IniFile::kMaxFileSize + 1); // sparse, cheap
    }
    IniFile ini(path);
    EXPECT_EQ(ini.State(), IniFile::LoadState::Unreadable);
    ini.WriteInteger("BAR", "Left", 1);
    EXPECT_FALSE(ini.Save());
    EXPECT_EQ(fs::file_size(path), IniFile::kMaxFileSize + 1);
}

TEST_F(IniFileSave, KeepsPermissionsAndFollowsSymbolicLinks) {
    TempDir::Put(path, original);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = dir.File("link.ini");
    fs::create_symlink(path, link);
    IniFile ini(link);
    ini.WriteInteger("BAR", "Top", 3);
    ASSERT_TRUE(ini.Save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(TempDir::Get(path), original + "Top=3\r\n");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(dir.EntryCount(), 2u);
}

// Files written for the user (`tobu skin unpack/pack`) in folders that other users share: a link
// planted by someone else never makes us replace one of our own files.
TEST(WriteNewFile, NeverFollowsALinkAndRefusesWhatOthersMayChange) {
    TempDir dir;
    auto write = [](const std::string& p, std::string_view data, std::string* why = nullptr) {
        return WriteFileAtomically(p, data, LinkPolicy::Replace, why);
    };
    const std::string victim = dir.File("home/.bashrc");
    fs::create_directories(dir.File("home"));
    TempDir::Put(victim, "mine");

    // Our own link in our own folder: the new file replaces the link, not its target.
    fs::create_directories(dir.File("own"));
    const std::string own_link = dir.File("own/skin.ini");
    fs::create_symlink(victim, own_link);
    ASSERT_TRUE(write(own_link, "new"));
    EXPECT_FALSE(fs::is_symlink(own_link));
    EXPECT_EQ(TempDir::Get(own_link), "new");
    EXPECT_EQ(TempDir::Get(victim), "mine");

    // A folder everybody may write, without the sticky bit: refused even without a link.
    const std::string open_dir = dir.File("open");
    fs::create_directories(open_dir);
    ASSERT_EQ(::chmod(open_dir.c_str(), 0777), 0);
    std::string why;
    EXPECT_FALSE(write(open_dir + "/skin.ini", "new", &why));
    EXPECT_NE(why.find("other users may change the folder"), std::string::npos) << why;
    EXPECT_FALSE(fs::exists(open_dir + "/skin.ini"));

    // A /tmp of our own (sticky, writable by all): a fresh file there is fine.
    const std::string tmp = dir.File("tmp");
    fs::create_directories(tmp);
    ASSERT_EQ(::chmod(tmp.c_str(), 01777), 0);
    EXPECT_TRUE(write(tmp + "/Dark.sk", "package"));

    if (::geteuid() != 0) GTEST_SKIP() << "another user's links need root to set up";
    ASSERT_EQ(::chmod(dir.Dir().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(dir.File("home").c_str(), 0755), 0);
    // Another user plants: /tmp/x (their folder) with x/skin.ini -> our file, /tmp/skin.ini ->
    // our file, /tmp/y -> our folder, and /tmp/settings.ini -> our file.
    ASSERT_EQ(RunAsOtherUser([&] {
                  if (::mkdir((tmp + "/x").c_str(), 0777) != 0 ||
                      ::chmod((tmp + "/x").c_str(), 0755))
                      return 1;
                  if (::symlink(victim.c_str(), (tmp + "/x/skin.ini").c_str()) != 0) return 2;
                  if (::symlink(victim.c_str(), (tmp + "/skin.ini").c_str()) != 0) return 3;
                  if (::symlink(dir.File("own").c_str(), (tmp + "/y").c_str()) != 0) return 4;
                  if (::symlink(victim.c_str(), (tmp + "/settings.ini").c_str()) != 0) return 5;
                  return 0;
              }),
              0);
    EXPECT_FALSE(write(tmp + "/x/skin.ini", "evil", &why));
    EXPECT_NE(why.find("other users may change the folder"), std::string::npos) << why;
    EXPECT_FALSE(write(tmp + "/skin.ini", "evil", &why));
    EXPECT_EQ(why, "it is a symbolic link of another user");
    EXPECT_FALSE(write(tmp + "/y/skin.ini", "evil", &why));
    EXPECT_NE(why.find("reached through another user's link"), std::string::npos) << why;
    EXPECT_EQ(TempDir::Get(own_link), "new");
    // The settings' own policy follows only a link that, with its target, is ours.
    EXPECT_FALSE(WriteFileAtomically(tmp + "/settings.ini", "evil"));
    const std::string theirs = dir.File("home/theirs.ini");
    TempDir::Put(theirs, "theirs");
    ASSERT_EQ(::chown(theirs.c_str(), kNobody, kNobody), 0);
    fs::create_symlink(theirs, dir.File("own/link.ini"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("own/link.ini"), "evil"));
    EXPECT_EQ(TempDir::Get(theirs), "theirs");
    EXPECT_EQ(TempDir::Get(victim), "mine");
    EXPECT_TRUE(fs::is_symlink(tmp + "/x/skin.ini"));
}

TEST_F(IniFileSave, NewFileIsCreatedWithTheKey) {
    IniFile ini(path);
    ini.WriteBool("BAR", "OnTop", true);
    ASSERT_TRUE(ini.Save());
    EXPECT_FALSE(ini.Modified());
    EXPECT_EQ(TempDir::Get(path), "[BAR]\r\nOnTop=1\r\n");
    EXPECT_TRUE(IniFile(path).ReadBool("BAR", "OnTop", false));
}
