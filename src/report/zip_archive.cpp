#include "report/zip_archive.hpp"

#include <sys/stat.h>
#include <zip.h>

#include <array>
#include <cstdio>
#include <vector>

#include "common/failure.hpp"

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

    bool write() override { return files_.empty() ? writeEmpty() : writeWithFiles(); }

  private:
    bool writeWithFiles() {
        int error = 0;
        zip_t* archive = zip_open(path_.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (archive == nullptr) {
            noteErrno();
            return false;
        }
        for (const std::string& file : files_) {
            const std::size_t slash = file.rfind('/');
            const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
            zip_source_t* source = zip_source_file(archive, file.c_str(), 0, -1);
            if (source == nullptr) {
                zip_discard(archive);
                return false;
            }
            if (zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) <
                0) {
                zip_source_free(source);
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
        return true;
    }

    // The end-of-central-directory record of an archive with no entries.
    bool writeEmpty() {
        static constexpr std::array<unsigned char, 22> kEmpty = {'P', 'K', 5, 6};
        std::FILE* file = std::fopen(path_.c_str(), "wb");
        if (file == nullptr) {
            noteErrno();
            return false;
        }
        const bool written = std::fwrite(kEmpty.data(), 1, kEmpty.size(), file) == kEmpty.size();
        return std::fclose(file) == 0 && written;
    }

    std::string path_;
    std::vector<std::string> files_;
};

}  // namespace

std::unique_ptr<Archive> ZipArchives::create(const std::string& path) {
    return std::make_unique<ZipArchive>(path);
}

}  // namespace annalex::report
