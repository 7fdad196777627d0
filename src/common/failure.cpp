#include "common/failure.hpp"

#include <cerrno>

namespace annalex {

std::string_view errorDescription(ErrorNumber number) {
    switch (number) {
        case ErrorNumber::InvalidProcedureCall:
            return "Invalid procedure call or argument";
        case ErrorNumber::Overflow:
            return "Overflow";
        case ErrorNumber::OutOfMemory:
            return "Out of memory";
        case ErrorNumber::SubscriptOutOfRange:
            return "Subscript out of range";
        case ErrorNumber::TypeMismatch:
            return "Type mismatch";
        case ErrorNumber::BadFileNameOrNumber:
            return "Bad file name or number";
        case ErrorNumber::FileNotFound:
            return "File not found";
        case ErrorNumber::FileAlreadyOpen:
            return "File already open";
        case ErrorNumber::DeviceIoError:
            return "Device I/O error";
        case ErrorNumber::FileAlreadyExists:
            return "File already exists";
        case ErrorNumber::DiskFull:
            return "Disk full";
        case ErrorNumber::InputPastEndOfFile:
            return "Input past end of file";
        case ErrorNumber::PermissionDenied:
            return "Permission denied";
        case ErrorNumber::PathFileAccessError:
            return "Path/File access error";
        case ErrorNumber::PathNotFound:
            return "Path not found";
        case ErrorNumber::ObjectNotSet:
            return "Object variable or With block variable not set";
    }
    return "Application-defined or object-defined error";
}

namespace {
thread_local std::int32_t recordedSystemError = 0;
}  // namespace

std::int32_t lastSystemError() noexcept {
    return recordedSystemError;
}

std::int32_t noteSystemError(std::int32_t code) noexcept {
    if (code != 0) {
        recordedSystemError = code;
    }
    return code;
}

std::int32_t noteErrno() noexcept {
    return noteSystemError(errno);
}

std::string_view errorDescription(std::int32_t number) {
    return errorDescription(static_cast<ErrorNumber>(number));
}

Failure::Failure(ErrorNumber number, std::string_view source)
    : Failure(number, std::string(errorDescription(number)), source) {}

Failure::Failure(ErrorNumber number, std::string description, std::string_view source)
    : Failure(static_cast<std::int32_t>(number), std::move(description), std::string(source),
              annalex::lastSystemError()) {}

Failure::Failure(std::int32_t number, std::string description, std::string source,
                 std::int32_t lastSystemError)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)),
      lastSystemError_(lastSystemError) {}

void raise(ErrorNumber number, std::string_view source) {
    throw Failure(number, source);
}

void raise(ErrorNumber number, std::string description, std::string_view source) {
    throw Failure(number, std::move(description), source);
}

}  // namespace annalex
