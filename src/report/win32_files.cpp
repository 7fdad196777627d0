#include "report/win32_files.hpp"

#include <aclapi.h>
#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "common/failure.hpp"
#include "report/win32_text.hpp"

namespace annalex::report {
namespace {

constexpr std::string_view kSource = "Annalex.Report";
constexpr const wchar_t* kDataFolderName = L"\\Annalex";

// Records GetLastError and raises the catalogue failure that fits it, naming the path. A missing
// file is whenMissing: FileNotFound for a file that should exist, PathNotFound where the folder
// to work in is what is missing.
[[noreturn]] void fail(const std::string& path, const std::string& what,
                       ErrorNumber whenMissing = ErrorNumber::FileNotFound) {
    const DWORD error = GetLastError();
    noteSystemError(static_cast<std::int32_t>(error));
    ErrorNumber number = ErrorNumber::PathFileAccessError;
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            number = whenMissing;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            number = ErrorNumber::PathNotFound;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_WRITE_PROTECT:
            number = ErrorNumber::PermissionDenied;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            number = ErrorNumber::DiskFull;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            number = ErrorNumber::FileAlreadyExists;
            break;
        default:
            break;
    }
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = text != nullptr ? utf8FromWide(text) : "error " + std::to_string(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    raise(number, "'" + path + "' " + what + ": " + reason, kSource);
}

// A handle closed when it goes (the last error is kept as it was).
struct Handle {
    explicit Handle(HANDLE value) : handle(value) {}
    ~Handle() {
        if (handle != INVALID_HANDLE_VALUE && handle != nullptr) {
            const DWORD error = GetLastError();
            CloseHandle(handle);
            SetLastError(error);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    HANDLE handle;
};

// Security attributes with a protected access list that grants the current user alone full
// access: what the report's files and folders are made with.
class PrivateSecurity {
  public:
    PrivateSecurity() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return;
        }
        const Handle closer(token);
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        user_.resize(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, user_.data(), size, &size)) {
            return;
        }
        EXPLICIT_ACCESSW access{};
        access.grfAccessPermissions = GENERIC_ALL;
        access.grfAccessMode = SET_ACCESS;
        access.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        access.Trustee.TrusteeType = TRUSTEE_IS_USER;
        access.Trustee.ptstrName =
            static_cast<LPWSTR>(reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid);
        if (SetEntriesInAclW(1, &access, nullptr, &acl_) != ERROR_SUCCESS ||
            !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl_, FALSE) ||
            !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
            return;
        }
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        ready_ = true;
    }
    ~PrivateSecurity() { LocalFree(acl_); }
    PrivateSecurity(const PrivateSecurity&) = delete;
    PrivateSecurity& operator=(const PrivateSecurity&) = delete;

    // Null (the folder's own inherited access) only when the access list could not be made.
    SECURITY_ATTRIBUTES* attributes() { return ready_ ? &attributes_ : nullptr; }

