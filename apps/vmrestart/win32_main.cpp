// VmRestart for Windows: the restart program that the error report form starts when it closes,
// with CreateProcessA, an empty command line and no handles inherited, in Installed\System.
//
// Its host is the process that started it. Before anything else VmRestart opens that process
// and checks that it started before VmRestart itself did (a process number is given anew once
// its process has ended, and VmRestart restarts its host and nothing else) and that it still
// runs. It then reads the host's program, command line and current directory (from the host's
// process parameters), waits on the host's process handle for it to end, and starts the program
// again with the same command line in the same directory; the environment is VmRestart's own,
// which it took from the host when it started.
//
// It waits at most 15 minutes (wait_limit.hpp); a host that is still running then is not going
// to end on its own, and VmRestart ends rather than linger. It is a windows program, so no
// console opens over the host; when it does not restart it says why in one line appended to
// "VmRestart.log" in the "Error Logs" folder beside its own folder (Installed\Error Logs, where
// the error log is).
//
// Exit status (only seen when it does not restart): 1 when the host cannot be known (no parent,
// a parent that has already ended, or a process number that now names a later process), 2 when
// the program could not be started again, 3 when the host was still running at the end of the
// wait.

#include <windows.h>
// After windows.h.
#include <tlhelp32.h>
#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "wait_limit.hpp"

namespace {

struct Host {
    DWORD id = 0;
    HANDLE process = nullptr;
    std::wstring program;
    std::wstring commandLine;
    std::wstring directory;
};

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::wstring ownPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

// One line in "Error Logs\VmRestart.log" beside the folder that holds this program.
void say(const std::wstring& line) {
    std::wstring folder = ownPath();
    for (int up = 0; up < 2; ++up) {
        folder.resize(
            folder.find_last_of(L'\\') == std::wstring::npos ? 0 : folder.find_last_of(L'\\'));
    }
    const HANDLE log = CreateFileW((folder + L"\\Error Logs\\VmRestart.log").c_str(),
                                   FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::string bytes = utf8(L"VmRestart: " + line) + "\r\n";
    DWORD written = 0;
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(log);
}

std::wstring systemReason(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = text != nullptr ? text : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) {
        reason.pop_back();
    }
    return reason;
}

DWORD parentId() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && parent == 0;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
        }
    }
    CloseHandle(snapshot);
    return parent;
}

ULONGLONG creationTime(HANDLE process) {
    FILETIME created{};
    FILETIME ended{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        return ~0ULL;
    }
    return ULARGE_INTEGER{{created.dwLowDateTime, created.dwHighDateTime}}.QuadPart;
}

bool readMemory(HANDLE process, const void* address, void* out, std::size_t size) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, out, size, &read) && read == size;
}

// What the host's process parameters hold, 64-bit layout: the current directory at 0x38, the
// command line at 0x70; when Flags (0x08) lacks "normalized" (1), the texts' addresses are
// offsets from the block's start.
struct ParameterStrings {
    static constexpr std::size_t kFlags = 0x08;
    static constexpr std::size_t kCurrentDirectory = 0x38;
    static constexpr std::size_t kCommandLine = 0x70;
    static constexpr std::size_t kSize = 0x80;
};
static_assert(sizeof(void*) == 8, "the offsets are those of 64-bit processes");
static_assert(offsetof(RTL_USER_PROCESS_PARAMETERS, CommandLine) == ParameterStrings::kCommandLine);
constexpr std::size_t kPebProcessParameters = offsetof(PEB, ProcessParameters);

bool readText(HANDLE process, const std::byte* block, const unsigned char* header, std::size_t at,
              bool normalized, std::wstring& text) {
    UNICODE_STRING remote{};
    std::memcpy(&remote, header + at, sizeof remote);
    const auto* address = normalized ? reinterpret_cast<const std::byte*>(remote.Buffer)
                                     : block + reinterpret_cast<std::uintptr_t>(remote.Buffer);
    text.assign(remote.Length / sizeof(wchar_t), L'\0');
    return remote.Length == 0 || readMemory(process, address, text.data(), remote.Length);
}

bool readHost(Host& host) {
    using QueryInformation = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (query == nullptr ||
        query(host.process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) {
        return false;
    }
    const std::byte* block = nullptr;
    unsigned char header[ParameterStrings::kSize];
    if (!readMemory(
            host.process,
            reinterpret_cast<const std::byte*>(basic.PebBaseAddress) + kPebProcessParameters,
            &block, sizeof block) ||
        !readMemory(host.process, block, header, sizeof header)) {
        return false;
    }
    ULONG flags = 0;
    std::memcpy(&flags, header + ParameterStrings::kFlags, sizeof flags);
    const bool normalized = (flags & 1) != 0;
    std::wstring program(32768, L'\0');
    DWORD length = static_cast<DWORD>(program.size());
    if (!QueryFullProcessImageNameW(host.process, 0, program.data(), &length)) {
        return false;
    }
    program.resize(length);
    host.program = program;
    return readText(host.process, block, header, ParameterStrings::kCommandLine, normalized,
                    host.commandLine) &&
           readText(host.process, block, header, ParameterStrings::kCurrentDirectory, normalized,
                    host.directory);
}

}  // namespace

int main() {
    Host host;
    host.id = parentId();
    host.process = host.id == 0
                       ? nullptr
                       : OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
                                     FALSE, host.id);
    if (host.process == nullptr) {
        say(L"the program that asked for the restart cannot be known (process " +
            std::to_wstring(host.id) + L" has already ended); nothing is restarted");
        return 1;
    }
    // The number names a process that started after this one: the host has ended and its
    // number has been given anew.
    if (creationTime(host.process) > creationTime(GetCurrentProcess()) ||
        WaitForSingleObject(host.process, 0) != WAIT_TIMEOUT || !readHost(host)) {
        say(L"process " + std::to_wstring(host.id) +
            L" is no longer the program that asked for the restart; nothing is restarted");
        return 1;
    }
    const auto limit = vmrestart::hostWaitLimit();
    if (WaitForSingleObject(host.process, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        say(L"gave up waiting for " + host.program + L" (process " + std::to_wstring(host.id) +
            L") to end");
        return 3;
    }
    CloseHandle(host.process);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const DWORD attributes = GetFileAttributesW(host.directory.c_str());
    const bool directoryThere =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!CreateProcessW(host.program.c_str(), host.commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, directoryThere ? host.directory.c_str() : nullptr, &startup,
                        &started)) {
        say(L"cannot start " + host.program + L": " + systemReason(GetLastError()));
        return 2;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return 0;
}
