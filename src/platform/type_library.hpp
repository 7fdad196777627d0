#pragma once
// The server's own type library, built from annalex.idl and embedded in annalex.dll as its
// TYPELIB resource 1. It is loaded from the DLL once and kept with the type information asked
// for until the process ends (the objects of the type library are not bound to an apartment).

#include <oaidl.h>

namespace annalex::platform {

// The type library version DllRegisterServer registers and the classes' Version keys name.
inline constexpr WORD kTypeLibraryMajor = 1;
inline constexpr WORD kTypeLibraryMinor = 0;

// The library itself, with a reference for the caller.
HRESULT serverTypeLibrary(ITypeLib** library);
// The type information of an interface, dispinterface or coclass of the library, with a
// reference for the caller; TYPE_E_ELEMENTNOTFOUND for a GUID the library does not describe.
HRESULT serverTypeInfo(REFGUID guid, ITypeInfo** info);

}  // namespace annalex::platform