  private:
    std::vector<BYTE> user_;
    PACL acl_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

std::wstring wide(const std::string& path) {
    return wideFromUtf8(path);
}

// Writes all bytes; false with the last error set on failure.
bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Makes path and every missing folder above it, private to the user.
void makeFolders(const std::string& path) {
    PrivateSecurity security;
    std::size_t slash = path.find('\\', path.size() > 2 && path[1] == ':' ? 3 : 1);
    for (;; slash = path.find('\\', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (!CreateDirectoryW(wide(part).c_str(), security.attributes()) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            fail(part, "cannot be created", ErrorNumber::PathNotFound);
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

}  // namespace

std::string Win32Files::hostPath(std::string_view registryPath) {
    return std::string(registryPath);
}

std::string Win32Files::userDataFolder() {
    wchar_t* local = nullptr;
    const HRESULT found =
        SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local);
    std::wstring folder = SUCCEEDED(found) && local != nullptr ? local : L"";
    CoTaskMemFree(local);
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        fail("%LOCALAPPDATA%", "cannot be found", ErrorNumber::PathNotFound);
    }
    const std::string path = utf8FromWide(folder + kDataFolderName);
    makeFolders(path);
    return path;
}

bool Win32Files::createDirectory(const std::string& path) {
    PrivateSecurity security;
    if (!CreateDirectoryW(wide(path).c_str(), security.attributes())) {
        noteSystemError(static_cast<std::int32_t>(GetLastError()));
        return false;
    }
    return true;
}

void Win32Files::appendLogEntry(const std::string& path, std::string_view entry) {
    const std::wstring name = wide(path);
    PrivateSecurity security;
    HANDLE file = INVALID_HANDLE_VALUE;
    // Opened as it is, or made anew; between the two another writer may make it, so look again.
    for (int attempt = 0; attempt < 3 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileW(name.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            break;
        }
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            fail(path, "cannot be opened for appending");
        }
        // A link there, even one to nothing, is a name taken: not followed.
        file = CreateFileW(name.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, security.attributes(), CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            fail(path, "cannot be created", ErrorNumber::PathNotFound);
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        // Neither there to open nor free to create: a link to a file that does not exist.
        SetLastError(ERROR_FILE_NOT_FOUND);
        fail(path, "is a link to nothing and is not followed");
    }
    const Handle log(file);
    LARGE_INTEGER before{};
    GetFileSizeEx(file, &before);
    DWORD written = 0;
    const BOOL wrote =
        entry.size() <= 0xFFFFFFFFu &&
        WriteFile(file, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
    if (!wrote || written != entry.size()) {
        const DWORD error = wrote ? ERROR_HANDLE_DISK_FULL : GetLastError();
        if (written > 0) {
            // The part written is taken back: the log ends where it ended before.
            FILE_END_OF_FILE_INFO end{};
            end.EndOfFile = before;
            SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
        }
        SetLastError(error);
        fail(path, "cannot be written");
    }
}

void Win32Files::writePrivateFile(const std::string& path, std::string_view bytes) {
    const std::size_t slash = path.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    wchar_t temporary[MAX_PATH + 1];
    // A unique name beside path ("anx" + a number), made as an empty file and then written anew
    // with the private access list.
    if (GetTempFileNameW(wide(folder).c_str(), L"anx", 0, temporary) == 0) {
        fail(path, "cannot be created", ErrorNumber::PathNotFound);
    }
    bool written = false;
    DWORD error = ERROR_SUCCESS;
    {
        PrivateSecurity security;
        DeleteFileW(temporary);
        const Handle file(CreateFileW(temporary, GENERIC_WRITE, 0, security.attributes(),
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            fail(path, "cannot be created", ErrorNumber::PathNotFound);
        }
        written = writeAll(file.handle, bytes) && FlushFileBuffers(file.handle);
        error = GetLastError();
    }
    if (!written || !MoveFileExW(temporary, wide(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = written ? GetLastError() : error;
        DeleteFileW(temporary);
        SetLastError(error);
        fail(path, "cannot be written");
    }
}

void Win32Files::removeFile(const std::string& path) {
    if (!DeleteFileW(wide(path).c_str())) {
        fail(path, "cannot be deleted");
    }
}

void Win32Files::moveFile(const std::string& from, const std::string& to) {
    if (!MoveFileExW(wide(from).c_str(), wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
        fail(from, "cannot be moved to '" + to + "'");
    }
}

std::string Win32Files::currentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, buffer.data());
    if (size == 0 || length == 0 || length >= size) {
        fail(".", "cannot be named as the current directory", ErrorNumber::PathNotFound);
    }
    buffer.resize(length);
    return utf8FromWide(buffer);
}

void Win32Files::changeDirectory(const std::string& path) {
    if (!SetCurrentDirectoryW(wide(path).c_str())) {
        fail(path, "cannot be made the current directory", ErrorNumber::PathNotFound);
    }
}

std::string Win32Files::temporaryDirectory() {
    wchar_t buffer[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
    if (length == 0 || length > MAX_PATH + 1) {
        fail("%TEMP%", "cannot be found", ErrorNumber::PathNotFound);
    }
    return utf8FromWide(std::wstring_view(buffer, length));
}

std::string Win32Files::createTemporaryFile(const std::string& directory,
                                            const std::string& prefix) {
    wchar_t buffer[MAX_PATH + 1];
    if (GetTempFileNameW(wide(directory).c_str(), wide(prefix).c_str(), 0, buffer) == 0) {
        fail(directory + prefix + "*.tmp", "cannot be created", ErrorNumber::PathNotFound);
    }
    return utf8FromWide(buffer);
}

}  // namespace annalex::report
