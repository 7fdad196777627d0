// The tests' simple-MAPI mail client: registered as the default mail client
// (HKLM\Software\Clients\Mail), it is what Wine's mapi32.dll forwards the simple MAPI calls
// to. It sends nothing: in the folder named by ANNALEX_TEST_MAIL it writes "calls" (one line per
// call, with its flags), "subject", "body", "recipients" ("<class> <name> <address>" a line),
// "files" ("<flags> <position> <path>" a line) and "attachment1", a copy of the first
// attachment. With ANNALEX_TEST_MAIL_REFUSE=1 MAPILogon refuses (MAPI_E_LOGON_FAILURE).
// MAPIResolveName answers the name at "SMTP:<name>" in memory from mapi32's MAPIAllocateBuffer,
// which mapi32's MAPIFreeBuffer frees; with ANNALEX_TEST_MAIL_REFUSE=resolve it resolves no
// names (MAPI_E_NOT_SUPPORTED), as some clients do.

#include <windows.h>
// After windows.h.
#include <mapi.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string variable(const char* name) {
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

std::string folder() {
    return variable("ANNALEX_TEST_MAIL");
}

void note(const std::string& line) {
    if (!folder().empty()) {
        std::ofstream(folder() + "\\calls", std::ios::app | std::ios::binary) << line << "\n";
    }
}

void keep(const char* name, const std::string& content) {
    if (!folder().empty()) {
        std::ofstream(folder() + "\\" + name, std::ios::binary) << content;
    }
}

std::string text(const char* value) {
    return value != nullptr ? value : "";
}

}  // namespace

extern "C" {

ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, FLAGS flags, ULONG, LPLHANDLE session) {
    note("MAPILogon flags=" + std::to_string(flags));
    if (variable("ANNALEX_TEST_MAIL_REFUSE") == "1") {
        return MAPI_E_LOGON_FAILURE;
    }
    *session = 0x5e55;
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPILogoff(LHANDLE, ULONG_PTR, FLAGS, ULONG) {
    note("MAPILogoff");
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPIResolveName(LHANDLE, ULONG_PTR, LPSTR name, FLAGS flags, ULONG,
                             lpMapiRecipDesc* recipient) {
    note("MAPIResolveName " + text(name) + " flags=" + std::to_string(flags));
    if (variable("ANNALEX_TEST_MAIL_REFUSE") == "resolve") {
        return MAPI_E_NOT_SUPPORTED;
    }
    using Allocate = SCODE(WINAPI*)(ULONG, LPVOID*);
    const auto allocate = reinterpret_cast<Allocate>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"mapi32.dll"), "MAPIAllocateBuffer")));
    const std::string address = "SMTP:" + text(name);
    const std::size_t size = sizeof(MapiRecipDesc) + std::strlen(name) + 1 + address.size() + 1;
    void* block = nullptr;
    if (allocate == nullptr || allocate(static_cast<ULONG>(size), &block) != 0) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    }
    auto* resolved = static_cast<MapiRecipDesc*>(block);
    *resolved = MapiRecipDesc{};
    char* strings = reinterpret_cast<char*>(resolved + 1);
    resolved->ulRecipClass = MAPI_TO;
    resolved->lpszName = std::strcpy(strings, name);
    resolved->lpszAddress = std::strcpy(strings + std::strlen(name) + 1, address.c_str());
    *recipient = resolved;
    return SUCCESS_SUCCESS;
}

ULONG WINAPI MAPISendMail(LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS flags, ULONG) {
    note("MAPISendMail flags=" + std::to_string(flags));
    keep("subject", text(message->lpszSubject));
    keep("body", text(message->lpszNoteText));
    std::string recipients;
    for (ULONG i = 0; i < message->nRecipCount; ++i) {
        const MapiRecipDesc& recipient = message->lpRecips[i];
        recipients += std::to_string(recipient.ulRecipClass) + " " + text(recipient.lpszName) +
                      " " + text(recipient.lpszAddress) + "\n";
    }
    keep("recipients", recipients);
    std::string files;
    for (ULONG i = 0; i < message->nFileCount; ++i) {
        const MapiFileDesc& file = message->lpFiles[i];
        files += std::to_string(file.flFlags) + " " + std::to_string(file.nPosition) + " " +
                 text(file.lpszPathName) + "\n";
    }
    keep("files", files);
    if (message->nFileCount > 0 &&
        !CopyFileA(message->lpFiles[0].lpszPathName, (folder() + "\\attachment1").c_str(), FALSE)) {
        return MAPI_E_ATTACHMENT_NOT_FOUND;
    }
    return SUCCESS_SUCCESS;
}

}  // extern "C"
