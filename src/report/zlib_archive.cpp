#include "report/zlib_archive.hpp"

#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <tuple>
#include <vector>

#include "common/failure.hpp"
#include "common/utf8_path.hpp"
#include "report/little_endian.hpp"

namespace annalex::report {
namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndRecord = 0x06054b50;
constexpr std::uint16_t kVersion = 20;  // 2.0: deflate
// Made by: NTFS, version 2.0. (unzip takes the names of archives made on MS-DOS in its code
// page, even when they are flagged as UTF-8.)
constexpr std::uint16_t kMadeBy = 11 << 8 | kVersion;
constexpr std::uint16_t kDeflate = 8;
constexpr std::uint16_t kUtf8Name = 0x0800;
constexpr std::uint32_t kArchiveAttribute = 0x20;

// Raw deflate (no zlib header): what a zip entry of method 8 holds.
bool deflateAll(const std::string& data, std::string& compressed) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    compressed.resize(deflateBound(&stream, static_cast<uLong>(data.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
    stream.avail_out = static_cast<uInt>(compressed.size());
    const int result = deflate(&stream, Z_FINISH);
    compressed.resize(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END;
}

// A moment as the MS-DOS date and time a zip entry carries (local time, two-second steps;
// 1980 at the earliest).
std::pair<std::uint16_t, std::uint16_t> dosDateTime(std::chrono::system_clock::time_point at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
#ifdef _WIN32
    const bool known = localtime_s(&local, &seconds) == 0;
#else
    const bool known = localtime_r(&seconds, &local) != nullptr;
#endif
    if (!known || local.tm_year < 80) {
        return {static_cast<std::uint16_t>(1 << 5 | 1), 0};  // 1 January 1980
    }
    const auto date = static_cast<std::uint16_t>((local.tm_year - 80) << 9 |
                                                 (local.tm_mon + 1) << 5 | local.tm_mday);
    const auto time =
        static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | local.tm_sec / 2);
    return {date, time};
}

struct Entry {
    std::string name;
    std::uint32_t crc = 0;
    std::uint32_t size = 0;
    std::string compressed;
    std::uint16_t date = 0;
    std::uint16_t time = 0;

    std::uint16_t flags() const {
        for (const char c : name) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                return kUtf8Name;
            }
        }
        return 0;
    }
    // What the local header and the central header share, from "version needed" to the
    // extra field's length.
    void putCommon(std::string& out) const {
        put16(out, kVersion);
        put16(out, flags());
        put16(out, kDeflate);
        put16(out, time);
        put16(out, date);
        put32(out, crc);
        put32(out, static_cast<std::uint32_t>(compressed.size()));
        put32(out, size);
        put16(out, static_cast<std::uint16_t>(name.size()));
        put16(out, 0);
    }
};

class ZlibArchive final : public Archive {
  public:
    ZlibArchive(FileService& files, std::string path) : files_(files), path_(std::move(path)) {}

    bool addFile(const std::string& path) override {
        const std::filesystem::path file = utf8Path(path);
        std::ifstream in(file, std::ios::binary);
        if (!in || entries_.size() >= std::numeric_limits<std::uint16_t>::max()) {
            return false;
        }
        const std::string data((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        if (in.bad() || data.size() >= std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
        Entry entry;
        entry.name = utf8Text(file.filename());
        entry.size = static_cast<std::uint32_t>(data.size());
        entry.crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0),
                                                     reinterpret_cast<const Bytef*>(data.data()),
                                                     static_cast<uInt>(data.size())));
        if (!deflateAll(data, entry.compressed) || entry.compressed.size() >= 0xFFFFFFFFu) {
            return false;
        }
        std::error_code unknown;
        const auto modified = std::filesystem::last_write_time(file, unknown);
        std::tie(entry.date, entry.time) = dosDateTime(
            unknown ? std::chrono::system_clock::now() : std::chrono::file_clock::to_sys(modified));
        entries_.push_back(std::move(entry));
        return true;
    }

    bool write() override {
        std::string bytes;
        std::vector<std::uint32_t> offsets;
        for (const Entry& entry : entries_) {
            if (bytes.size() >= 0xFFFFFFFFu) {
                return false;
            }
            offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
            put32(bytes, kLocalHeader);
            entry.putCommon(bytes);
            bytes += entry.name;
            bytes += entry.compressed;
        }
        const std::size_t directory = bytes.size();
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            put32(bytes, kCentralHeader);
            put16(bytes, kMadeBy);
            entries_[i].putCommon(bytes);
            put16(bytes, 0);  // comment length
            put16(bytes, 0);  // disk number
            put16(bytes, 0);  // internal attributes
            put32(bytes, kArchiveAttribute);
            put32(bytes, offsets[i]);
            bytes += entries_[i].name;
        }
        if (bytes.size() >= 0xFFFFFFFFu) {
            return false;
        }
        const auto count = static_cast<std::uint16_t>(entries_.size());
        const auto directorySize = static_cast<std::uint32_t>(bytes.size() - directory);
        put32(bytes, kEndRecord);
        put16(bytes, 0);  // this disk
        put16(bytes, 0);  // the disk the directory starts on
        put16(bytes, count);
        put16(bytes, count);
        put32(bytes, directorySize);
        put32(bytes, static_cast<std::uint32_t>(directory));
        put16(bytes, 0);  // comment length
        try {
            files_.writePrivateFile(path_, bytes);
        } catch (const Failure&) {
            return false;
        }
        return true;
    }

  private:
    FileService& files_;
    std::string path_;
    std::vector<Entry> entries_;
};

}  // namespace

std::unique_ptr<Archive> ZlibArchives::create(const std::string& path) {
    return std::make_unique<ZlibArchive>(files_, path);
}

}  // namespace annalex::report
