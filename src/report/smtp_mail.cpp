#include "report/smtp_mail.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <mutex>
#include <utility>

#include "report/mail_address.hpp"
#include "report/mail_settings.hpp"

namespace annalex::report {

namespace {

// Used when no sender is configured: a syntactically valid address that names this product.
constexpr const char* kDefaultSender = "annalex@localhost";

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using StringList = std::unique_ptr<curl_slist, ListDeleter>;

struct MimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using Mime = std::unique_ptr<curl_mime, MimeDeleter>;

void append(StringList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
        throw MailFailure("out of memory while composing the mail");
    }
    list.release();
    list.reset(grown);
}

std::string angled(const std::string& address) {
    return "<" + address + ">";
}

// Fails unless value (of the setting or part named) is one mail address.
void requireMailbox(const std::string& value, const std::string& name) {
    if (!isMailbox(value)) {
        throw MailFailure(name + " '" + printableText(value) + "' is not a single mail address");
    }
}

// RFC 5322 date in English whatever the locale, e.g. "Sun, 06 Dec 2026 11:30:00 +0000".
std::string mailDate() {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d +0000", kDays[utc.tm_wday],
                  utc.tm_mday, kMonths[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min,
                  utc.tm_sec);
    return text;
}

// An easy handle set up for the configured server, with every wait bounded by the timeout.
class Transfer {
  public:
    Transfer(const MailSettings& settings, std::chrono::milliseconds timeout)
        : easy_(curl_easy_init()) {
        if (!easy_) {
            throw MailFailure("the mail library could not be started");
        }
        const long milliseconds = static_cast<long>(timeout.count());
        errorText_[0] = '\0';
        set(CURLOPT_ERRORBUFFER, errorText_);
        set(CURLOPT_URL, settings.serverUrl.c_str());
        set(CURLOPT_NOSIGNAL, 1L);
        set(CURLOPT_CONNECTTIMEOUT_MS, milliseconds);
        set(CURLOPT_TIMEOUT_MS, milliseconds);
        // Whole seconds only; the two limits above end the step in time either way.
        set(CURLOPT_SERVER_RESPONSE_TIMEOUT, std::max(1L, (milliseconds + 999) / 1000));
        // smtps:// URLs are encrypted from the start; on smtp:// STARTTLS when the server offers
        // it, and required when a password would otherwise go out in clear.
        requireTls_ = !settings.userName.empty() && !settings.allowUnencrypted;
        set(CURLOPT_USE_SSL, static_cast<long>(requireTls_ ? CURLUSESSL_ALL : CURLUSESSL_TRY));
        if (!settings.userName.empty()) {
            set(CURLOPT_USERNAME, settings.userName.c_str());
            set(CURLOPT_PASSWORD, settings.password.c_str());
        }
    }

    template <typename Value>
    void set(CURLoption option, Value value) {
        const CURLcode code = curl_easy_setopt(easy_.get(), option, value);
        if (code != CURLE_OK) {
            throw MailFailure(std::string("mail option refused: ") + curl_easy_strerror(code));
        }
    }

    // Runs the transfer; a failure becomes a MailFailure naming what went wrong and the server.
    void perform(const std::string& what, const std::string& server) {
        const CURLcode code = curl_easy_perform(easy_.get());
        if (code == CURLE_OK) {
            return;
        }
        std::string detail = errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(code);
        long reply = 0;
        curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &reply);
        if (reply != 0) {
            detail += " (server reply " + std::to_string(reply) + ")";
        }
        if (code == CURLE_USE_SSL_FAILED && requireTls_) {
            detail += "; the user name and password are sent encrypted only (see " +
                      std::string(kMailAllowUnencryptedValue) + ")";
        }
        throw MailFailure(what + " at " + server + " failed: " + detail);
    }

    CURL* get() const { return easy_.get(); }
    EasyHandle release() { return std::move(easy_); }

  private:
    EasyHandle easy_;
    bool requireTls_ = false;
    char errorText_[CURL_ERROR_SIZE];
};

}  // namespace

struct SmtpMail::Connection {
    EasyHandle easy;
};

SmtpMail::SmtpMail() = default;

SmtpMail::SmtpMail(MailSettings settings) : fixed_(std::move(settings)) {}

SmtpMail::~SmtpMail() {
    signOff();
}

