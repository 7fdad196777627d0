#pragma once
// The services the error report form asks of its surroundings. Each is small and has a real
// implementation: settings over the settings store, files and processes over POSIX, archives
// over libzip, the screen through the front end's toolkit, the clock and the build information
// of this program. Messages and the mouse pointer are the page's own services.

#include <chrono>
#include <memory>
#include <string>

#include "report/picture.hpp"

namespace annalex::report {

// The product's settings: string values under HKCU "Software\Velmora\Defaults".
class SettingsReader {
  public:
    virtual ~SettingsReader() = default;
    // The value's text; the empty text when it is missing or cannot be read.
    virtual std::string readString(const std::string& name) = 0;
};

// Files and directories, by POSIX path. Failures raise a Failure naming the path (FileNotFound,
// PathNotFound, PermissionDenied or PathFileAccessError) after recording the system's code.
class FileService {
  public:
    virtual ~FileService() = default;
    // Creates a directory; false when it could not be created (it may exist already).
    virtual bool createDirectory(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    // Creates the file empty, or empties it.
    virtual void createEmptyFile(const std::string& path) = 0;
    // Appends bytes to the end of an existing file (FileNotFound/PathNotFound when missing).
    virtual void appendToFile(const std::string& path, const std::string& bytes) = 0;
    virtual void removeFile(const std::string& path) = 0;
    // Moves a file, also to another file system (renamed, else copied then removed); a file
    // already at the destination is replaced.
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
    // The process's current directory, and changing it.
    virtual std::string currentDirectory() = 0;
    virtual void changeDirectory(const std::string& path) = 0;
    // The directory for temporary files, ending in "/": $TMPDIR when set, else "/tmp/".
    virtual std::string temporaryDirectory() = 0;
    // Creates a new empty file exclusively in directory, named prefix + a hexadecimal number
    // + ".tmp", and returns its path.
    virtual std::string createTemporaryFile(const std::string& directory,
                                            const std::string& prefix) = 0;
};

// A zip archive being put together: created for one path, given files one at a time, written.
class Archive {
  public:
    virtual ~Archive() = default;
    // Adds a file under its own name (the path's last name); false when there is no such file,
    // which leaves it out.
    virtual bool addFile(const std::string& path) = 0;
    // Writes the archive with the files added; false when it could not be written.
    virtual bool write() = 0;
};

class ArchiveFactory {
  public:
    virtual ~ArchiveFactory() = default;
    virtual std::unique_ptr<Archive> create(const std::string& path) = 0;
};

// Starts a program and does not wait for it.
class ProcessStarter {
  public:
    virtual ~ProcessStarter() = default;
    // Starts program with no arguments in workingDirectory; false when it could not be started.
    virtual bool start(const std::string& program, const std::string& workingDirectory) = 0;
};

class ScreenCapture {
  public:
    virtual ~ScreenCapture() = default;
    // The whole primary screen at its size in pixels, as it looks now.
    virtual Picture captureScreen() = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point now() = 0;
};

class SystemClock final : public Clock {
  public:
    std::chrono::system_clock::time_point now() override {
        return std::chrono::system_clock::now();
    }
};

// The window that shows the form, as far as the form's own handlers need it.
class FormWindow {
  public:
    virtual ~FormWindow() = default;
    // Lets the window messages that are waiting be processed.
    virtual void processPendingEvents() = 0;
    // Closes the window; the form is unloaded.
    virtual void unload() = 0;
};

}  // namespace annalex::report
