#include "report/win32_mapi_mail.hpp"

#include <windows.h>
// After windows.h.
#include <mapi.h>

#include <mutex>

#include "report/mail_address.hpp"
#include "report/product_settings.hpp"
#include "report/win32_text.hpp"

namespace annalex::report {
namespace {

// The simple MAPI calls of mapi32.dll, looked up once; null where it has none.
struct SimpleMapi {
    LPMAPILOGON logOn = nullptr;
    LPMAPILOGOFF logOff = nullptr;
    LPMAPIRESOLVENAME resolveName = nullptr;
    LPMAPISENDMAIL sendMail = nullptr;
    LPMAPIFREEBUFFER freeBuffer = nullptr;
};

template <typename Function>
Function lookUp(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const SimpleMapi& simpleMapi() {
    static SimpleMapi calls;
    static std::once_flag loaded;
    std::call_once(loaded, [] {
        // Kept loaded for the process: the mail client it loads may keep threads of its own.
        const HMODULE module = LoadLibraryW(L"mapi32.dll");
        if (module == nullptr) {
            return;
        }
        calls.logOn = lookUp<LPMAPILOGON>(module, "MAPILogon");
        calls.logOff = lookUp<LPMAPILOGOFF>(module, "MAPILogoff");
        calls.resolveName = lookUp<LPMAPIRESOLVENAME>(module, "MAPIResolveName");
        calls.sendMail = lookUp<LPMAPISENDMAIL>(module, "MAPISendMail");
        calls.freeBuffer = lookUp<LPMAPIFREEBUFFER>(module, "MAPIFreeBuffer");
    });
    if (calls.logOn == nullptr || calls.logOff == nullptr || calls.sendMail == nullptr) {
        throw MailFailure("there is no simple MAPI on this system (mapi32.dll)");
    }
    return calls;
}

std::string reason(ULONG code) {
    switch (code) {
        case MAPI_E_USER_ABORT:
            return "cancelled in the mail client";
        case MAPI_E_LOGON_FAILURE:
            return "the mail client refused the sign-on";
        case MAPI_E_DISK_FULL:
            return "the disk is full";
        case MAPI_E_INSUFFICIENT_MEMORY:
            return "out of memory";
        case MAPI_E_ACCESS_DENIED:
            return "access denied";
        case MAPI_E_TOO_MANY_SESSIONS:
            return "too many mail sessions";
        case MAPI_E_ATTACHMENT_NOT_FOUND:
            return "the attachment was not found";
        case MAPI_E_ATTACHMENT_OPEN_FAILURE:
            return "the attachment could not be opened";
        case MAPI_E_UNKNOWN_RECIPIENT:
            return "the recipient is unknown";
        case MAPI_E_AMBIGUOUS_RECIPIENT:
            return "the recipient is not a single mail address";
        case MAPI_E_INVALID_SESSION:
            return "the mail session is no longer valid";
        case MAPI_E_NETWORK_FAILURE:
            return "the network failed";
        case MAPI_E_NOT_SUPPORTED:
            return "the mail client does not support it";
        default:
            return "the mail client failed";
    }
}

[[noreturn]] void failed(const char* call, ULONG code) {
    throw MailFailure(std::string(call) + ": " + reason(code) + " (MAPI error " +
                      std::to_string(code) + ")");
}

LPSTR text(std::string& value) {
    return value.data();
}

}  // namespace

MapiMail::~MapiMail() {
    if (session_ != 0) {
        signOff();
    }
}

std::uintptr_t MapiMail::logOn() {
    const std::string address = supportAddress(settings_);
    if (!isMailbox(address)) {
        throw MailFailure(std::string(kSupportAddressName) + " '" + printableText(address) +
                          "' is not a single mail address");
    }
    LHANDLE session = 0;
    if (const ULONG code = simpleMapi().logOn(0, nullptr, nullptr, 0, 0, &session);
        code != SUCCESS_SUCCESS) {
        failed("MAPILogon", code);
    }
    return session;
}

void MapiMail::signOn(std::chrono::milliseconds) {
    if (session_ != 0) {
        signOff();
    }
    session_ = logOn();
}

std::string MapiMail::probe(std::chrono::milliseconds) {
    try {
        const std::uintptr_t session = logOn();
        simpleMapi().logOff(session, 0, 0, 0);
        return {};
    } catch (const MailFailure& failure) {
        return failure.what();
    }
}

void MapiMail::compose() {
    recipientName_.clear();
    recipientAddress_.clear();
    body_.clear();
    subject_.clear();
    attachment_.clear();
    attachmentPosition_ = 0;
}

void MapiMail::setRecipient(const std::string& address) {
    if (!isMailbox(address)) {
        throw MailFailure("'" + printableText(address) + "' is not a single mail address");
    }
    const SimpleMapi& mapi = simpleMapi();
    std::string name = ansiFromUtf8(address);
    lpMapiRecipDesc resolved = nullptr;
    const ULONG code = mapi.resolveName == nullptr
                           ? MAPI_E_NOT_SUPPORTED
                           : mapi.resolveName(session_, 0, text(name), 0, 0, &resolved);
    if (code == MAPI_E_NOT_SUPPORTED) {
        // A client that resolves no names takes the address itself.
        recipientName_ = name;
        recipientAddress_ = "SMTP:" + name;
        return;
    }
    if (code != SUCCESS_SUCCESS || resolved == nullptr) {
        failed("MAPIResolveName", code == SUCCESS_SUCCESS ? MAPI_E_UNKNOWN_RECIPIENT : code);
    }
    recipientName_ = resolved->lpszName != nullptr ? resolved->lpszName : name;
    recipientAddress_ = resolved->lpszAddress != nullptr ? resolved->lpszAddress : "";
    if (mapi.freeBuffer != nullptr) {
        mapi.freeBuffer(resolved);
    }
}

void MapiMail::setBody(const std::string& text) {
    body_ = ansiFromUtf8(text);
}

void MapiMail::setAttachment(const std::string& path, std::size_t bodyPosition) {
    attachment_ = ansiFromUtf8(path);
    attachmentPosition_ = bodyPosition;
}

void MapiMail::setSubject(const std::string& subject) {
    subject_ = ansiFromUtf8(subject);
}

void MapiMail::send() {
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = text(recipientName_);
    recipient.lpszAddress = recipientAddress_.empty() ? nullptr : text(recipientAddress_);
    MapiFileDesc file{};
    file.flFlags = 0;  // a data file
    file.nPosition = static_cast<ULONG>(attachmentPosition_);
    file.lpszPathName = text(attachment_);
    MapiMessage message{};
    message.lpszSubject = text(subject_);
    message.lpszNoteText = text(body_);
    message.nRecipCount = 1;
    message.lpRecips = &recipient;
    message.nFileCount = attachment_.empty() ? 0 : 1;
    message.lpFiles = attachment_.empty() ? nullptr : &file;
    if (const ULONG code = simpleMapi().sendMail(session_, 0, &message, 0, 0);
        code != SUCCESS_SUCCESS) {
        failed("MAPISendMail", code);
    }
}

void MapiMail::signOff() {
    if (session_ == 0) {
        return;
    }
    const std::uintptr_t session = session_;
    session_ = 0;
    simpleMapi().logOff(session, 0, 0, 0);
}

}  // namespace annalex::report
