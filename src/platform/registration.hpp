#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes, through the settings functions
// over the real registry, for each class of the server:
//
//   HKCR\CLSID\{clsid}                   (default) the class's readable name
//   HKCR\CLSID\{clsid}\InprocServer32    (default) the DLL's own path, ThreadingModel "Apartment"
//   HKCR\CLSID\{clsid}\ProgID            (default) the ProgID
//   HKCR\<ProgID>                        (default) the class's readable name
//   HKCR\<ProgID>\CLSID                  (default) {clsid}
//
// Unregistration deletes exactly these keys, deepest first; a key that holds something else
// (a subkey another program added) stays, and unregistration reports it. What is already
// absent counts as removed.

#include <windows.h>

#include <string>

namespace annalex::platform {

// S_OK, or SELFREG_E_CLASS when a settings call failed (what was written stays).
HRESULT registerServer(const std::string& modulePath);
// S_OK, or SELFREG_E_CLASS when a key could not be deleted.
HRESULT unregisterServer();

}  // namespace annalex::platform
