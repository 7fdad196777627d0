#pragma once
// The services the error report form asks of its surroundings. Each is small and has a real
// implementation: settings over the settings store, files and the restart over POSIX
// (posix_files.hpp, spawn_process.hpp), archives over libzip, the screen through the front end's
// toolkit, the clock and the build information of this program. Messages and the mouse pointer
// are the common services of every face (common/message_service.hpp, common/pointer_service.hpp).

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "report/picture.hpp"

namespace annalex::report {

// The product's settings: string values under HKCU "Software\Velmora\Defaults".
class SettingsReader {
  public:
    virtual ~SettingsReader() = default;
    // The value's text; the empty text when it is missing or cannot be read.
    virtual std::string readString(const std::string& name) = 0;
};

// Files and directories. Failures raise a Failure naming the path (FileNotFound, PathNotFound,
// PermissionDenied, FileAlreadyExists, DiskFull or PathFileAccessError) after recording the
// system's code. The report's files hold a picture of the screen and the person's own words, so
// every file the service creates is readable by its owner only.
class FileService {
  public:
    virtual ~FileService() = default;
    // The file a registry-style path ("\" between names, as the settings hold paths) names on
    // this system.
    virtual std::string hostPath(std::string_view registryPath) = 0;
    // The user's own folder for the product's data (no separator at its end); created, private
    // to the user, when missing. It stands in for "Installed" and "ApplicationDir" when they are
    // missing or empty.
    virtual std::string userDataFolder() = 0;
    // Creates a directory; false when it could not be created (it may exist already).
    virtual bool createDirectory(const std::string& path) = 0;
    // Appends one entry to a log with a single write, creating the log when it is missing (but
    // never through a link that leads nowhere). What the log held is never cut; a write that
    // takes only part of the entry is undone, so no half entry is left for the next to run into.
    virtual void appendLogEntry(const std::string& path, std::string_view entry) = 0;
    // Puts a new file with these bytes at path, replacing a file (or a link) that is there;
    // a link is replaced, never written through.
    virtual void writePrivateFile(const std::string& path, std::string_view bytes) = 0;
    virtual void removeFile(const std::string& path) = 0;
    // Moves a file, also to another file system; a file already at the destination is replaced.
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
    // The process's current directory, and changing it.
    virtual std::string currentDirectory() = 0;
    virtual void changeDirectory(const std::string& path) = 0;
    // The directory for temporary files, ending in its separator.
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
    // Writes the archive with the files added, readable by its owner only; false when it could
    // not be written.
    virtual bool write() = 0;
};

class ArchiveFactory {
  public:
    virtual ~ArchiveFactory() = default;
    virtual std::unique_ptr<Archive> create(const std::string& path) = 0;
};

// Starts the product's restart program for this process and does not wait for it.
class RestartStarter {
  public:
    virtual ~RestartStarter() = default;
    // Starts program in workingDirectory with nothing of this process open but standard input,
    // output and error, and hands it this process's identity in a way that cannot be mistaken
    // for another process, so that it restarts this program and no other. False when it could
    // not be started.
    virtual bool start(const std::string& program, const std::string& workingDirectory) = 0;
};

class ScreenCapture {
  public:
    virtual ~ScreenCapture() = default;
    // The whole primary screen at its size in pixels, as it looks now; no picture when there is
    // no screen to take.
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

// Work that may take a while (asking a mail server), done away from the window so that the form
// stays on screen and answers meanwhile.
class BackgroundWork {
  public:
    virtual ~BackgroundWork() = default;
    // Runs work on another thread and then done with its result on the form's own thread.
    // work must touch nothing of the form; done is dropped when the form's window has gone.
    virtual void run(std::function<std::string()> work,
                     std::function<void(const std::string&)> done) = 0;
};

// Does the work at once, on the caller's thread: for faces without an event loop.
class InlineWork final : public BackgroundWork {
  public:
    void run(std::function<std::string()> work,
             std::function<void(const std::string&)> done) override {
        done(work());
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
