#pragma once
// What the COM test hosts share: where the build put annalex.dll and the Linux calendars,
// registry look-ups below HKEY_CLASSES_ROOT, running regsvr32, late-bound calls by name, and
// a fixture that loads the server, registers it, and removes it again.

#include <gtest/gtest.h>
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
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

// A function a DLL exports, as the type it has (by default a server's entry point).
template <typename Function = HRESULT(STDAPICALLTYPE*)()>
Function exported(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
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

// A BSTR for the length of a call.
class Bstr {
  public:
    explicit Bstr(const wchar_t* text) : text_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return text_; }

  private:
    BSTR text_;
};

// A new control and a new in-memory cube with its dimension "Time" set on the control.
inline void makeControlWithOwnCube(ComPtr<IAnnalexCtrl>& ctrl, ComPtr<IDispatch>& dimension) {
    ASSERT_EQ(
        CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&ctrl)),
        S_OK);
    ComPtr<IAnnalexCube> cube;
    ASSERT_EQ(CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
              S_OK);
    ASSERT_EQ(cube->ensureDimension(Bstr(L"Time"), &dimension), S_OK);
    ASSERT_EQ(ctrl->putref_theCube(cube.Get()), S_OK);
    ASSERT_EQ(ctrl->putref_theTimeDimension(dimension.Get()), S_OK);
}

// A host's sink as containers and script engines make them: IDispatch over the events
// dispinterface. It writes down the events it receives ("wizardResult(true)" ...).
class Sink final : public IDispatch {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                           IsEqualIID(riid, DIID_AnnalexCtrlEvents);
        *object = known ? this : nullptr;
        if (known) {
            AddRef();
        }
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    // Called on the apartment's thread, or on a thread of the multithreaded apartment while
    // the host waits for the call it made: never two at once.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT*, EXCEPINFO*, UINT*) override {
        const bool wizardResult =
            id == 1 && parameters->cArgs == 1 && parameters->rgvarg[0].vt == VT_BOOL;
        events += !wizardResult                   ? "?"
                  : parameters->rgvarg[0].boolVal ? "wizardResult(true)"
                                                  : "wizardResult(false)";
        return S_OK;
    }

    std::atomic<ULONG> references{0};
    std::string events;
};

inline ComPtr<IConnectionPoint> eventsPoint(IUnknown* ctrl) {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(ctrl->QueryInterface(IID_PPV_ARGS(&container)), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(DIID_AnnalexCtrlEvents, &point), S_OK);
    return point;
}

// The tests' cube recorder (cube_recorder/), a library of its own that stands for a host's
// cube library: loaded and registered while the object lives.
class RegisteredRecorder {
  public:
    RegisteredRecorder() {
        module_ = LoadLibraryW((programFolder() / "cube_recorder.dll").c_str());
        registered_ = module_ != nullptr && exported(module_, "DllRegisterServer")() == S_OK;
    }
    ~RegisteredRecorder() {
        if (registered_) {
            EXPECT_EQ(exported(module_, "DllUnregisterServer")(), S_OK);
        }
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    RegisteredRecorder(const RegisteredRecorder&) = delete;
    RegisteredRecorder& operator=(const RegisteredRecorder&) = delete;

    bool ready() const { return registered_; }
    // A new, empty recording: CubeRecorder.Dimension.
    ComPtr<IDispatch> newDimension() const {
        CLSID dimension{};
        ComPtr<IDispatch> made;
        if (SUCCEEDED(CLSIDFromProgID(L"CubeRecorder.Dimension", &dimension))) {
            CoCreateInstance(dimension, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&made));
        }
        return made;
    }

  private:
    HMODULE module_ = nullptr;
    bool registered_ = false;
};

// Loads annalex.dll from the program's folder and registers it for the test; unregisters and
// frees it after. The thread is in a single-threaded apartment meanwhile.
class RegisteredServer : public ::testing::Test {
  protected:
    void SetUp() override {
        // S_FALSE in a program that keeps OLE initialised for its windows (OleInitialize).
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        module_ = LoadLibraryW((programFolder() / "annalex.dll").c_str());
        ASSERT_NE(module_, nullptr);
        ASSERT_EQ(exported(module_, "DllRegisterServer")(), S_OK);
    }
    void TearDown() override {
        ctrl.Reset();
        dimension.Reset();
        if (module_ != nullptr) {
            EXPECT_EQ(exported(module_, "DllUnregisterServer")(), S_OK);
            FreeLibrary(module_);
        }
        CoUninitialize();
    }

    void createControlWithOwnCube() { makeControlWithOwnCube(ctrl, dimension); }

    // A new cube of the product's own on the control, with a time dimension of a host's cube
    // library whose classes the control makes new objects from.
    void giveHostDimension(const ComPtr<IDispatch>& time, const wchar_t* library) {
        ComPtr<IDispatch> cube;
        ASSERT_EQ(CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
                  S_OK);
        ASSERT_EQ(byName(ctrl.Get(), L"cubeLibrary", DISPATCH_PROPERTYPUT, library), "");
        ASSERT_EQ(ctrl->putref_theCube(cube.Get()), S_OK);
        ASSERT_EQ(ctrl->putref_theTimeDimension(time.Get()), S_OK);
    }

    HMODULE module_ = nullptr;
    ComPtr<IAnnalexCtrl> ctrl;
    ComPtr<IDispatch> dimension;
};

}  // namespace annalex::testing
