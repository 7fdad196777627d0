// File names given as UTF-8 reach the file of that name, also with characters outside the
// Windows ANSI code page (run in the Windows leg too, where the narrow functions lose them).

#include "common/utf8_path.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <string>

namespace annalex {
namespace {

#ifndef O_BINARY
constexpr int O_BINARY = 0;
#endif

TEST(Utf8PathTest, ANameOutsideTheAnsiCodePageReachesItsFile) {
    const std::string omega = "\xCE\xA9";  // Greek capital omega
    const auto folder = std::filesystem::temp_directory_path() /
                        utf8Path("annalex-" + omega + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const int fd =
        openPath(folder / utf8Path(omega + ".txt"), O_WRONLY | O_CREAT | O_EXCL | O_BINARY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const auto listed = std::filesystem::directory_iterator(folder)->path();
    EXPECT_EQ(utf8Text(listed.filename()), omega + ".txt");
    EXPECT_EQ(utf8Text(listed.parent_path().filename()), utf8Text(folder.filename()));
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace annalex
