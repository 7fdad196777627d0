#include "platform/registration.hpp"

#include <olectl.h>

#include "platform/server_classes.hpp"
#include "settings/registry.hpp"

namespace annalex::platform {

namespace {

using settings::fDeleteKey;
using settings::fWriteValue;

constexpr const char* kRoot = "HKCR";

bool writeText(const std::string& key, const std::string& name, const std::string& text) {
    return fWriteValue(kRoot, key, name, "S", text) == 0;
}

}  // namespace

HRESULT registerServer(const std::string& modulePath) {
    bool written = true;
    for (const auto& serverClass : serverClasses()) {
        const std::string classKey = std::string("CLSID\\") + serverClass.clsidText;
        written = written && writeText(classKey, "", serverClass.readableName);
        written = written && writeText(classKey + "\\InprocServer32", "", modulePath);
        written =
            written && writeText(classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
        written = written && writeText(classKey + "\\ProgID", "", serverClass.progId);
        written = written && writeText(serverClass.progId, "", serverClass.readableName);
        written = written &&
                  writeText(std::string(serverClass.progId) + "\\CLSID", "", serverClass.clsidText);
    }
    return written ? S_OK : SELFREG_E_CLASS;
}

HRESULT unregisterServer() {
    bool removed = true;
    for (const auto& serverClass : serverClasses()) {
        const std::string classKey = std::string("CLSID\\") + serverClass.clsidText;
        removed = fDeleteKey(kRoot, classKey, "InprocServer32") == 0 && removed;
        removed = fDeleteKey(kRoot, classKey, "ProgID") == 0 && removed;
        removed = fDeleteKey(kRoot, "CLSID", serverClass.clsidText) == 0 && removed;
        removed = fDeleteKey(kRoot, serverClass.progId, "CLSID") == 0 && removed;
        removed = fDeleteKey(kRoot, "", serverClass.progId) == 0 && removed;
    }
    return removed ? S_OK : SELFREG_E_CLASS;
}

}  // namespace annalex::platform
