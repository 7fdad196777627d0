#pragma once
// What the COM test hosts share: where the build put annalex.dll and the Linux calendars,
// registry look-ups below HKEY_CLASSES_ROOT, running regsvr32, late-bound calls by name, and
// a fixture that loads the server, registers it, and removes it again.

#include <gtest/gtest.h>
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>
#include <wrl/client.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/annalex.h"

namespace annalex::testing {

using Microsoft::WRL::ComPtr;

// The folder of the test program, where the build puts annalex.dll and scripts/windows.sh the
// calendars the Linux `annalex generate` printed.
inline std::filesystem::path programFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::wstring(path, length)).parent_path();
}

inline std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A value of a key below HKEY_CLASSES_ROOT (the default value for a null name); "<absent>"
// when the key or the value does not exist.
inline std::wstring classesValue(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t data[1024];
    DWORD size = sizeof data;
    const LSTATUS code =
        RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size);
    return code == ERROR_SUCCESS ? std::wstring(data) : L"<absent>";
}

inline bool classesKeyExists(const std::wstring& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

inline std::wstring guidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// Runs regsvr32 with the arguments and the DLL's path; its exit code.
inline DWORD runRegsvr32(const std::wstring& arguments, const std::filesystem::path& dll) {
    std::wstring command = L"regsvr32.exe " + arguments + L" \"" + dll.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return GetLastError() | 0x80000000u;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

// Invokes a member of object by name: a text got (flags DISPATCH_PROPERTYGET) or put
// (DISPATCH_PROPERTYPUT, with value); "<failed>" when the call fails.
inline std::string byName(IDispatch* object, const wchar_t* name, WORD flags = DISPATCH_PROPERTYGET,
                          const wchar_t* value = nullptr) {
    DISPID id = DISPID_UNKNOWN;
    DISPID put = DISPID_PROPERTYPUT;
    VARIANT argument{};
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(value);
    DISPPARAMS parameters{&argument, &put, value != nullptr ? 1u : 0u, value != nullptr ? 1u : 0u};
    VARIANT result{};
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const bool called =
        SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) &&
        SUCCEEDED(object->Invoke(id, IID_NULL, 0, flags, &parameters, &result, nullptr, nullptr));
    VariantClear(&argument);
    std::string text = called ? "" : "<failed>";
    for (UINT i = 0; called && result.vt == VT_BSTR && i < SysStringLen(result.bstrVal); ++i) {
        text += static_cast<char>(result.bstrVal[i]);  // the calendar's texts are ASCII
    }
    VariantClear(&result);
    return text;
}

// Loads annalex.dll from the program's folder and registers it for the test; unregisters and
// frees it after. The thread is in a single-threaded apartment meanwhile.
class RegisteredServer : public ::testing::Test {
  protected:
    using EntryPoint = HRESULT(STDAPICALLTYPE*)();

    void SetUp() override {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        module_ = LoadLibraryW((programFolder() / "annalex.dll").c_str());
        ASSERT_NE(module_, nullptr);
        ASSERT_EQ(entryPoint("DllRegisterServer")(), S_OK);
    }
    void TearDown() override {
        ctrl.Reset();
        dimension.Reset();
        if (module_ != nullptr) {
            EXPECT_EQ(entryPoint("DllUnregisterServer")(), S_OK);
            FreeLibrary(module_);
        }
        CoUninitialize();
    }

    EntryPoint entryPoint(const char* name) const {
        return reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    // A new control and a new in-memory cube with its dimension "Time" set on the control.
    void createControlWithOwnCube() {
        ASSERT_EQ(
            CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&ctrl)),
            S_OK);
        ComPtr<IAnnalexCube> cube;
        ASSERT_EQ(CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
                  S_OK);
        BSTR name = SysAllocString(L"Time");
        ASSERT_EQ(cube->ensureDimension(name, &dimension), S_OK);
        SysFreeString(name);
        ASSERT_EQ(ctrl->putref_theCube(cube.Get()), S_OK);
        ASSERT_EQ(ctrl->putref_theTimeDimension(dimension.Get()), S_OK);
    }

    HMODULE module_ = nullptr;
    ComPtr<IAnnalexCtrl> ctrl;
    ComPtr<IDispatch> dimension;
};

}  // namespace annalex::testing
