#pragma once
// Conversions between the core's UTF-8 text and the wide text of COM and Win32: BSTRs for
// automation, std::wstring for paths and registry values.

#include <windows.h>

#include <string>
#include <string_view>

namespace annalex::platform {

// UTF-8 text as wide text.
std::wstring toWide(std::string_view text);
// Wide text as UTF-8.
std::string fromWide(std::wstring_view text);

// UTF-8 text as a new BSTR (null when memory is exhausted).
BSTR toBstr(std::string_view text);
// A BSTR's text as UTF-8; a null BSTR is the empty text.
std::string fromBstr(BSTR text);

// Stores a new BSTR of text in out; E_POINTER for a null out, E_OUTOFMEMORY when no BSTR
// could be made.
HRESULT putBstr(std::string_view text, BSTR* out);

}  // namespace annalex::platform
