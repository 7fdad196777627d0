// An automation-only cube library for the tests, not the product's own: a separate in-process
// server with the ProgIDs CubeRecorder.Dimension (a new, empty recording) and
// CubeRecorder.Hierarchy, .Level, .AttributeDef and .Member. Its objects answer IDispatch
// alone, with names looked up in a table (any case), as a scripting language's classes do, and
// offer the operations the control calls on a new dimension.
//
// Every call of a cube model operation is written down, one line each in order
// ("Member3.putParent(Member1)": objects named by kind and creation number) and carried out on
// an in-memory dimension. The dimension also answers callLog (the lines, each ended by "\n")
// and jsonLines (its content as `annalex generate` prints it), and callsWithoutWaitCursor
// (how many calls came while the thread did not show the hourglass pointer). An object of another
// library passed to an operation is refused with error 5 "Not an object of the recorder".

#include <olectl.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <map>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "common/failure.hpp"
#include "cube/dimension_export.hpp"

namespace {

namespace cube = annalex::cube;

using Model = std::variant<std::shared_ptr<cube::MemoryDimension>, cube::HierarchyRef,
                           cube::LevelRef, cube::AttributeDefRef, cube::MemberRef, LONG>;

struct Recording {
    std::shared_ptr<cube::MemoryDimension> dimension =
        std::make_shared<cube::MemoryDimension>("Time");
    std::string lines;
    std::map<const void*, std::string> names;  // of the model objects made
    // Calls of the cube model's operations that came while the thread did not show the
    // hourglass pointer.
    std::size_t callsWithoutWaitCursor = 0;
};

HMODULE module = nullptr;
Recording recording;

// {6f69c766-74d5-46a3-9717-0d4bf23f41ac}: how the recorder finds its own objects in arguments.
constexpr IID kRecorderObject = {
    0x6f69c766, 0x74d5, 0x46a3, {0x97, 0x17, 0x0d, 0x4b, 0xf2, 0x3f, 0x41, 0xac}};

constexpr std::array<const wchar_t*, 5> kKinds = {L"Dimension", L"Hierarchy", L"Level",
                                                  L"AttributeDef", L"Member"};
// The classes' CLSIDs: {e49acc5f-92f6-4193-9206-eacff9b1ee2d} for the dimension, then the
// next values of the first field in the order of kKinds.
CLSID classId(std::size_t kind) {
    CLSID clsid = {0xe49acc5f, 0x92f6, 0x4193, {0x92, 0x06, 0xea, 0xcf, 0xf9, 0xb1, 0xee, 0x2d}};
    clsid.Data1 += static_cast<unsigned long>(kind);
    return clsid;
}

constexpr std::array<const wchar_t*, 21> kNames = {
    L"hierarchyCount", L"hierarchy",       L"addHierarchy",
    L"putName",        L"getName",         L"levelAt",
    L"levelNamed",     L"addLevel",        L"clear",
    L"putLevelType",   L"addAttributeDef", L"findMembers",
    L"addRootMember",  L"putCaption",      L"putOrder",
    L"putParent",      L"setAttribute",    L"Count",
    L"callLog",        L"jsonLines",       L"callsWithoutWaitCursor"};

std::string narrow(std::wstring_view text) {
    return std::string(text.begin(), text.end());  // the calendar's names are ASCII
}

BSTR wide(std::string_view text) {
    return SysAllocString(std::wstring(text.begin(), text.end()).c_str());
}

// A call the recorder fails: the number and description its caller sees.
struct Refusal {
    std::int32_t number;
    std::string description;
};

template <typename Interface>
class Unknown : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        const bool known = IsEqualIID(riid, IID_IUnknown) ||
                           IsEqualIID(riid, __uuidof(Interface)) ||
                           IsEqualIID(riid, kRecorderObject);
        *object = known ? this : nullptr;
        if (known) {
            this->AddRef();
        }
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    virtual ~Unknown() = default;

  private:
    std::atomic<ULONG> references_{1};
};

