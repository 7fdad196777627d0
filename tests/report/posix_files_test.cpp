// The report's files on POSIX: the log that many processes append to, files readable by their
// owner only (under the usual umask, 022), never written through a link, moved across devices.

#include "report/posix_files.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/failure.hpp"
#include "report/report_sandbox.hpp"

namespace annalex::testing {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

std::string entry(int writer, int number) {
    return std::string(200, static_cast<char>('a' + writer)) + std::to_string(number) + "\r\n";
}

class PosixFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { previousMask_ = ::umask(022); }
    void TearDown() override { ::umask(previousMask_); }
    fs::path log() const { return sandbox.errorLogs() / "VmError.log"; }

    ReportSandbox sandbox;
    report::PosixFiles files;

  private:
    mode_t previousMask_ = 0;
};

TEST_F(PosixFilesTest, WritersStartingTogetherOnANewLogLoseNoEntry) {
    constexpr int kWriters = 8;
    for (int round = 0; round < 5; ++round) {  // each round races to create the log anew
        fs::remove(log());
        int gate[2];
        ASSERT_EQ(::pipe(gate), 0);
        for (int writer = 0; writer < kWriters; ++writer) {
            if (::fork() == 0) {
                ::close(gate[1]);
                char c = 0;
                [[maybe_unused]] const ssize_t opened = ::read(gate[0], &c, 1);
                for (int number = 0; number < 20; ++number) {
                    report::PosixFiles().appendLogEntry(log().string(), entry(writer, number));
                }
                _exit(0);
            }
        }
        ::close(gate[0]);
        ::close(gate[1]);  // every writer starts now
        while (::wait(nullptr) > 0) {
        }
        std::string text = ReportSandbox::read(log());
        for (int writer = 0; writer < kWriters; ++writer) {
            for (int number = 0; number < 20; ++number) {
                const std::size_t at = text.find(entry(writer, number));
                ASSERT_NE(at, std::string::npos) << round << " " << writer << " " << number;
                text.erase(at, entry(writer, number).size());
            }
        }
        EXPECT_EQ(text, "");
        EXPECT_EQ(modeOf(log()), 0600u);
    }
}

TEST_F(PosixFilesTest, AnEntryThatDoesNotFitIsTakenBackWhole) {
    files.appendLogEntry(log().string(), entry(0, 0));
    const std::string before = ReportSandbox::read(log());
    if (::fork() == 0) {  // a file-size limit that takes only a few bytes of the next entry
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{before.size() + 10, before.size() + 10};
        try {
            if (::setrlimit(RLIMIT_FSIZE, &limit) == 0) {
                report::PosixFiles().appendLogEntry(log().string(), entry(0, 1));
            }
        } catch (const Failure&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    ::wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the entry counted as written";
    files.appendLogEntry(log().string(), entry(0, 2));
    EXPECT_EQ(ReportSandbox::read(log()), before + entry(0, 2));
}

TEST_F(PosixFilesTest, NoLinkIsFollowedToMakeAFile) {
    const fs::path planted = sandbox.root() / "planted";
    fs::create_symlink(planted, log());
    EXPECT_THROW(files.appendLogEntry(log().string(), entry(0, 0)), Failure);
    EXPECT_FALSE(fs::exists(planted));
    // A private file replaces a link rather than writing where it points, and leaves nothing.
    const fs::path picture = sandbox.errorLogs() / "screenShot.bmp";
    fs::create_symlink(planted, picture);
    files.writePrivateFile(picture.string(), "BM");
    EXPECT_FALSE(fs::exists(planted));
    EXPECT_EQ(ReportSandbox::read(picture), "BM");
    EXPECT_EQ(modeOf(picture), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(sandbox.errorLogs()), {}), 2);
    // A temporary file is made private too.
    EXPECT_EQ(modeOf(files.createTemporaryFile(sandbox.tmp().string(), "vmt")), 0600u);
}

TEST_F(PosixFilesTest, AFileMovesToAnotherFileSystemAndStaysPrivate) {
    // /dev/shm is a memory file system on Linux; the test needs it on a device of its own.
    struct stat tmpInfo {
    }, shmInfo{};
    std::string other = "/dev/shm/annalex-move-XXXXXX";
    if (::stat(sandbox.tmp().c_str(), &tmpInfo) != 0 || ::stat("/dev/shm", &shmInfo) != 0 ||
        tmpInfo.st_dev == shmInfo.st_dev || ::mkdtemp(other.data()) == nullptr) {
        GTEST_SKIP() << "no second file system to move to";
    }
    const fs::path from = sandbox.tmp() / "archive.zip";
    files.writePrivateFile(from.string(), std::string(200000, 'z'));
    files.moveFile(from.string(), other + "/archive.zip");
    EXPECT_FALSE(fs::exists(from));
    EXPECT_EQ(ReportSandbox::read(other + "/archive.zip"), std::string(200000, 'z'));
    EXPECT_EQ(modeOf(other + "/archive.zip"), 0600u);
    fs::remove_all(other);
}

}  // namespace
}  // namespace annalex::testing
