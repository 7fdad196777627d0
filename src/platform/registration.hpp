#pragma once
// What DllRegisterServer writes and DllUnregisterServer removes, with the registry's wide-
// character functions so that paths and names outside the ANSI code page survive. For each
// class of the server (server_classes.hpp), <ProgID> being "Annalex.<name>":
//
//   HKCR\CLSID\{clsid}                            (default) the class's readable name
//   HKCR\CLSID\{clsid}\InprocServer32             (default) the DLL's path,
//                                                 ThreadingModel "Apartment"
//   HKCR\CLSID\{clsid}\ProgID                     (default) <ProgID>.1
//   HKCR\CLSID\{clsid}\VersionIndependentProgID   (default) <ProgID>
//   HKCR\CLSID\{clsid}\TypeLib                    (default) the type library's {libid}
//   HKCR\CLSID\{clsid}\Version                    (default) "1.0"
//   HKCR\CLSID\{clsid}\Programmable               (a key without values)
//
// and for a class that is an ActiveX control:
//
//   HKCR\CLSID\{clsid}\Control                    (a key without values)
//   HKCR\CLSID\{clsid}\MiscStatus                 (default) "0"
//   HKCR\CLSID\{clsid}\MiscStatus\1               (default) its OLEMISC flags, in decimal
//   HKCR\CLSID\{clsid}\Implemented Categories\{40FC6ED4-2438-11CF-A3DB-080036F12502}
//                                                 (the controls' category; keys without values)
//
// and for every class:
//
//   HKCR\<ProgID>                                 (default) the readable name, with the
//                                                 subkeys CLSID {clsid} and CurVer <ProgID>.1
//   HKCR\<ProgID>.1                               (default) the readable name, CLSID {clsid}
//
// and the embedded type library through RegisterTypeLib: HKCR\TypeLib\{libid}\1.0 with the
// DLL's path, and HKCR\Interface\{iid} for each interface with the type library's marshaler.
//
// Unregistration removes the type library's keys with UnRegisterTypeLib and deletes exactly the
// keys above, deepest first; a key that holds something else (a subkey another program added)
// stays, and unregistration reports it. What is already absent counts as removed.

#include <windows.h>

#include <string>

namespace annalex::platform {

// S_OK; SELFREG_E_CLASS when a key could not be written, SELFREG_E_TYPELIB when the type
// library could not be registered (what was written stays).
HRESULT registerServer(const std::wstring& modulePath);
// S_OK; SELFREG_E_TYPELIB or SELFREG_E_CLASS when something could not be removed.
HRESULT unregisterServer();

}  // namespace annalex::platform
