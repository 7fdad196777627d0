#pragma once
// How the server's methods hand results to the caller: out-pointers checked, texts as new
// BSTRs. Both throw (CallError, std::bad_alloc) for guarded() to turn into the method's result.

#include <oaidl.h>

#include <new>
#include <string_view>

#include "platform/error_info.hpp"
#include "platform/wide_text.hpp"

namespace annalex::platform {

// Checks an out-pointer of a call.
template <typename T>
T& out(T* pointer) {
    if (pointer == nullptr) {
        throw CallError(E_POINTER, "A result pointer is null");
    }
    return *pointer;
}

// Stores text as a new BSTR in result.
inline void handOutText(std::string_view text, BSTR* result) {
    BSTR& target = out(result);
    target = toBstr(text);
    if (target == nullptr) {
        throw std::bad_alloc();
    }
}

}  // namespace annalex::platform
