// The control filling a host's own cube: the tests' cube recorder (cube_recorder/), a separate
// automation-only library with ProgIDs of its own, stands for the host's cube library.

#include <gmock/gmock.h>

#include "com_test_support.hpp"
#include "recording_model.hpp"
#include "support/page_doubles.hpp"

namespace annalex::testing {
namespace {

class HostCubeTest : public RegisteredServer {
  protected:
    void SetUp() override {
        RegisteredServer::SetUp();
        recorder_ = LoadLibraryW((programFolder() / "cube_recorder.dll").c_str());
        ASSERT_NE(recorder_, nullptr);
        ASSERT_EQ(recorderEntry("DllRegisterServer")(), S_OK);

        ASSERT_EQ(
            CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&ctrl)),
            S_OK);
        CLSID recorderDimension{};
        ASSERT_EQ(CLSIDFromProgID(L"CubeRecorder.Dimension", &recorderDimension), S_OK);
        ASSERT_EQ(CoCreateInstance(recorderDimension, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_PPV_ARGS(&hostDimension)),
                  S_OK);
        // The cube is the product's own, the dimension the host's: the dimension decides.
        ComPtr<IDispatch> cube;
        ASSERT_EQ(CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
                  S_OK);
        BSTR library = SysAllocString(L"CubeRecorder");
        ASSERT_EQ(ctrl->put_cubeLibrary(library), S_OK);
        SysFreeString(library);
        ASSERT_EQ(ctrl->putref_theCube(cube.Get()), S_OK);
        ASSERT_EQ(ctrl->putref_theTimeDimension(hostDimension.Get()), S_OK);

        // The README's sample calendar: Year and Month, month format MMM, the start-up dates.
        BSTR levels = SysAllocString(L"Year,Month");
        ASSERT_EQ(ctrl->put_levels(levels), S_OK);
        SysFreeString(levels);
        ASSERT_EQ(ctrl->put_cmbMonth(1), S_OK);
    }
    void TearDown() override {
        hostDimension.Reset();
        ctrl.Reset();
        if (recorder_ != nullptr) {
            EXPECT_EQ(recorderEntry("DllUnregisterServer")(), S_OK);
        }
        RegisteredServer::TearDown();
    }

    EntryPoint recorderEntry(const char* name) const {
        return reinterpret_cast<EntryPoint>(
            reinterpret_cast<void*>(GetProcAddress(recorder_, name)));
    }

    std::vector<std::string> messages() {
        std::vector<std::string> texts;
        LONG count = 0;
        EXPECT_EQ(ctrl->get_messageCount(&count), S_OK);
        for (LONG i = 0; i < count; ++i) {
            BSTR title = nullptr;
            EXPECT_EQ(ctrl->get_messageTitle(i, &title), S_OK);
            texts.emplace_back(title, title + SysStringLen(title));
            SysFreeString(title);
        }
        return texts;
    }

    HMODULE recorder_ = nullptr;
    ComPtr<IDispatch> hostDimension;
};

// The calls the control makes on a cube model, in order, for the sample calendar.
std::string callsOfTheSampleCalendar() {
    Recording recording;
    ControlHarness harness;
    harness.ctrl.setTheTimeDimension(recording.dimension());
    harness.tick(1 | 4);
    harness.ctrl.page().cmbMonth.select(1);
    harness.pressOk();
    std::string lines;
    for (const auto& line : recording.lines()) {
        lines += line + "\n";
    }
    return lines;
}

TEST_F(HostCubeTest, TheHostsLibraryReceivesTheSampleCalendarInTheContractsOrder) {
    const std::string linuxSample = fileText(programFolder() / "linux-sample.jsonl");
    ASSERT_FALSE(linuxSample.empty())
        << "linux-sample.jsonl is written by scripts/windows.sh from the Linux annalex generate";

    ASSERT_EQ(ctrl->clickOk(), S_OK);
    EXPECT_EQ(messages(), std::vector<std::string>{"Info"});  // no unexpected failure
    EXPECT_EQ(textByName(hostDimension.Get(), L"jsonLines"), linuxSample);
    const std::string calls = textByName(hostDimension.Get(), L"callLog");
    EXPECT_EQ(calls, callsOfTheSampleCalendar());
    // Levels first, then each member named, ordered and placed before its attributes.
    EXPECT_THAT(calls, ::testing::StartsWith("Dimension.hierarchyCount() -> 0\nnew Hierarchy1\n"
                                             "Hierarchy1.putName(\"Period\")\n"));
    EXPECT_THAT(calls, ::testing::HasSubstr("Member1.putName(\"2001\")\nMember1.putOrder(0)\n"
                                            "Level1.addRootMember(Member1)\n"
                                            "Member1.setAttribute(\"YearLeapYear\", \"No\")\n"));

    // The objects the host handed over are handed back as they were given.
    ComPtr<IDispatch> held;
    ASSERT_EQ(ctrl->get_theTimeDimension(&held), S_OK);
    EXPECT_EQ(held.Get(), hostDimension.Get());
}

TEST_F(HostCubeTest, AFailingCallOfTheHostsCubeGoesToTheProceduresTrap) {
    VARIANT operation = bstrArgument(L"setAttribute");
    ASSERT_EQ(
        callByName(hostDimension.Get(), L"failOn", {operation}, nullptr, DISPATCH_PROPERTYPUT),
        S_OK);
    VariantClear(&operation);

    ASSERT_EQ(ctrl->clickOk(), S_OK);
    ASSERT_EQ(messages(), (std::vector<std::string>{"Info", "Unexpected failure"}));
    BSTR report = nullptr;
    ASSERT_EQ(ctrl->get_messageText(1, &report), S_OK);
    const std::wstring text(report, SysStringLen(report));
    SysFreeString(report);
    EXPECT_THAT(text, ::testing::HasSubstr(L"Procedure      : Private Sub addYears()"));
    EXPECT_THAT(text, ::testing::HasSubstr(L"Number         : 1001"));
    EXPECT_THAT(text, ::testing::HasSubstr(L"Description    : CubeRecorder.Member.setAttribute "
                                           L"failed: The recorder refuses setAttribute"));
    EXPECT_THAT(text, ::testing::HasSubstr(L"Source         : CubeRecorder"));
}

TEST_F(HostCubeTest, ALibraryWithoutTheClassesIsAFailureNamingTheProgId) {
    BSTR library = SysAllocString(L"NoSuchLibrary");
    ASSERT_EQ(ctrl->put_cubeLibrary(library), S_OK);
    SysFreeString(library);
    ASSERT_EQ(ctrl->clickOk(), S_OK);
    BSTR report = nullptr;
    ASSERT_EQ(ctrl->get_messageText(1, &report), S_OK);
    const std::wstring text(report, SysStringLen(report));
    SysFreeString(report);
    EXPECT_THAT(text,
                ::testing::HasSubstr(L"The cube library has no class NoSuchLibrary.Hierarchy"));
}

}  // namespace
}  // namespace annalex::testing