class RecorderObject final : public Unknown<IDispatch> {
  public:
    RecorderObject(Model model, std::string name)
        : model_(std::move(model)), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* ids) override {
        *ids = DISPID_UNKNOWN;
        for (std::size_t n = 0; n < kNames.size(); ++n) {
            *ids = _wcsicmp(*names, kNames[n]) == 0 ? static_cast<DISPID>(n) : *ids;
        }
        return *ids == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT*) override;

  private:
    void run(const std::wstring& operation, VARIANT& result);

    template <typename Ref>
    Ref& as() {
        auto* model = std::get_if<Ref>(&model_);
        if (model == nullptr) {
            throw Refusal{438, "Object doesn't support this property or method"};
        }
        return *model;
    }
    // The arguments, from the first, converted to what the operation takes; each is shown in
    // the line written down.
    VARIANT argument(UINT position, VARTYPE type) {
        VARIANT value;
        VariantInit(&value);
        UINT error = 0;
        if (FAILED(DispGetParam(arguments_, position, type, &value, &error))) {
            throw Refusal{13, "Type mismatch"};
        }
        return value;
    }
    std::string text(UINT position) {
        VARIANT value = argument(position, VT_BSTR);
        const std::string result = narrow({value.bstrVal, SysStringLen(value.bstrVal)});
        VariantClear(&value);
        shown_.push_back(cube::jsonString(result));
        return result;
    }
    LONG number(UINT position) {
        const LONG result = argument(position, VT_I4).lVal;
        shown_.push_back(std::to_string(result));
        return result;
    }
    template <typename Ref>
    Ref object(UINT position) {
        VARIANT value = argument(position, VT_DISPATCH);
        RecorderObject* own = nullptr;
        if (value.pdispVal != nullptr && FAILED(value.pdispVal->QueryInterface(
                                             kRecorderObject, reinterpret_cast<void**>(&own)))) {
            VariantClear(&value);
            throw Refusal{5, "Not an object of the recorder"};
        }
        VariantClear(&value);
        shown_.push_back(own != nullptr ? own->name_ : "Nothing");
        Ref model = own != nullptr ? own->as<Ref>() : nullptr;
        if (own != nullptr) {
            own->Release();
        }
        return model;
    }
    template <typename Ref>
    static void answer(VARIANT& result, const Ref& model) {
        result.vt = VT_DISPATCH;
        result.pdispVal = model ? new RecorderObject(model, recording.names[model.get()]) : nullptr;
    }
    static void answer(VARIANT& result, const std::string& text) {
        result.vt = VT_BSTR;
        result.bstrVal = wide(text);
    }

    Model model_;
    std::string name_;
    DISPPARAMS* arguments_ = nullptr;
    std::vector<std::string> shown_;
};

HRESULT RecorderObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters,
                               VARIANT* result, EXCEPINFO* exception, UINT*) {
    if (id < 0 || static_cast<std::size_t>(id) >= kNames.size()) {
        return DISP_E_MEMBERNOTFOUND;
    }
    const std::wstring operation = kNames[static_cast<std::size_t>(id)];
    VARIANT ignored;
    VariantInit(&ignored);
    arguments_ = parameters;
    shown_.clear();
    Refusal refusal{0, {}};
    try {
        run(operation, result != nullptr ? *result : ignored);
    } catch (const Refusal& refused) {
        refusal = refused;
    } catch (const annalex::Failure& failure) {
        refusal = {failure.number(), failure.description()};
    }
    VariantClear(&ignored);
    if (refusal.number == 0) {
        return S_OK;
    }
    *exception = EXCEPINFO{};
    exception->scode = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, refusal.number);
    exception->bstrSource = SysAllocString(L"CubeRecorder");
    exception->bstrDescription = wide(refusal.description);
    return DISP_E_EXCEPTION;
}