MailSettings SmtpMail::currentSettings() const {
    MailSettings settings = fixed_ ? *fixed_ : readMailSettings();
    if (settings.sender.empty()) {
        settings.sender = kDefaultSender;
    }
    if (settings.timeout <= std::chrono::seconds::zero()) {
        settings.timeout = MailSettings{}.timeout;
    }
    requireMailbox(settings.sender, std::string("the sender (setting ") + kMailSenderValue + ")");
    if (!settings.recipient.empty()) {
        requireMailbox(settings.recipient, "the support address (setting SupportAddress)");
    }
    if (settings.serverUrl.empty()) {
        throw MailFailure("no mail server is configured (setting " + std::string(kMailServerValue) +
                          ")");
    }
    return settings;
}

void SmtpMail::signOn(std::chrono::milliseconds timeout) {
    signOff();
    settings_ = currentSettings();
    initialiseCurlOnce();
    Transfer transfer(settings_, std::min<std::chrono::milliseconds>(timeout, settings_.timeout));
    // Only the connection phase: connect, greeting, EHLO, STARTTLS and authentication.
    transfer.set(CURLOPT_CONNECT_ONLY, 1L);
    transfer.perform("signing on", settings_.serverUrl);
    connection_ = std::make_unique<Connection>(Connection{transfer.release()});
}

std::string SmtpMail::probe(std::chrono::milliseconds timeout) {
    try {
        const MailSettings settings = currentSettings();
        initialiseCurlOnce();
        Transfer transfer(settings, std::min<std::chrono::milliseconds>(timeout, settings.timeout));
        transfer.set(CURLOPT_CONNECT_ONLY, 1L);
        transfer.perform("signing on", settings.serverUrl);
        return {};
    } catch (const MailFailure& failure) {
        return failure.what();
    }
}

void SmtpMail::compose() {
    message_ = std::make_unique<Message>();
}

void SmtpMail::setRecipient(const std::string& address) {
    requireMailbox(address, "the recipient");
    composed().recipient = address;
}

void SmtpMail::setBody(const std::string& text) {
    composed().body = text;
}

void SmtpMail::setAttachment(const std::string& path, std::size_t) {
    composed().attachment = path;
}

void SmtpMail::setSubject(const std::string& subject) {
    if (printableText(subject) != subject) {
        throw MailFailure("the subject '" + printableText(subject) + "' holds control characters");
    }
    composed().subject = subject;
}

SmtpMail::Message& SmtpMail::composed() {
    if (!message_) {
        throw MailFailure("no message was composed");
    }
    return *message_;
}

void SmtpMail::send() {
    if (!signedOn()) {
        throw MailFailure("cannot send: not signed on to a mail server");
    }
    const Message& message = composed();
    if (message.recipient.empty()) {
        throw MailFailure("cannot send: the message has no recipient");
    }
    if (!message.attachment.empty() && !std::ifstream(message.attachment, std::ios::binary)) {
        throw MailFailure("cannot attach '" + message.attachment + "': the file cannot be read");
    }
    Transfer transfer(settings_, settings_.timeout);
    transfer.set(CURLOPT_MAIL_FROM, angled(settings_.sender).c_str());
    StringList recipients;
    append(recipients, angled(message.recipient));
    transfer.set(CURLOPT_MAIL_RCPT, recipients.get());

    StringList headers;
    append(headers, "Date: " + mailDate());
    append(headers, "From: " + angled(settings_.sender));
    append(headers, "To: " + angled(message.recipient));
    append(headers, "Subject: " + message.subject);
    transfer.set(CURLOPT_HTTPHEADER, headers.get());

    Mime mime(curl_mime_init(transfer.get()));
    curl_mimepart* text = curl_mime_addpart(mime.get());
    curl_mime_data(text, message.body.data(), message.body.size());
    curl_mime_type(text, "text/plain; charset=UTF-8");
    // Quoted-printable keeps the text as typed whatever its characters and line lengths.
    curl_mime_encoder(text, "quoted-printable");
    if (!message.attachment.empty()) {
        curl_mimepart* file = curl_mime_addpart(mime.get());
        if (curl_mime_filedata(file, message.attachment.c_str()) != CURLE_OK) {
            throw MailFailure("cannot attach '" + message.attachment + "'");
        }
        curl_mime_type(file, "application/zip");
        curl_mime_encoder(file, "base64");
    }
    transfer.set(CURLOPT_MIMEPOST, mime.get());
    transfer.perform("sending the mail", settings_.serverUrl);
}

void SmtpMail::signOff() {
    connection_.reset();
}

}  // namespace annalex::report
