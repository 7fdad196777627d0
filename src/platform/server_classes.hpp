#pragma once
// The classes the server offers, with what registration writes for each. Their ProgIDs are
// "Annalex.<name>" (version independent) and "Annalex.<name>.1".

#include <unknwn.h>
#include <windows.h>

#include <span>

namespace annalex::platform {

struct ServerClass {
    const CLSID* clsid;
    const wchar_t* name;          // the coclass's name, the last part of the ProgID
    const wchar_t* readableName;  // the class key's default value
    // The OLEMISC flags of a class that is an ActiveX control; 0 for one that is not.
    DWORD controlMiscStatus;
    // A new object with one reference, or null when memory is exhausted.
    IUnknown* (*create)();
};

std::span<const ServerClass> serverClasses();

// The class with that identifier, or null.
const ServerClass* findServerClass(REFCLSID clsid);

}  // namespace annalex::platform
