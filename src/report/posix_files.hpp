#pragma once
// Files, directories and temporary files over POSIX calls. Every failing call is recorded as the
// product's last system error before its Failure is raised.
//
// Registry-style paths become POSIX paths with every "\" a "/" and every name kept as given, so
// "/opt/annalex" with "Error Logs\VmError.log" is "/opt/annalex/Error Logs/VmError.log". The
// product spells one file name in two cases ("screenShot.bmp" when the picture is saved,
// "screenshot.bmp" when it is attached and deleted); on the original platform these are the same
// file, so a path's last name meets an existing entry of its directory whatever its case.
//
// The user's data folder is $XDG_DATA_HOME/annalex when XDG_DATA_HOME is an absolute path, else
// ~/.local/share/annalex; folders made for it are private to the user (0700).

#include <string>
#include <string_view>

#include "report/report_services.hpp"

namespace annalex::report {

class PosixFiles final : public FileService {
  public:
    std::string hostPath(std::string_view registryPath) override;
    std::string userDataFolder() override;
    bool createDirectory(const std::string& path) override;
    // The log is opened for appending only; when it is missing it is created 0600 with O_EXCL,
    // which refuses every link, so a link that leads nowhere is reported rather than followed.
    void appendLogEntry(const std::string& path, std::string_view entry) override;
    // Written to a new 0600 file beside path, then renamed over it.
    void writePrivateFile(const std::string& path, std::string_view bytes) override;
    void removeFile(const std::string& path) override;
    void moveFile(const std::string& from, const std::string& to) override;
    std::string currentDirectory() override;
    void changeDirectory(const std::string& path) override;
    // $TMPDIR when set, else "/tmp/".
    std::string temporaryDirectory() override;
    // Names like the original platform's temporary files: "vmt1A2F.tmp". The number starts at a
    // value drawn from the clock and the process id and counts up past names already taken.
    std::string createTemporaryFile(const std::string& directory,
                                    const std::string& prefix) override;
};

// A registry-style path as a POSIX path: every "\" becomes "/".
std::string posixPath(std::string_view path);

// The path itself when it exists or when its directory holds no entry whose name equals its
// last name without regard to (ASCII) case; otherwise the path with that entry's name.
std::string resolveIgnoringCase(const std::string& posixPath);

}  // namespace annalex::report
