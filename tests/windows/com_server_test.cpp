// annalex.dll as an in-process server: registration, class objects, and automation answered
// from the embedded type library (what failing calls say: scripts/failures.vbs).

#include <olectl.h>

#include <array>

#include "com_test_support.hpp"

namespace annalex::testing {
namespace {

// Each class, its name and its default interface.
struct ServerClass {
    const CLSID* clsid;
    std::wstring name;
    const IID* iid;
};
const std::array<ServerClass, 6> kClasses{{
    {&CLSID_AnnalexCtrl, L"AnnalexCtrl", &IID_IAnnalexCtrl},
    {&CLSID_Cube, L"Cube", &IID_IAnnalexCube},
    {&CLSID_Hierarchy, L"Hierarchy", &IID_IAnnalexHierarchy},
    {&CLSID_Level, L"Level", &IID_IAnnalexLevel},
    {&CLSID_AttributeDef, L"AttributeDef", &IID_IAnnalexAttributeDef},
    {&CLSID_Member, L"Member", &IID_IAnnalexMember},
}};
const std::array<const IID*, 9> kInterfaces{
    &IID_IAnnalexCtrl,         &DIID_AnnalexCtrlEvents, &IID_IAnnalexCube,
    &IID_IAnnalexDimension,    &IID_IAnnalexHierarchy,  &IID_IAnnalexLevel,
    &IID_IAnnalexAttributeDef, &IID_IAnnalexMember,     &IID_IAnnalexMembers};

// Everything registration writes, with the DLL at path.
void expectRegistered(const std::filesystem::path& dll) {
    const std::wstring library = guidText(LIBID_Annalex);
    for (const auto& [clsid, name, iid] : kClasses) {
        const std::wstring key = L"CLSID\\" + guidText(*clsid);
        const std::wstring progId = L"Annalex." + name;
        EXPECT_EQ(classesValue(key + L"\\InprocServer32"), dll.wstring()) << progId;
        EXPECT_EQ(classesValue(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(classesValue(key + L"\\ProgID"), progId + L".1");
        EXPECT_EQ(classesValue(key + L"\\VersionIndependentProgID"), progId);
        EXPECT_EQ(classesValue(key + L"\\TypeLib"), library);
        EXPECT_EQ(classesValue(key + L"\\Version"), L"1.0");
        EXPECT_TRUE(classesKeyExists(key + L"\\Programmable"));
        EXPECT_EQ(classesValue(progId + L"\\CurVer"), progId + L".1");
        EXPECT_EQ(classesValue(progId + L".1\\CLSID"), guidText(*clsid));
    }
    // The control, as containers look for controls; the cube's classes are none.
    const std::wstring ctrlKey = L"CLSID\\" + guidText(CLSID_AnnalexCtrl);
    EXPECT_TRUE(classesKeyExists(ctrlKey + L"\\Control"));
    EXPECT_EQ(classesValue(ctrlKey + L"\\MiscStatus\\1"), L"131473");  // GetMiscStatus's
    EXPECT_TRUE(classesKeyExists(
        ctrlKey + L"\\Implemented Categories\\{40FC6ED4-2438-11CF-A3DB-080036F12502}"));
    EXPECT_FALSE(classesKeyExists(L"CLSID\\" + guidText(CLSID_Cube) + L"\\Control"));
    EXPECT_EQ(classesValue(L"TypeLib\\" + library + L"\\1.0\\0\\win64"), dll.wstring());
    // Every interface goes through the type library's marshaler.
    EXPECT_EQ(classesValue(L"Interface\\" + guidText(IID_IAnnalexCtrl) + L"\\ProxyStubClsid32"),
              L"{00020424-0000-0000-C000-000000000046}");
}

void expectNothingRegistered() {
    for (const auto& [clsid, name, iid] : kClasses) {
        EXPECT_FALSE(classesKeyExists(L"CLSID\\" + guidText(*clsid))) << name;
        EXPECT_FALSE(classesKeyExists(L"Annalex." + name)) << name;
        EXPECT_FALSE(classesKeyExists(L"Annalex." + name + L".1")) << name;
    }
    for (const IID* iid : kInterfaces) {
        EXPECT_FALSE(classesKeyExists(L"Interface\\" + guidText(*iid))) << guidText(*iid).c_str();
    }
    EXPECT_FALSE(classesKeyExists(L"TypeLib\\" + guidText(LIBID_Annalex)));
}

// A folder of its own below the temporary folder, with a name outside the ANSI code page.
class WideFolder {
  public:
    WideFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::filesystem::path(temp) /
                (L"annalex-\u03a9dir-" + std::to_wstring(GetCurrentProcessId()));
        std::filesystem::create_directories(path_);
    }
    ~WideFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

TEST(ComServerTest, Regsvr32RegistersAWidePathAndRemovesEverythingItWrote) {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    WideFolder folder;
    const auto dll = folder.path() / "annalex.dll";
    std::filesystem::copy_file(programFolder() / "annalex.dll", dll);
    expectNothingRegistered();

    ASSERT_EQ(runRegsvr32(L"/s", dll), 0u);
    expectRegistered(dll);
    ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(LIBID_Annalex, 1, 0, 0, &library), S_OK);
    library.Reset();
    ASSERT_EQ(runRegsvr32(L"/u /s", dll), 0u);
    expectNothingRegistered();

    // A key another program added below a class stays, and unregistration says so.
    HMODULE module = LoadLibraryW(dll.c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(exported(module, "DllRegisterServer")(), S_OK);
    const std::wstring foreign = L"CLSID\\" + guidText(CLSID_Cube) + L"\\Other";
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CLASSES_ROOT, foreign.c_str(), &created), ERROR_SUCCESS);
    RegCloseKey(created);
    EXPECT_EQ(exported(module, "DllUnregisterServer")(), SELFREG_E_CLASS);
    EXPECT_TRUE(classesKeyExists(foreign));
    ASSERT_EQ(RegDeleteKeyW(HKEY_CLASSES_ROOT, foreign.c_str()), ERROR_SUCCESS);
    EXPECT_EQ(exported(module, "DllUnregisterServer")(), S_OK);
    EXPECT_EQ(exported(module, "DllUnregisterServer")(), S_OK);  // nothing left to remove
    expectNothingRegistered();
    FreeLibrary(module);
    CoUninitialize();
}

using ServerTest = RegisteredServer;

TEST_F(ServerTest, ClassObjectsOnlyForTheServersClassesAndTheServerHeldWhileUsed) {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = exported<GetClassObject>(module_, "DllGetClassObject");
    const auto canUnloadNow = exported(module_, "DllCanUnloadNow");
    ComPtr<IClassFactory> factory;
    const CLSID other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(getClassObject(other, IID_PPV_ARGS(&factory)), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(canUnloadNow(), S_OK);

    ASSERT_EQ(getClassObject(CLSID_AnnalexCtrl, IID_PPV_ARGS(&factory)), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // the factory is alive
    ComPtr<IUnknown> object;
    EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_PPV_ARGS(&object)), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IAnnalexCube, &object), E_NOINTERFACE);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow(), S_FALSE);  // the lock holds the server
    ASSERT_EQ(getClassObject(CLSID_AnnalexCtrl, IID_PPV_ARGS(&factory)), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow(), S_OK);
}

