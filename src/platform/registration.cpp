#include "platform/registration.hpp"

#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <algorithm>
#include <vector>

#include "platform/annalex.h"
#include "platform/server_classes.hpp"
#include "platform/type_library.hpp"

namespace annalex::platform {

namespace {

struct Entry {
    std::wstring key;          // below HKEY_CLASSES_ROOT
    const wchar_t* valueName;  // null for the default value
    std::wstring value;
    bool hasValue = true;  // false for a key without values
};

std::wstring guidText(const GUID& guid) {
    wchar_t text[40];
    const int length = StringFromGUID2(guid, text, 40);
    return std::wstring(text, length > 0 ? static_cast<std::size_t>(length - 1) : 0);
}

// The component category of ActiveX controls (CATID_Control).
constexpr wchar_t kControlCategory[] = L"{40FC6ED4-2438-11CF-A3DB-080036F12502}";

std::wstring versionText() {
    return std::to_wstring(kTypeLibraryMajor) + L"." + std::to_wstring(kTypeLibraryMinor);
}

// Every key and value of the classes, each key before its subkeys.
std::vector<Entry> classEntries(const std::wstring& modulePath) {
    const std::wstring library = guidText(LIBID_Annalex);
    std::vector<Entry> entries;
    for (const auto& serverClass : serverClasses()) {
        const std::wstring clsid = guidText(*serverClass.clsid);
        const std::wstring classKey = L"CLSID\\" + clsid;
        const std::wstring progId = std::wstring(L"Annalex.") + serverClass.name;
        const std::wstring versioned = progId + L"." + std::to_wstring(kTypeLibraryMajor);
        entries.push_back({classKey, nullptr, serverClass.readableName});
        entries.push_back({classKey + L"\\InprocServer32", nullptr, modulePath});
        entries.push_back({classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        entries.push_back({classKey + L"\\ProgID", nullptr, versioned});
        entries.push_back({classKey + L"\\VersionIndependentProgID", nullptr, progId});
        entries.push_back({classKey + L"\\TypeLib", nullptr, library});
        entries.push_back({classKey + L"\\Version", nullptr, versionText()});
        entries.push_back({classKey + L"\\Programmable", nullptr, L"", false});
        if (serverClass.controlMiscStatus != 0) {
            const std::wstring categories = classKey + L"\\Implemented Categories";
            entries.push_back({classKey + L"\\Control", nullptr, L"", false});
            entries.push_back({classKey + L"\\MiscStatus", nullptr, L"0"});
            entries.push_back({classKey + L"\\MiscStatus\\1", nullptr,
                               std::to_wstring(serverClass.controlMiscStatus)});
            entries.push_back({categories, nullptr, L"", false});
            entries.push_back({categories + L"\\" + kControlCategory, nullptr, L"", false});
        }
        entries.push_back({progId, nullptr, serverClass.readableName});
        entries.push_back({progId + L"\\CLSID", nullptr, clsid});
        entries.push_back({progId + L"\\CurVer", nullptr, versioned});
        entries.push_back({versioned, nullptr, serverClass.readableName});
        entries.push_back({versioned + L"\\CLSID", nullptr, clsid});
    }
    return entries;
}

bool write(const Entry& entry) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LSTATUS status = ERROR_SUCCESS;
    if (entry.hasValue) {
        status = RegSetValueExW(key, entry.valueName, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(entry.value.c_str()),
                                static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool typeLibraryRegistered() {
    HKEY key = nullptr;
    const std::wstring path = L"TypeLib\\" + guidText(LIBID_Annalex);
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

}  // namespace

HRESULT registerServer(const std::wstring& modulePath) {
    for (const Entry& entry : classEntries(modulePath)) {
        if (!write(entry)) {
            return SELFREG_E_CLASS;
        }
    }
    Microsoft::WRL::ComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(modulePath.c_str(), REGKIND_NONE, &library)) ||
        FAILED(RegisterTypeLib(library.Get(), const_cast<LPOLESTR>(modulePath.c_str()), nullptr))) {
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

HRESULT unregisterServer() {
    HRESULT result = S_OK;
    if (typeLibraryRegistered() &&
        FAILED(UnRegisterTypeLib(LIBID_Annalex, kTypeLibraryMajor, kTypeLibraryMinor, LANG_NEUTRAL,
                                 SYS_WIN64))) {
        result = SELFREG_E_TYPELIB;
    }
    // Each key once, deepest (last written) first.
    std::vector<std::wstring> keys;
    for (const Entry& entry : classEntries({})) {
        if (std::find(keys.begin(), keys.end(), entry.key) == keys.end()) {
            keys.push_back(entry.key);
        }
    }
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        const LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, key->c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND && result == S_OK) {
            result = SELFREG_E_CLASS;
        }
    }
    return result;
}

}  // namespace annalex::platform
