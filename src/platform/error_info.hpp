#pragma once
// Failing calls of the server's interfaces come with an error object (IErrorInfo) whose
// description says what went wrong, and the objects say so through ISupportErrorInfo.
//
// A method runs its body through guarded(): a failure of the core (annalex::Failure) becomes
// the code 0x800A0000 + its catalogue number (FACILITY_CONTROL, the number a script's
// Err.Number shows) with the failure's description and source; a CallError, thrown by the
// server's own checks of the arguments, its code and description; memory exhaustion
// E_OUTOFMEMORY.

#include <oaidl.h>

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/failure.hpp"

namespace annalex::platform {

// The ProgID prefix of the server's classes, the source of its own error objects.
inline constexpr std::string_view kLibraryName = "Annalex";

// A call the server refuses: code (E_INVALIDARG, E_POINTER, ...) and what was wrong.
class CallError : public std::runtime_error {
  public:
    CallError(HRESULT code, const std::string& description)
        : std::runtime_error(description), code_(code) {}
    HRESULT code() const { return code_; }

  private:
    HRESULT code_;
};

// The code of a failure of the core's catalogue; a number that is itself a failing HRESULT
// (a failure passed on from another component) stays as it is.
HRESULT failureCode(std::int32_t number);

// Sets the thread's error object for a failure of a call on interface iid and returns code.
HRESULT failWith(HRESULT code, REFIID iid, std::string_view source, std::string_view description);

// Runs body() and answers S_OK, or the code of what it threw with the error object set.
template <typename Body>
HRESULT guarded(REFIID iid, Body&& body) {
    try {
        body();
        return S_OK;
    } catch (const Failure& failure) {
        return failWith(failureCode(failure.number()), iid, failure.source(),
                        failure.description());
    } catch (const CallError& error) {
        return failWith(error.code(), iid, kLibraryName, error.what());
    } catch (const std::bad_alloc&) {
        return failWith(E_OUTOFMEMORY, iid, kLibraryName, "Out of memory");
    } catch (const std::exception& error) {
        return failWith(E_UNEXPECTED, iid, kLibraryName, error.what());
    }
}

// ISupportErrorInfo for an object whose one dual interface is iid.
class SupportsErrorInfo : public ISupportErrorInfo {
  public:
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, iid_) ? S_OK : S_FALSE;
    }

  protected:
    explicit SupportsErrorInfo(const IID& iid) : iid_(iid) {}
    ~SupportsErrorInfo() = default;

  private:
    IID iid_;
};

}  // namespace annalex::platform
