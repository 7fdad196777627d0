#pragma once
// Zip archives written with zlib's deflate: the form's archive component on Windows. Files are
// stored under their own names (the path's last name; UTF-8 names are flagged as such),
// compressed with deflate, each with its CRC-32 and its modification time. A file is read when
// it is added; the archive is made in memory and written through the file service as a new
// private file that replaces whatever is at its path. An archive without files is an empty zip
// archive (just its end record). Files of 4 GB or more (which need the zip64 extension) and more
// than 65,535 files are refused.

#include "report/report_services.hpp"

namespace annalex::report {

class ZlibArchives final : public ArchiveFactory {
  public:
    explicit ZlibArchives(FileService& files) : files_(files) {}
    std::unique_ptr<Archive> create(const std::string& path) override;

  private:
    FileService& files_;
};

}  // namespace annalex::report
