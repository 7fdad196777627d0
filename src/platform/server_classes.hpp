#pragma once
// The classes the server offers, with what registration writes for each.

#include <unknwn.h>

#include <span>

namespace annalex::platform {

struct ServerClass {
    const CLSID* clsid;
    const char* clsidText;     // "{...}"
    const char* readableName;  // the class key's default value
    const char* progId;
    // A new object with one reference, or null when memory is exhausted.
    IUnknown* (*create)();
};

std::span<const ServerClass> serverClasses();

// The class with that identifier, or null.
const ServerClass* findServerClass(REFCLSID clsid);

}  // namespace annalex::platform
