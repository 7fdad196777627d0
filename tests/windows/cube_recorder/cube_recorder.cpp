// An automation-only cube library for the tests, not the product's own: a separate in-process
// server with the ProgIDs CubeRecorder.Dimension (a new recording, see recording_model.hpp)
// and CubeRecorder.Hierarchy, .Level, .AttributeDef and .Member (new objects of the current
// recording). Its objects answer IDispatch alone, with names looked up in a table (any case),
// as a scripting language's classes do, and they have no type information.
//
// Besides the cube model's operations the dimension answers callLog (the recording's lines
// joined by "\n"), jsonLines (its content as `annalex generate` prints it) and, to be set,
// failOn: the name of an operation that fails from then on with error 1001 "The recorder
// refuses <operation>".

#include <olectl.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <sstream>
#include <string>
#include <variant>

#include "common/failure.hpp"
#include "cube/dimension_export.hpp"
#include "recording_model.hpp"

namespace {

using annalex::testing::Recording;
namespace cube = annalex::cube;

HMODULE module = nullptr;
std::shared_ptr<Recording> current;
std::wstring failOn;

// {6f69c766-74d5-46a3-9717-0d4bf23f41ac}: how the recorder finds its own objects in arguments.
constexpr IID kRecorderObject = {
    0x6f69c766, 0x74d5, 0x46a3, {0x97, 0x17, 0x0d, 0x4b, 0xf2, 0x3f, 0x41, 0xac}};

enum class Kind { Dimension, Hierarchy, Level, AttributeDef, Member };
struct RecorderClass {
    CLSID clsid;
    const wchar_t* progId;
    Kind kind;
};
const std::array<RecorderClass, 5> kClasses{{
    {{0xe49acc5f, 0x92f6, 0x4193, {0x92, 0x06, 0xea, 0xcf, 0xf9, 0xb1, 0xee, 0x2d}},
     L"CubeRecorder.Dimension",
     Kind::Dimension},
    {{0x80a28e49, 0x22d3, 0x4ede, {0xb2, 0x31, 0x1f, 0xf2, 0x6d, 0xc5, 0x5e, 0xb5}},
     L"CubeRecorder.Hierarchy",
     Kind::Hierarchy},
    {{0x59588505, 0x8e32, 0x48ea, {0xa1, 0x1e, 0x85, 0xd2, 0x44, 0xfa, 0xf9, 0x49}},
     L"CubeRecorder.Level",
     Kind::Level},
    {{0xddb9ad46, 0xc154, 0x4b07, {0xb4, 0xae, 0x48, 0x43, 0xf3, 0x4f, 0xbc, 0x30}},
     L"CubeRecorder.AttributeDef",
     Kind::AttributeDef},
    {{0x3403a7ea, 0xceb0, 0x4d2d, {0xb5, 0x7f, 0xbd, 0xc8, 0xeb, 0xbc, 0x68, 0xda}},
     L"CubeRecorder.Member",
     Kind::Member},
}};

constexpr std::array<const wchar_t*, 24> kNames = {
    L"hierarchyCount", L"hierarchy",    L"addHierarchy",    L"putName",     L"getName",
    L"levelAt",        L"levelNamed",   L"addLevel",        L"removeLevel", L"clear",
    L"putLevelType",   L"getLevelType", L"addAttributeDef", L"findMembers", L"addRootMember",
    L"putCaption",     L"getCaption",   L"putOrder",        L"putParent",   L"setAttribute",
    L"Count",          L"callLog",      L"jsonLines",       L"failOn"};

// A refused or impossible call: the error the caller sees.
struct CallFault {
    std::int32_t number;
    std::string description;
};

using Target = std::variant<cube::DimensionRef, cube::HierarchyRef, cube::LevelRef,
                            cube::AttributeDefRef, cube::MemberRef, std::int32_t>;

BSTR wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result, length);
    return result;
}

std::string narrow(BSTR text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(SysStringLen(text)),
                                           nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(SysStringLen(text)), result.data(),
                        length, nullptr, nullptr);
    return result;
}

class RecorderObject final : public IDispatch {
  public:
    explicit RecorderObject(Target target) : target_(std::move(target)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, kRecorderObject)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (std::size_t n = 0; n < kNames.size(); ++n) {
                if (_wcsicmp(names[i], kNames[n]) == 0) {
                    ids[i] = static_cast<DISPID>(n + 1);
                }
            }
            result = ids[i] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : result;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override {
        if (id < 1 || static_cast<std::size_t>(id) > kNames.size()) {
            return DISP_E_MEMBERNOTFOUND;
        }
        VARIANT ignored;
        VariantInit(&ignored);
        try {
            if (_wcsicmp(failOn.c_str(), kNames[static_cast<std::size_t>(id - 1)]) == 0) {
                std::wstring name = kNames[static_cast<std::size_t>(id - 1)];
                throw CallFault{1001,
                                "The recorder refuses " + std::string(name.begin(), name.end())};
            }
            run(id, flags, *parameters, result != nullptr ? *result : ignored);
        } catch (const CallFault& fault) {
            return raise(fault, exception);
        } catch (const annalex::Failure& failure) {
            return raise({failure.number(), failure.description()}, exception);
        }
        VariantClear(&ignored);
        return S_OK;
    }

