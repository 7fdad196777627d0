#pragma once
// Reads a zip archive back with libzip, for checks on what the report form packed.

#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <map>
#include <string>

namespace annalex::testing {

// name -> contents of every entry of a zip archive.
inline std::map<std::string, std::string> readZip(const std::filesystem::path& path) {
    std::map<std::string, std::string> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        ADD_FAILURE() << "cannot open " << path << ": libzip error " << error;
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t info;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &info);
        std::string data(static_cast<std::size_t>(info.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        zip_fread(file, data.data(), info.size);
        zip_fclose(file);
        entries[info.name] = data;
    }
    zip_close(archive);
    return entries;
}

}  // namespace annalex::testing
