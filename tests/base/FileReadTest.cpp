#include "base/FileRead.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessane {
namespace {

namespace fs = std::filesystem;
using Status = FileRead::Status;

class FileReadTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tessane-read-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path write(const std::string& name, const std::string& text) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    // A file that reports `size` bytes but takes no room on disk.
    fs::path sparse(const std::string& name, off_t size) {
        const fs::path p = dir / name;
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        return p;
    }

    // The most address space this process has had, in bytes.
    static long vmPeak() {
        std::ifstream in("/proc/self/status");
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("VmPeak:")) return std::stol(line.substr(7)) * 1024;
        return 0;
    }

    fs::path dir;
};

TEST_F(FileReadTest, ReadsARegularFileAndTellsMissingFromUnreadable) {
    const auto ok = readRegularFile(write("a.txt", "hello\n"), 100);
    EXPECT_EQ(ok.status, Status::ok);
    EXPECT_EQ(ok.contents(), "hello\n");

    const auto empty = readRegularFile(write("empty.txt", ""), 100);
    EXPECT_EQ(empty.status, Status::ok);
    EXPECT_EQ(empty.contents(), "");

    EXPECT_EQ(readRegularFile(dir / "none.txt", 100).status, Status::missing);
    EXPECT_EQ(readRegularFile(dir / "a.txt" / "below-a-file", 100).status, Status::missing);
    fs::create_directory_symlink("loop", dir / "loop");
    const auto loop = readRegularFile(dir / "loop" / "x", 100);
    EXPECT_EQ(loop.status, Status::failed) << "a path that can't be followed is not a missing file";
    EXPECT_FALSE(loop.error.empty());
}

TEST_F(FileReadTest, SpecialFilesAreRefusedWithoutWaitingOrReading) {
    // A FIFO with no writer: opening it the ordinary way would wait for ever.
    const fs::path fifo = dir / "fifo.desktop";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto fromFifo = readRegularFile(fifo, 1 << 20);
    EXPECT_EQ(fromFifo.status, Status::notRegular);
    EXPECT_EQ(fromFifo.error, "not a regular file");

    // An endless device, directly and through a link named like a file.
    fs::create_symlink("/dev/zero", dir / "zero.json");
    EXPECT_EQ(readRegularFile("/dev/zero", 1 << 20).status, Status::notRegular);
    EXPECT_EQ(readRegularFile(dir, 1 << 20).status, Status::notRegular);
}

TEST_F(FileReadTest, TheLimitHoldsBySizeAndWhileReading) {
    const size_t limit = 1000;
    EXPECT_EQ(readRegularFile(write("at.txt", std::string(limit, 'x')), limit).contents().size(), limit);
    const auto over = readRegularFile(write("over.txt", std::string(limit + 1, 'x')), limit);
    EXPECT_EQ(over.status, Status::tooLarge);
    EXPECT_EQ(over.error, "larger than the limit of 1000 bytes");
    EXPECT_TRUE(over.contents().empty());

    // Refused by its size alone: reading it would take 4 GB.
    const auto huge = readRegularFile(sparse("huge.desktop", off_t{4} << 30), size_t{1} << 20);
    EXPECT_EQ(huge.status, Status::tooLarge);

    // /proc files report no size; they are read to their end, and the limit holds there too.
    const auto status = readRegularFile("/proc/self/status", 1 << 20);
    ASSERT_EQ(status.status, Status::ok);
    EXPECT_NE(status.contents().find("Name:"), std::string_view::npos);
    EXPECT_GT(status.contents().size(), 100u);
    EXPECT_EQ(readRegularFile("/proc/self/status", 100).status, Status::tooLarge);

#ifndef __SANITIZE_ADDRESS__  // whose allocator keeps freed blocks for a while
    // A text that grows while it is read (a process's list of its 30,000 mappings, which reports
    // no size, some 20 MiB long) stops at the limit, and the memory it takes on the way (the
    // address space at its peak) stays within it: in a process of its own, whose peak is its own.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const size_t text = size_t{16} << 20;
    if (::fork() == 0) {
        const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
        for (int i = 0; i < 30'000; ++i) ::mmap(nullptr, page, i % 2 ? PROT_READ : PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        const long before = vmPeak();
        const auto grown = readRegularTextFile("/proc/self/smaps", text, "");
        const long peak = grown.status == Status::tooLarge ? vmPeak() - before : -1;
        ::_exit(::write(pipe[1], &peak, sizeof peak) == sizeof peak ? 0 : 1);
    }
    long peak = 0;
    ::close(pipe[1]);
    ASSERT_EQ(::read(pipe[0], &peak, sizeof peak), static_cast<ssize_t>(sizeof peak));
    ::close(pipe[0]);
    ::wait(nullptr);
    EXPECT_GE(peak, 0) << "read in full";
    EXPECT_LE(peak, static_cast<long>(text + text / 8)) << "bytes at the peak";
#endif
}

// A text is judged as it is read: what is not text is refused by its first bytes, and a huge file
// of zeros is never read in full.
TEST_F(FileReadTest, ATextIsRefusedByTheFirstBytesThatAreNotText) {
    const auto zeros = readRegularTextFile(sparse("zeros.json", off_t{500} << 20), size_t{512} << 20, "{[");
    EXPECT_EQ(zeros.status, Status::notText);
    EXPECT_EQ(zeros.error, "not text: a NUL byte at byte 0");
    EXPECT_LE(zeros.bytesRead(), size_t{64} << 10);

    // Past its first piece: the text before is judged, the rest is not read.
    std::string text = "[\"" + std::string(100'000, 'a') + "\xC3\xA9\xFF";
    const auto bad = readRegularTextFile(write("bad.json", text + std::string(10 << 20, 'a')), 64 << 20, "{[");
    EXPECT_EQ(bad.error, "not text: no UTF-8 at byte 100004");
    EXPECT_LT(bad.bytesRead(), size_t{10} << 20);
    EXPECT_EQ(readRegularTextFile(write("cut.json", "[\"\xC3"), 100, "{[").error, "not text: no UTF-8 at byte 2");
    EXPECT_EQ(readRegularTextFile(write("word.json", "\n nope"), 100, "{[").error,
              "not text: its first character (byte 2) is not one of “{[”");

    // A mark, white space, and characters of every length, one of them cut by the first piece's end.
    std::string good = "\xEF\xBB\xBF \r\n{\"" + std::string(65'526, 'a');
    good += "\xF0\x9F\x98\x80 \xE2\x82\xAC \xC3\xA9\"}";
    const auto ok = readRegularTextFile(write("good.json", good), 1 << 20, "{[");
    EXPECT_EQ(ok.status, Status::ok);
    EXPECT_EQ(ok.contents(), good);
    EXPECT_EQ(readRegularTextFile(write("blank.json", " \n"), 100, "{[").status, Status::ok);
}

TEST(ByteOrderMark, OnlyALeadingMarkIsDropped) {
    EXPECT_EQ(withoutByteOrderMark("\xEF\xBB\xBF[1]"), "[1]");
    EXPECT_EQ(withoutByteOrderMark("[\xEF\xBB\xBF]"), "[\xEF\xBB\xBF]");
    EXPECT_EQ(withoutByteOrderMark("\xEF\xBB"), "\xEF\xBB");
    EXPECT_EQ(withoutByteOrderMark(""), "");
}

}  // namespace
}  // namespace tessane