  private:
    static HRESULT raise(const CallFault& fault, EXCEPINFO* exception) {
        if (exception != nullptr) {
            *exception = EXCEPINFO{};
            exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, fault.number);
            exception->bstrSource = SysAllocString(L"CubeRecorder");
            exception->bstrDescription = wide(fault.description);
        }
        return DISP_E_EXCEPTION;
    }

    template <typename Ref>
    Ref& as() {
        auto* target = std::get_if<Ref>(&target_);
        if (target == nullptr) {
            throw CallFault{438, "Object doesn't support this property or method"};
        }
        return *target;
    }

    static VARIANT argument(DISPPARAMS& parameters, UINT position, VARTYPE type) {
        VARIANT value;
        VariantInit(&value);
        UINT error = 0;
        if (FAILED(DispGetParam(&parameters, position, type, &value, &error))) {
            throw CallFault{13, "Type mismatch"};
        }
        return value;
    }
    static std::string text(DISPPARAMS& parameters, UINT position) {
        VARIANT value = argument(parameters, position, VT_BSTR);
        std::string result = narrow(value.bstrVal);
        VariantClear(&value);
        return result;
    }
    static LONG number(DISPPARAMS& parameters, UINT position) {
        return argument(parameters, position, VT_I4).lVal;
    }
    template <typename Ref>
    static Ref object(DISPPARAMS& parameters, UINT position) {
        VARIANT value = argument(parameters, position, VT_DISPATCH);
        RecorderObject* own = nullptr;
        if (value.pdispVal != nullptr && FAILED(value.pdispVal->QueryInterface(
                                             kRecorderObject, reinterpret_cast<void**>(&own)))) {
            VariantClear(&value);
            throw CallFault{5, "The object is not the recorder's"};
        }
        VariantClear(&value);
        if (own == nullptr) {
            return nullptr;
        }
        Ref ref = own->as<Ref>();
        own->Release();
        return ref;
    }
    template <typename Ref>
    static void answer(VARIANT& result, const Ref& ref) {
        result.vt = VT_DISPATCH;
        result.pdispVal = ref ? new RecorderObject(ref) : nullptr;
    }
    static void answer(VARIANT& result, const std::string& value) {
        result.vt = VT_BSTR;
        result.bstrVal = wide(value);
    }

    // Calls the operation on the target, with names for every kind that has one.
    void run(DISPID id, WORD flags, DISPPARAMS& p, VARIANT& result);

    std::atomic<ULONG> references_{1};
    Target target_;
};

