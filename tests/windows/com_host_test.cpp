// A COM host for annalex.dll: registers it (through regsvr32 and through the entry point),
// creates the control by class identifier, drives the page without a window, receives its
// events, reads the generated calendar back through the cube objects and compares it with the
// same calendar generated on Linux, then releases everything and unregisters.

#include <gtest/gtest.h>
#include <objbase.h>
#include <olectl.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cube/dimension_export.hpp"
#include "cube/memory_model.hpp"
#include "platform/annalex_com.hpp"

namespace {

using EntryPoint = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

// The folder of this program, where the build puts annalex.dll and windows.sh the Linux sample.
std::filesystem::path programFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::filesystem::path(std::string(path, length)).parent_path();
}

std::string dllPath() {
    return (programFolder() / "annalex.dll").string();
}

// The default value (or the named value) of a key below HKEY_CLASSES_ROOT; nullopt-like
// "<absent>" when the key or value does not exist.
std::string classesValue(const std::string& key, const char* name = nullptr) {
    char data[1024];
    DWORD size = sizeof data;
    const LONG code =
        RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size);
    return code == ERROR_SUCCESS ? std::string(data) : "<absent>";
}

bool classesKeyExists(const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

constexpr const char* kCtrlKey = "CLSID\\{ca018ca7-540f-4e50-9b66-4660d6e21743}";
constexpr const char* kCubeKey = "CLSID\\{f4c6539c-9e8e-4fcf-8c83-34823e0c9c9b}";

void expectRegistered(const std::string& modulePath) {
    EXPECT_EQ(classesValue(kCtrlKey), "Annalex calendar step control");
    EXPECT_TRUE(std::filesystem::equivalent(
        classesValue(std::string(kCtrlKey) + "\\InprocServer32"), modulePath));
    EXPECT_EQ(classesValue(std::string(kCtrlKey) + "\\InprocServer32", "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(classesValue(std::string(kCtrlKey) + "\\ProgID"), "Annalex.AnnalexCtrl");
    EXPECT_EQ(classesValue("Annalex.AnnalexCtrl\\CLSID"), "{ca018ca7-540f-4e50-9b66-4660d6e21743}");
    EXPECT_EQ(classesValue(std::string(kCubeKey) + "\\ProgID"), "Annalex.Cube");
    CLSID fromProgId{};
    EXPECT_EQ(CLSIDFromProgID(L"Annalex.AnnalexCtrl", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, CLSID_AnnalexCtrl));
}

void expectNothingRegistered() {
    for (const char* key : {kCtrlKey, kCubeKey, "Annalex.AnnalexCtrl", "Annalex.Cube"}) {
        EXPECT_FALSE(classesKeyExists(key)) << key;
    }
}

DWORD runRegsvr32(const std::string& arguments) {
    std::string command = "regsvr32.exe " + arguments + " \"" + dllPath() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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

std::string text(BSTR value) {
    std::string result;
    for (UINT i = 0; i < SysStringLen(value); ++i) {
        result += static_cast<char>(value[i]);  // the calendar's texts are ASCII
    }
    SysFreeString(value);
    return result;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM objects are released, not deleted
// The host's event sink: records every event in order. Lives on the test's stack; the control
// holds references only while advised.
class RecordingSink final : public IAnnalexCtrlEvents {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IAnnalexCtrlEvents)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE wizardResult(VARIANT_BOOL result) override {
        results.push_back(result != VARIANT_FALSE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE stepDescription(BSTR, short) override {
        ++stepDescriptions;
        return S_OK;
    }

    ULONG references = 0;
    std::vector<bool> results;
    int stepDescriptions = 0;
};
#pragma GCC diagnostic pop

// Copies what the cube objects show of a dimension into a model of the core and writes it as
// JSON Lines, the form the command line prints.
std::string readBackAsJsonLines(IAnnalexDimension* dimension) {
    BSTR dimensionName = nullptr;
    EXPECT_EQ(dimension->get_Name(&dimensionName), S_OK);
    annalex::cube::MemoryCube copy;
    const auto target = copy.ensureDimension(text(dimensionName));
    auto& objects = target->objects();

    short hierarchies = 0;
    EXPECT_EQ(dimension->get_HierarchyCount(&hierarchies), S_OK);
    for (short h = 1; h <= hierarchies; ++h) {
        IAnnalexHierarchy* hierarchy = nullptr;
        EXPECT_EQ(dimension->Hierarchy(h, &hierarchy), S_OK);
        const auto newHierarchy = objects.newHierarchy();
        BSTR name = nullptr;
        EXPECT_EQ(hierarchy->get_Name(&name), S_OK);
        newHierarchy->putName(text(name));
        target->addHierarchy(newHierarchy);

        long levelCount = 0;
        EXPECT_EQ(hierarchy->get_LevelCount(&levelCount), S_OK);
        std::vector<annalex::cube::LevelRef> levels;
        for (long l = 1; l <= levelCount; ++l) {
            IAnnalexLevel* level = nullptr;
            EXPECT_EQ(hierarchy->Level(l, &level), S_OK);
            const auto newLevel = objects.newLevel();
            long type = 0;
            EXPECT_EQ(level->get_Name(&name), S_OK);
            newLevel->putName(text(name));
            EXPECT_EQ(level->get_LevelType(&type), S_OK);
            newLevel->putLevelType(type);
            long definitions = 0;
            EXPECT_EQ(level->get_AttributeDefCount(&definitions), S_OK);
            for (long d = 0; d < definitions; ++d) {
                BSTR key = nullptr;
                BSTR caption = nullptr;
                EXPECT_EQ(level->AttributeDef(d, &key, &caption), S_OK);
                const auto definition = objects.newAttributeDef();
                definition->putName(text(key));
                definition->putCaption(text(caption));
                newLevel->addAttributeDef(definition);
            }
            newHierarchy->addLevel(newLevel);
            levels.push_back(newLevel);
            level->Release();
        }

        long memberCount = 0;
        EXPECT_EQ(hierarchy->get_MemberCount(&memberCount), S_OK);
        std::vector<annalex::cube::MemberRef> members;
        for (long m = 0; m < memberCount; ++m) {
            IAnnalexMember* member = nullptr;
            EXPECT_EQ(hierarchy->Member(m, &member), S_OK);
            const auto newMember = objects.newMember();
            long order = 0;
            long position = 0;
            long parent = 0;
            long attributes = 0;
            EXPECT_EQ(member->get_Name(&name), S_OK);
            newMember->putName(text(name));
            EXPECT_EQ(member->get_Order(&order), S_OK);
            newMember->putOrder(order);
            EXPECT_EQ(member->get_LevelPosition(&position), S_OK);
            EXPECT_EQ(member->get_ParentIndex(&parent), S_OK);
            if (parent < 0) {
                levels.at(static_cast<std::size_t>(position - 1))->addRootMember(newMember);
            } else {
                newMember->putParent(members.at(static_cast<std::size_t>(parent)));
            }
            EXPECT_EQ(member->get_AttributeCount(&attributes), S_OK);
            for (long a = 0; a < attributes; ++a) {
                BSTR key = nullptr;
                BSTR value = nullptr;
                EXPECT_EQ(member->Attribute(a, &key, &value), S_OK);
                const auto keyText = text(key);
                newMember->setAttribute(keyText, text(value));
            }
            members.push_back(newMember);
            member->Release();
        }
        hierarchy->Release();
    }
    std::ostringstream out;
    annalex::cube::writeDimension(*target, annalex::cube::ExportFormat::JsonLines, out);
    return out.str();
}

class ServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = LoadLibraryA(dllPath().c_str());
        ASSERT_NE(module_, nullptr) << dllPath();
        registerServer_ = reinterpret_cast<EntryPoint>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
        unregisterServer_ = reinterpret_cast<EntryPoint>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
        canUnloadNow_ = reinterpret_cast<EntryPoint>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
        getClassObject_ = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        ASSERT_TRUE(registerServer_ && unregisterServer_ && canUnloadNow_ && getClassObject_);
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    }
    void TearDown() override {
        CoUninitialize();
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    HMODULE module_ = nullptr;
    EntryPoint registerServer_ = nullptr;
    EntryPoint unregisterServer_ = nullptr;
    EntryPoint canUnloadNow_ = nullptr;
    GetClassObject getClassObject_ = nullptr;
};

TEST_F(ServerTest, Regsvr32AndTheEntryPointRegisterAndUnregisterExactly) {
    expectNothingRegistered();
    ASSERT_EQ(runRegsvr32("/s"), 0u);
    expectRegistered(dllPath());
    ASSERT_EQ(runRegsvr32("/u /s"), 0u);
    expectNothingRegistered();

    ASSERT_EQ(registerServer_(), S_OK);
    expectRegistered(dllPath());
    // A key another program added below the class stays, and unregistration says so.
    HKEY foreign = nullptr;
    ASSERT_EQ(
        RegCreateKeyA(HKEY_CLASSES_ROOT, (std::string(kCtrlKey) + "\\Other").c_str(), &foreign),
        ERROR_SUCCESS);
    RegCloseKey(foreign);
    EXPECT_EQ(unregisterServer_(), SELFREG_E_CLASS);
    EXPECT_TRUE(classesKeyExists(std::string(kCtrlKey) + "\\Other"));
    EXPECT_FALSE(classesKeyExists(std::string(kCtrlKey) + "\\InprocServer32"));
    ASSERT_EQ(RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kCtrlKey) + "\\Other").c_str()),
              ERROR_SUCCESS);
    EXPECT_EQ(unregisterServer_(), S_OK);
    EXPECT_EQ(unregisterServer_(), S_OK);  // nothing left to remove
    expectNothingRegistered();
}

TEST_F(ServerTest, ClassObjectsOnlyForTheServersClasses) {
    IClassFactory* factory = nullptr;
    const CLSID other = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    EXPECT_EQ(getClassObject_(other, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    EXPECT_EQ(canUnloadNow_(), S_OK);

    ASSERT_EQ(
        getClassObject_(CLSID_AnnalexCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);  // the factory is alive
    IUnknown* outer = factory;
    IUnknown* object = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IAnnalexCube, reinterpret_cast<void**>(&object)),
              E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), S_FALSE);  // the lock holds the server
    ASSERT_EQ(
        getClassObject_(CLSID_AnnalexCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
        S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(ServerTest, HostGeneratesTheSampleCalendarAndReadsItBack) {
    const auto sampleFile = programFolder() / "linux-sample.jsonl";
    ASSERT_TRUE(std::filesystem::exists(sampleFile))
        << sampleFile << " is written by scripts/windows.sh from the Linux annalex generate";
    std::ifstream sampleIn(sampleFile, std::ios::binary);
    const std::string linuxSample{std::istreambuf_iterator<char>(sampleIn),
                                  std::istreambuf_iterator<char>()};

    ASSERT_EQ(registerServer_(), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_OK);
    IAnnalexCtrl* ctrl = nullptr;
    IAnnalexCube* cube = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IAnnalexCtrl,
                               reinterpret_cast<void**>(&ctrl)),
              S_OK);
    ASSERT_EQ(CoCreateInstance(CLSID_AnnalexCube, nullptr, CLSCTX_INPROC_SERVER, IID_IAnnalexCube,
                               reinterpret_cast<void**>(&cube)),
              S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);

    // The properties start empty and hand back the objects they were given.
    IAnnalexCube* heldCube = cube;
    IAnnalexDimension* heldDimension = nullptr;
    EXPECT_EQ(ctrl->get_theCube(&heldCube), S_OK);
    EXPECT_EQ(heldCube, nullptr);
    EXPECT_EQ(ctrl->get_theTimeDimension(&heldDimension), S_OK);
    EXPECT_EQ(heldDimension, nullptr);
    IAnnalexDimension* dimension = nullptr;
    BSTR timeName = SysAllocString(L"Time");
    ASSERT_EQ(cube->EnsureDimension(timeName, &dimension), S_OK);
    SysFreeString(timeName);
    ASSERT_EQ(ctrl->putref_theCube(cube), S_OK);
    ASSERT_EQ(ctrl->putref_theTimeDimension(dimension), S_OK);
    EXPECT_EQ(ctrl->get_theCube(&heldCube), S_OK);
    EXPECT_EQ(heldCube, cube);
    heldCube->Release();
    EXPECT_EQ(ctrl->get_theTimeDimension(&heldDimension), S_OK);
    EXPECT_EQ(heldDimension, dimension);
    heldDimension->Release();

    RecordingSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(ctrl->Advise(&sink, &cookie), S_OK);

    // OK with no level ticked: the page's message, no event.
    ASSERT_EQ(ctrl->ClickOk(), S_OK);
    long messages = 0;
    ASSERT_EQ(ctrl->get_MessageCount(&messages), S_OK);
    ASSERT_EQ(messages, 1);
    BSTR title = nullptr;
    BSTR body = nullptr;
    ASSERT_EQ(ctrl->Message(0, &title, &body), S_OK);
    EXPECT_EQ(text(title), "Error");
    EXPECT_EQ(text(body), "Please select at least one level");
    EXPECT_TRUE(sink.results.empty());

    // The README's sample calendar: Year and Month, month format MMM, the start-up dates.
    BSTR box = nullptr;
    ASSERT_EQ(ctrl->get_DateBox(AnnalexDateBox::txtEndDay, &box), S_OK);
    EXPECT_EQ(text(box), "31");
    ASSERT_EQ(ctrl->put_FormatIndex(AnnalexFormatList::cmbMonth, 1), S_OK);
    EXPECT_EQ(ctrl->put_FormatIndex(AnnalexFormatList::cmbMonth, 3), E_INVALIDARG);
    ASSERT_EQ(ctrl->put_LevelTicked(0, VARIANT_TRUE), S_OK);
    ASSERT_EQ(ctrl->put_LevelTicked(2, VARIANT_TRUE), S_OK);
    EXPECT_EQ(ctrl->put_LevelTicked(5, VARIANT_TRUE), E_INVALIDARG);
    ASSERT_EQ(ctrl->ClickOk(), S_OK);
    EXPECT_EQ(sink.results, std::vector<bool>{true});
    ASSERT_EQ(ctrl->get_MessageCount(&messages), S_OK);
    ASSERT_EQ(messages, 2);
    ASSERT_EQ(ctrl->Message(1, &title, &body), S_OK);
    EXPECT_EQ(text(title), "Info");
    EXPECT_EQ(text(body),
              "The generation of the selected calendar may take a few minutes. Please wait.");

    EXPECT_EQ(readBackAsJsonLines(dimension), linuxSample);

    // Cancel reports false and leaves the dimension as it was.
    ASSERT_EQ(ctrl->ClickCancel(), S_OK);
    EXPECT_EQ(sink.results, (std::vector<bool>{true, false}));
    EXPECT_EQ(readBackAsJsonLines(dimension), linuxSample);
    EXPECT_EQ(sink.stepDescriptions, 0);

    ASSERT_EQ(ctrl->Unadvise(cookie), S_OK);
    EXPECT_EQ(ctrl->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(sink.references, 0u);
    dimension->Release();
    cube->Release();
    EXPECT_EQ(canUnloadNow_(), S_FALSE);  // the control still holds the cube and dimension
    ctrl->Release();
    EXPECT_EQ(canUnloadNow_(), S_OK);

    ASSERT_EQ(unregisterServer_(), S_OK);
    expectNothingRegistered();
    IUnknown* none = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&none)),
              REGDB_E_CLASSNOTREG);
}

}  // namespace
