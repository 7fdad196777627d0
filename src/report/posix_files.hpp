#pragma once
// Files, directories and temporary files over POSIX calls. Every failing call is recorded as the
// product's last system error before its Failure is raised.

#include "report/report_services.hpp"

namespace annalex::report {

class PosixFiles final : public FileService {
  public:
    bool createDirectory(const std::string& path) override;
    bool exists(const std::string& path) override;
    void createEmptyFile(const std::string& path) override;
    void appendToFile(const std::string& path, const std::string& bytes) override;
    void removeFile(const std::string& path) override;
    void moveFile(const std::string& from, const std::string& to) override;
    std::string currentDirectory() override;
    void changeDirectory(const std::string& path) override;
    std::string temporaryDirectory() override;
    // Names like the original platform's temporary files: "vmt1A2F.tmp". The number starts at a
    // value drawn from the clock and the process id and counts up past names already taken.
    std::string createTemporaryFile(const std::string& directory,
                                    const std::string& prefix) override;
};

}  // namespace annalex::report
