#include "platform/free_memory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace tobu;

namespace {

// The resident kB of the mapping that starts at `start`, from /proc/self/smaps.
long ResidentKb(const void* start) {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool in_it = false;
    char head[32];
    std::snprintf(head, sizeof head, "%lx-", reinterpret_cast<unsigned long>(start));
    while (std::getline(smaps, line)) {
        if (line.find('-') != std::string::npos && line.find(' ') > line.find('-') &&
            std::isxdigit(static_cast<unsigned char>(line[0])) && line.find(':') > 30)
            in_it = line.starts_with(head);
        else if (in_it && line.starts_with("Rss:"))
            return std::stol(line.substr(4));
    }
    return -1;
}

} // namespace

TEST(FreeMemory, FontFilePagesAreDroppedAndReadAgainOnUse) {
    EXPECT_TRUE(
        IsFontFileMapping("7f00-7f10 r--p 00000000 08:01 12 /usr/share/fonts/a/ukai.ttc\n"));
    EXPECT_TRUE(IsFontFileMapping("7f00-7f10 r--p 00000000 08:01 12 /home/u/.fonts/Kai.TTF"));
    // Writable or shared mappings, other files and anonymous memory are left alone.
    EXPECT_FALSE(IsFontFileMapping("7f00-7f10 rw-p 00000000 08:01 12 /tmp/x.ttf"));
    EXPECT_FALSE(IsFontFileMapping("7f00-7f10 r--s 00000000 08:01 12 /tmp/x.ttf"));
    EXPECT_FALSE(IsFontFileMapping("7f00-7f10 r--p 00000000 08:01 12 /usr/lib/libQt6Gui.so.6"));
    EXPECT_FALSE(IsFontFileMapping("7f00-7f10 r--p 00000000 00:00 0 "));
    EXPECT_FALSE(IsFontFileMapping("garbage"));

    // A "font" of 1 MB, mapped as a font library maps it and read through.
    char path[] = "/tmp/tobu-font-XXXXXX.ttf";
    const int fd = ::mkstemps(path, 4);
    ASSERT_GE(fd, 0);
    std::string bytes(1 << 20, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    void* map = ::mmap(nullptr, bytes.size(), PROT_READ, MAP_PRIVATE, fd, 0);
    ASSERT_NE(map, MAP_FAILED);
    const auto* p = static_cast<const unsigned char*>(map);
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 4096) sum += p[i];
    EXPECT_GE(ResidentKb(map), 1000);

    EXPECT_GE(ReturnFontPages(), bytes.size());
    EXPECT_EQ(ResidentKb(map), 0);
    // Nothing is lost: the contents read back the same.
    unsigned again = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 4096) again += p[i];
    EXPECT_EQ(again, sum);
    EXPECT_EQ(p[12345], static_cast<unsigned char>(12345 * 7));
    ::munmap(map, bytes.size());

    // A font mapping whose pages were written (copied) keeps them.
    void* written = ::mmap(nullptr, 8192, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    ASSERT_NE(written, MAP_FAILED);
    static_cast<char*>(written)[100] = 'X';
    ASSERT_EQ(::mprotect(written, 8192, PROT_READ), 0);
    ReturnFontPages();
    EXPECT_EQ(static_cast<const char*>(written)[100], 'X');
    ::munmap(written, 8192);
    ::close(fd);
    ::unlink(path);
}
