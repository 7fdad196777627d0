#include "common/utf8_path.hpp"

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace annalex {

std::filesystem::path utf8Path(std::string_view text) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string utf8Text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

int openPath(const std::filesystem::path& path, int flags, int mode) {
#ifdef _WIN32
    return ::_wopen(path.c_str(), flags, mode);
#else
    return ::open(path.c_str(), flags, mode);
#endif
}

}  // namespace annalex