void RecorderObject::run(const std::wstring& o, VARIANT& result) {
    using DimensionRef = std::shared_ptr<cube::MemoryDimension>;
    std::ostringstream json;
    if (o == L"hierarchyCount") {
        result.vt = VT_I2;
        result.iVal = as<DimensionRef>()->hierarchyCount();
    } else if (o == L"hierarchy") {
        answer(result, as<DimensionRef>()->hierarchy(static_cast<std::int16_t>(number(0))));
    } else if (o == L"addHierarchy") {
        as<DimensionRef>()->addHierarchy(object<cube::HierarchyRef>(0));
    } else if (o == L"putName" || o == L"getName") {
        std::visit(
            [&](auto& model) {
                if constexpr (requires { model->putName(""); }) {
                    o == L"putName" ? model->putName(text(0)) : answer(result, model->getName());
                }
            },
            model_);
    } else if (o == L"levelAt") {
        answer(result, as<cube::HierarchyRef>()->levelAt(number(0)));
    } else if (o == L"levelNamed") {
        answer(result, as<cube::HierarchyRef>()->levelNamed(text(0)));
    } else if (o == L"addLevel") {
        as<cube::HierarchyRef>()->addLevel(object<cube::LevelRef>(0));
    } else if (o == L"clear") {
        as<cube::HierarchyRef>()->clear();
    } else if (o == L"putLevelType") {
        as<cube::LevelRef>()->putLevelType(number(0));
    } else if (o == L"addAttributeDef") {
        as<cube::LevelRef>()->addAttributeDef(object<cube::AttributeDefRef>(0));
    } else if (o == L"findMembers") {
        result.vt = VT_DISPATCH;
        result.pdispVal =
            new RecorderObject(as<cube::LevelRef>()->findMembers(text(0)).Count(), "Members");
    } else if (o == L"addRootMember") {
        as<cube::LevelRef>()->addRootMember(object<cube::MemberRef>(0));
    } else if (o == L"putCaption") {
        as<cube::AttributeDefRef>()->putCaption(text(0));
    } else if (o == L"putOrder") {
        as<cube::MemberRef>()->putOrder(number(0));
    } else if (o == L"putParent") {
        as<cube::MemberRef>()->putParent(object<cube::MemberRef>(0));
    } else if (o == L"setAttribute") {
        const std::string key = text(0);
        as<cube::MemberRef>()->setAttribute(key, text(1));
    } else if (o == L"Count") {
        result.vt = VT_I4;
        result.lVal = as<LONG>();
    } else if (o == L"callLog" || o == L"jsonLines") {
        cube::writeDimension(*recording.dimension, cube::ExportFormat::JsonLines, json);
        answer(result, o == L"callLog" ? recording.lines : json.str());
        return;
    } else if (o == L"callsWithoutWaitCursor") {
        answer(result, std::to_string(recording.callsWithoutWaitCursor));
        return;
    }
    recording.callsWithoutWaitCursor += GetCursor() != LoadCursor(nullptr, IDC_WAIT) ? 1 : 0;
    std::string line = name_ + "." + narrow(o) + "(";
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        line += (i == 0 ? "" : ", ") + shown_[i];
    }
    recording.lines += line + ")\n";
}

// A model object the recording made, named by its kind and the number of objects made.
template <typename Ref>
RecorderObject* made(Ref model, std::size_t kind) {
    const std::string name = narrow(kKinds[kind]) + std::to_string(recording.names.size() + 1);
    recording.names[model.get()] = name;
    recording.lines += "new " + name + "\n";
    return new RecorderObject(std::move(model), name);
}

// A new object of a creatable class: a new recording for a dimension, else a new object of
// the recording.
RecorderObject* create(std::size_t kind) {
    auto& objects = recording.dimension->objects();
    switch (kind) {
        case 0:
            recording = Recording{};
            return new RecorderObject(recording.dimension, "Dimension");
        case 1:
            return made(objects.newHierarchy(), kind);
        case 2:
            return made(objects.newLevel(), kind);
        case 3:
            return made(objects.newAttributeDef(), kind);
        default:
            return made(objects.newMember(), kind);
    }
}

class Factory final : public Unknown<IClassFactory> {
  public:
    explicit Factory(std::size_t kind) : kind_(kind) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** object) override {
        RecorderObject* created = create(kind_);
        const HRESULT result = created->QueryInterface(riid, object);
        created->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  private:
    std::size_t kind_;
};

// The keys of a class, each before its subkey: CLSID\{clsid}, its InprocServer32, the ProgID,
// its CLSID.
std::array<std::wstring, 4> classKeys(std::size_t kind) {
    wchar_t clsid[40];
    StringFromGUID2(classId(kind), clsid, 40);
    const std::wstring progId = std::wstring(L"CubeRecorder.") + kKinds[kind];
    return {std::wstring(L"CLSID\\") + clsid,
            std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32", progId, progId + L"\\CLSID"};
}

bool setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    module = reason == DLL_PROCESS_ATTACH ? instance : module;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    *object = nullptr;
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        if (IsEqualCLSID(clsid, classId(kind))) {
            auto* factory = new Factory(kind);
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
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        const auto keys = classKeys(kind);
        if (!setValue(keys[1], nullptr, path) ||
            !setValue(keys[1], L"ThreadingModel", L"Apartment") ||
            !setValue(keys[3], nullptr, keys[0].substr(6))) {
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        const auto keys = classKeys(kind);
        for (const std::size_t key : {1, 0, 3, 2}) {
            RegDeleteKeyW(HKEY_CLASSES_ROOT, keys[key].c_str());
        }
    }
    return S_OK;
}
