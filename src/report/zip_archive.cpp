#include "report/zip_archive.hpp"

#include <sys/stat.h>
#include <zip.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "common/failure.hpp"
#include "report/posix_files.hpp"

namespace annalex::report {
namespace {

class ZipArchive final : public Archive {
  public:
    explicit ZipArchive(std::string path) : path_(std::move(path)) {}

    bool addFile(const std::string& path) override {
        struct stat info {};
        // A probe: a file that is not there is left out, which is no failure of the product.
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return false;
        }
        files_.push_back(path);
        return true;
    }

    bool write() override {
        std::string bytes;
        if (files_.empty()) {
            // The end-of-central-directory record of an archive with no entries.
            bytes.assign("PK\x05\x06", 4);
            bytes.resize(22, '\0');
        } else if (!zipInMemory(bytes)) {
            return false;
        }
        try {
            PosixFiles().writePrivateFile(path_, bytes);
        } catch (const Failure&) {
            return false;  // the system's code is recorded
        }
        return true;
    }

  private:
    // The archive of the files added, made in memory (and so written by us, with our mode).
    bool zipInMemory(std::string& bytes) const {
        zip_error_t error;
        zip_error_init(&error);
        zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
        zip_t* archive =
            buffer == nullptr ? nullptr : zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
        zip_error_fini(&error);
        if (archive == nullptr) {
            if (buffer != nullptr) {
                zip_source_free(buffer);
            }
            return false;
        }
        // Kept past zip_close, which writes the archive into it.
        zip_source_keep(buffer);
        const std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> owned(buffer, zip_source_free);
        for (const std::string& file : files_) {
            const std::size_t slash = file.rfind('/');
            const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
            zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
            if (source == nullptr || zip_file_add(archive, name.c_str(), source,
                                                  ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
                if (source != nullptr) {
                    zip_source_free(source);
                }
                zip_discard(archive);
                return false;
            }
        }
        if (zip_close(archive) != 0) {
            const zip_error_t* closeError = zip_get_error(archive);
            if (zip_error_system_type(closeError) == ZIP_ET_SYS) {
                noteSystemError(zip_error_code_system(closeError));
            }
            zip_discard(archive);
            return false;
        }
        if (zip_source_open(buffer) != 0) {
            return false;
        }
        zip_source_seek(buffer, 0, SEEK_END);
        const zip_int64_t size = zip_source_tell(buffer);
        zip_source_seek(buffer, 0, SEEK_SET);
        bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        const zip_int64_t read =
            bytes.empty() ? 0 : zip_source_read(buffer, bytes.data(), bytes.size());
        zip_source_close(buffer);
        return size > 0 && read == size;
    }

    std::string path_;
    std::vector<std::string> files_;
};

}  // namespace

std::unique_ptr<Archive> ZipArchives::create(const std::string& path) {
    return std::make_unique<ZipArchive>(path);
}

}  // namespace annalex::report