void RecorderObject::run(DISPID id, WORD flags, DISPPARAMS& p, VARIANT& result) {
    const std::wstring name = kNames[static_cast<std::size_t>(id - 1)];
    auto named = [&](auto&& body) {
        std::visit(
            [&](auto& target) {
                if constexpr (requires { target->putName(""); }) {
                    body(*target);
                } else {
                    throw CallFault{438, "Object doesn't support this property or method"};
                }
            },
            target_);
    };
    if (name == L"hierarchyCount") {
        result.vt = VT_I2;
        result.iVal = as<cube::DimensionRef>()->hierarchyCount();
    } else if (name == L"hierarchy") {
        answer(result,
               as<cube::DimensionRef>()->hierarchy(static_cast<std::int16_t>(number(p, 0))));
    } else if (name == L"addHierarchy") {
        as<cube::DimensionRef>()->addHierarchy(object<cube::HierarchyRef>(p, 0));
    } else if (name == L"putName") {
        named([&](auto& target) { target.putName(text(p, 0)); });
    } else if (name == L"getName") {
        named([&](auto& target) { answer(result, target.getName()); });
    } else if (name == L"levelAt") {
        answer(result, as<cube::HierarchyRef>()->levelAt(number(p, 0)));
    } else if (name == L"levelNamed") {
        answer(result, as<cube::HierarchyRef>()->levelNamed(text(p, 0)));
    } else if (name == L"addLevel") {
        as<cube::HierarchyRef>()->addLevel(object<cube::LevelRef>(p, 0));
    } else if (name == L"removeLevel") {
        as<cube::HierarchyRef>()->removeLevel(object<cube::LevelRef>(p, 0));
    } else if (name == L"clear") {
        as<cube::HierarchyRef>()->clear();
    } else if (name == L"putLevelType") {
        as<cube::LevelRef>()->putLevelType(number(p, 0));
    } else if (name == L"getLevelType") {
        result.vt = VT_I4;
        result.lVal = as<cube::LevelRef>()->getLevelType();
    } else if (name == L"addAttributeDef") {
        as<cube::LevelRef>()->addAttributeDef(object<cube::AttributeDefRef>(p, 0));
    } else if (name == L"findMembers") {
        const auto found = as<cube::LevelRef>()->findMembers(text(p, 0));
        result.vt = VT_DISPATCH;
        result.pdispVal = new RecorderObject(found.Count());
    } else if (name == L"addRootMember") {
        as<cube::LevelRef>()->addRootMember(object<cube::MemberRef>(p, 0));
    } else if (name == L"putCaption") {
        as<cube::AttributeDefRef>()->putCaption(text(p, 0));
    } else if (name == L"getCaption") {
        answer(result, as<cube::AttributeDefRef>()->getCaption());
    } else if (name == L"putOrder") {
        as<cube::MemberRef>()->putOrder(number(p, 0));
    } else if (name == L"putParent") {
        as<cube::MemberRef>()->putParent(object<cube::MemberRef>(p, 0));
    } else if (name == L"setAttribute") {
        as<cube::MemberRef>()->setAttribute(text(p, 0), text(p, 1));
    } else if (name == L"Count") {
        result.vt = VT_I4;
        result.lVal = as<std::int32_t>();
    } else if (name == L"callLog") {
        std::string joined;
        for (const auto& line : current->lines()) {
            joined += line + "\n";
        }
        answer(result, joined);
    } else if (name == L"jsonLines") {
        std::ostringstream out;
        cube::writeDimension(*current->inner(), cube::ExportFormat::JsonLines, out);
        answer(result, out.str());
    } else if (name == L"failOn" && (flags & DISPATCH_PROPERTYPUT) != 0) {
        VARIANT value;
        VariantInit(&value);
        if (p.cArgs != 1 || FAILED(VariantChangeType(&value, &p.rgvarg[0], 0, VT_BSTR))) {
            throw CallFault{13, "Type mismatch"};
        }
        failOn.assign(value.bstrVal, SysStringLen(value.bstrVal));
        VariantClear(&value);
    } else {
        throw CallFault{438, "Object doesn't support this property or method"};
    }
}

Recording& recording() {
    if (!current) {
        current = std::make_shared<Recording>();
    }
    return *current;
}

class Factory final : public IClassFactory {
  public:
    explicit Factory(Kind kind) : kind_(kind) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        Target target;
        switch (kind_) {
            case Kind::Dimension:
                current = std::make_shared<Recording>();
                failOn.clear();
                target = current->dimension();
                break;
            case Kind::Hierarchy:
                target = recording().newHierarchy();
                break;
            case Kind::Level:
                target = recording().newLevel();
                break;
            case Kind::AttributeDef:
                target = recording().newAttributeDef();
                break;
            case Kind::Member:
                target = recording().newMember();
                break;
        }
        auto* created = new RecorderObject(std::move(target));
        const HRESULT result = created->QueryInterface(riid, object);
        created->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  private:
    std::atomic<ULONG> references_{1};
    Kind kind_;
};

std::wstring guidText(const GUID& guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

bool setDefault(const std::wstring& key, const std::wstring& value, const wchar_t* name = nullptr) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status =
        RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    return status == ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    *object = nullptr;
    for (const auto& recorderClass : kClasses) {
        if (IsEqualCLSID(clsid, recorderClass.clsid)) {
            auto* factory = new Factory(recorderClass.kind);
            const HRESULT result = factory->QueryInterface(riid, object);
            factory->Release();
            return result;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return S_FALSE;  // the recording lives as long as the process
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(module, path, MAX_PATH);
    for (const auto& recorderClass : kClasses) {
        const std::wstring clsid = guidText(recorderClass.clsid);
        if (!setDefault(L"CLSID\\" + clsid + L"\\InprocServer32", path) ||
            !setDefault(L"CLSID\\" + clsid + L"\\InprocServer32", L"Apartment",
                        L"ThreadingModel") ||
            !setDefault(std::wstring(recorderClass.progId) + L"\\CLSID", clsid)) {
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    for (const auto& recorderClass : kClasses) {
        const std::wstring clsid = L"CLSID\\" + guidText(recorderClass.clsid);
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (clsid + L"\\InprocServer32").c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, clsid.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (std::wstring(recorderClass.progId) + L"\\CLSID").c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, recorderClass.progId);
    }
    return S_OK;
}
