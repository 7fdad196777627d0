#pragma once
// Files, directories and temporary files through the Win32 API, in wide characters (the
// product's paths are UTF-8 text). Every failing call is recorded as the product's last system
// error (GetLastError) before its Failure is raised.
//
// Registry-style paths are Windows paths already: hostPath gives them back unchanged, and the
// file system itself treats "screenShot.bmp" and "screenshot.bmp" as one file.
//
// What the report writes (the screen picture, the archive, a new log, the folders it makes)
// is given a protected access list that grants the current user alone full access, so that no
// one else reads a picture of the screen or the person's own words. The user's data folder is
// %LOCALAPPDATA%\Annalex.

#include <string>
#include <string_view>

#include "report/report_services.hpp"

namespace annalex::report {

class Win32Files final : public FileService {
  public:
    std::string hostPath(std::string_view registryPath) override;
    std::string userDataFolder() override;
    bool createDirectory(const std::string& path) override;
    // Opened for appending when it exists, else created new (CREATE_NEW, which a name taken by
    // anything, a link to nothing included, refuses); the entry goes out in one WriteFile, and
    // a write that took only part of it is cut back.
    void appendLogEntry(const std::string& path, std::string_view entry) override;
    // Written to a new file beside path, then moved over it (MoveFileExW, replacing).
    void writePrivateFile(const std::string& path, std::string_view bytes) override;
    void removeFile(const std::string& path) override;
    void moveFile(const std::string& from, const std::string& to) override;
    std::string currentDirectory() override;
    void changeDirectory(const std::string& path) override;
    // GetTempPathW: ends in "\".
    std::string temporaryDirectory() override;
    // GetTempFileNameW with the prefix and a number the system chooses: "vmt1A2F.tmp", made as
    // an empty file.
    std::string createTemporaryFile(const std::string& directory,
                                    const std::string& prefix) override;
};

}  // namespace annalex::report
