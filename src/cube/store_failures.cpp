#include "cube/store_failures.hpp"

#include "cube/store_header.hpp"

namespace annalex::cube {

void failStore(ErrorNumber number, const std::filesystem::path& file, const std::string& what,
               int systemError) {
    noteSystemError(systemError);
    raise(number, "'" + file.string() + "' " + what, kStoreSource);
}

void damagedStore(const std::filesystem::path& file, const std::string& why) {
    failStore(ErrorNumber::PathFileAccessError, file, "is damaged: " + why);
}

void notAStore(const std::filesystem::path& file) {
    failStore(ErrorNumber::PathFileAccessError, file, "is not a cube store");
}

void requireReadableFormat(const std::filesystem::path& file, std::int64_t format) {
    if (format > kStoreFormat) {
        failStore(ErrorNumber::PathFileAccessError, file,
                  "was written by a newer version of Annalex (format " + std::to_string(format) +
                      "; this version reads up to " + std::to_string(kStoreFormat) + ")");
    }
    if (format < 1) {
        damagedStore(file, "it records no format version");
    }
}

}  // namespace annalex::cube
