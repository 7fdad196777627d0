#pragma once
// Zip archives written with libzip. Files are stored under their own names (the last name of the
// path given), compressed with deflate. The archive is made in memory and written as a new file
// readable by its owner only (it may pack the screen picture and the supporting file). An
// archive without files is written as an empty zip archive (just its end record), which libzip
// itself would not leave on disk.

#include "report/report_services.hpp"

namespace annalex::report {

class ZipArchives final : public ArchiveFactory {
  public:
    std::unique_ptr<Archive> create(const std::string& path) override;
};

}  // namespace annalex::report