// Each class: IDispatch's type information is its default interface, which reports failures
// with error objects; the class tells its coclass and, for the control, its events.
TEST_F(ServerTest, EveryClassAnswersAutomationFromTheTypeLibrary) {
    for (const auto& [clsid, name, iid] : kClasses) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        ComPtr<IDispatch> object;
        ComPtr<ITypeInfo> served;
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)),
                  S_OK);
        ASSERT_EQ(object->GetTypeInfo(0, 0, &served), S_OK);
        ASSERT_EQ(served->GetTypeAttr(&attributes), S_OK);
        EXPECT_TRUE(IsEqualIID(attributes->guid, *iid));
        served->ReleaseTypeAttr(attributes);

        ComPtr<ISupportErrorInfo> errors;
        ASSERT_EQ(object.As(&errors), S_OK);
        EXPECT_EQ(errors->InterfaceSupportsErrorInfo(*iid), S_OK);
        ComPtr<IProvideClassInfo2> classInfo;
        ComPtr<ITypeInfo> coclass;
        ASSERT_EQ(object.As(&classInfo), S_OK);
        EXPECT_EQ(classInfo->GetClassInfo(&coclass), S_OK);
        GUID events{};
        EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events),
                  *clsid == CLSID_AnnalexCtrl ? S_OK : E_INVALIDARG);
    }
}

}  // namespace
}  // namespace annalex::testing
