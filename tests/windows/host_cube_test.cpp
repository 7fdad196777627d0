// The control filling a host's own cube: the tests' cube recorder (cube_recorder/), a separate
// automation-only library with ProgIDs of its own, stands for the host's cube library.

#include <gmock/gmock.h>

#include <map>
#include <memory>
#include <sstream>

#include "com_test_support.hpp"

namespace annalex::testing {
namespace {

class HostCubeTest : public RegisteredServer {
  protected:
    void SetUp() override {
        RegisteredServer::SetUp();
        recorder_ = std::make_unique<RegisteredRecorder>();
        ASSERT_TRUE(recorder_->ready());

        ASSERT_EQ(
            CoCreateInstance(CLSID_AnnalexCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&ctrl)),
            S_OK);
        hostDimension = recorder_->newDimension();
        ASSERT_TRUE(hostDimension);
        // The cube is the product's own, the dimension the host's: the dimension decides.
        ComPtr<IDispatch> cube;
        ASSERT_EQ(CoCreateInstance(CLSID_Cube, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&cube)),
                  S_OK);
        ASSERT_EQ(byName(ctrl.Get(), L"cubeLibrary", DISPATCH_PROPERTYPUT, L"CubeRecorder"), "");
        ASSERT_EQ(ctrl->putref_theCube(cube.Get()), S_OK);
        ASSERT_EQ(ctrl->putref_theTimeDimension(hostDimension.Get()), S_OK);
        // The README's sample calendar: Year and Month, month format MMM, the start-up dates.
        ASSERT_EQ(byName(ctrl.Get(), L"levels", DISPATCH_PROPERTYPUT, L"Year,Month"), "");
        ASSERT_EQ(ctrl->put_cmbMonth(1), S_OK);
    }
    void TearDown() override {
        hostDimension.Reset();
        ctrl.Reset();
        recorder_.reset();
        RegisteredServer::TearDown();
    }

    LONG messageCount() {
        LONG count = 0;
        EXPECT_EQ(ctrl->get_messageCount(&count), S_OK);
        return count;
    }

    std::unique_ptr<RegisteredRecorder> recorder_;
    ComPtr<IDispatch> hostDimension;
};

// Checks the recorder's lines against the order the cube model's contract fixes: the levels
// with their definitions before the first member; each member named, given its position and
// placed before its attributes are set and before the next member is made; members placed in
// depth-first order, which is the order of the member lines of the JSON Lines. Gives the
// first breach, or "" when there is none.
std::string contractBreach(const std::string& calls, const std::string& jsonLines) {
    enum State { Made, Named, Ordered, Placed };
    std::map<std::string, State> members;
    std::map<std::string, std::string> names;  // "Member3" -> "2001"
    std::string placedNames;
    std::istringstream lines(calls);
    for (std::string line; std::getline(lines, line);) {
        const auto dot = line.find('.');
        const std::string object = line.substr(0, dot);
        const std::string call = line.substr(dot + 1);
        const std::string argument =
            call.substr(call.find('(') + 1, call.size() - call.find('(') - 2);
        const auto expect = [&](const std::string& member, State state) {
            return members.count(member) != 0 && members[member] == state;
        };
        if (line.starts_with("new Member")) {
            for (const auto& [member, state] : members) {
                if (state != Placed) {
                    return line + ": " + member + " is not placed yet";
                }
            }
            members[line.substr(4)] = Made;
        } else if (!members.empty() && !object.starts_with("Member") &&
                   !call.starts_with("addRootMember") && !call.starts_with("findMembers") &&
                   !call.starts_with("levelNamed") && !call.starts_with("levelAt") &&
                   !call.starts_with("hierarchy(")) {
            return line + ": a level's change after the first member";
        } else if (call.starts_with("putName") && object.starts_with("Member")) {
            names[object] = argument;
            members[object] = expect(object, Made) ? Named : Made;
        } else if (call.starts_with("putOrder")) {
            members[object] = expect(object, Named) ? Ordered : Made;
        } else if (call.starts_with("addRootMember") || call.starts_with("putParent")) {
            const std::string member = call.starts_with("putParent") ? object : argument;
            if (!expect(member, Ordered) || (member == object && !expect(argument, Placed))) {
                return line + ": placed before it was named and ordered, or under no placed parent";
            }
            members[member] = Placed;
            placedNames += names[member] + "\n";
        } else if (call.starts_with("setAttribute") && !expect(object, Placed)) {
            return line + ": an attribute of a member not placed";
        }
    }
    std::string walked;
    std::istringstream json(jsonLines);
    for (std::string line; std::getline(json, line);) {
        const auto name = line.find(R"("name":)");
        if (line.starts_with(R"({"kind":"member")")) {
            walked += line.substr(name + 7, line.find(',', name) - name - 7) + "\n";
        }
    }
    return walked == placedNames ? "" : "members not placed depth-first:\n" + placedNames;
}

TEST_F(HostCubeTest, TheHostsLibraryReceivesTheSampleCalendarInTheContractsOrder) {
    const std::string linuxSample = fileText(programFolder() / "linux-sample.jsonl");
    ASSERT_FALSE(linuxSample.empty())
        << "linux-sample.jsonl is written by scripts/windows.sh from the Linux annalex generate";

    ASSERT_EQ(ctrl->clickOk(), S_OK);
    EXPECT_EQ(messageCount(), 1);  // "Info" alone: no unexpected failure
    EXPECT_EQ(byName(hostDimension.Get(), L"jsonLines"), linuxSample);
    const std::string calls = byName(hostDimension.Get(), L"callLog");
    EXPECT_EQ(contractBreach(calls, linuxSample), "") << calls;
    EXPECT_THAT(calls, ::testing::StartsWith("Dimension.hierarchyCount()\nnew Hierarchy1\n"
                                             "Hierarchy1.putName(\"Period\")\n"));

    // The objects the host handed over are handed back as they were given.
    ComPtr<IDispatch> held;
    ASSERT_EQ(ctrl->get_theTimeDimension(&held), S_OK);
    EXPECT_EQ(held.Get(), hostDimension.Get());
}

// The product's own classes are no objects of the recorder: the dimension refuses the new
// hierarchy, and the procedure that asked reports it.
TEST_F(HostCubeTest, AFailingCallOfTheHostsCubeGoesToTheProceduresTrap) {
    ASSERT_EQ(byName(ctrl.Get(), L"cubeLibrary", DISPATCH_PROPERTYPUT, L"Annalex"), "");
    ASSERT_EQ(ctrl->clickOk(), S_OK);
    ASSERT_EQ(messageCount(), 3);  // "Info", the report of addLevels, then of addYears
    BSTR report = nullptr;
    ASSERT_EQ(ctrl->get_messageText(1, &report), S_OK);
    EXPECT_STREQ(report,
                 L"Module         : AnnalexCtrl\nProcedure      : Private Sub addLevels()\n"
                 L"Number         : 5\nDescription    : Dimension.addHierarchy failed: Not an "
                 L"object of the recorder\nLast DLL Error : 0\nSource         : CubeRecorder\n");
    SysFreeString(report);
}

}  // namespace
}  // namespace annalex::testing
