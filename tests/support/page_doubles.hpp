#pragma once
// Recording stand-ins for the page's services, and a fixture-friendly bundle that creates a
// control with them: what a person would see (messages, pointer, reports) is kept in order.

#include <memory>
#include <string>
#include <vector>

#include "control/annalex_ctrl.hpp"
#include "cube/memory_model.hpp"
#include "errors/recording_reporter.hpp"

namespace annalex::testing {

class RecordingMessages final : public MessageService {
  public:
    void show(const MessageBoxRequest& request) override { shown.push_back(request); }
    // The texts shown, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const auto& request : shown) {
            result.push_back(request.text);
        }
        return result;
    }
    std::vector<MessageBoxRequest> shown;
};

class RecordingPointer final : public PointerService {
  public:
    void setPointer(MousePointer pointer) override { changes.push_back(pointer); }
    std::vector<MousePointer> changes;
};

// A control with recording services, a cube with a "Time" dimension handed to it, and the
// wizardResult events it raised.
struct ControlHarness {
    ControlHarness() : ctrl(messages, pointer, reporter) {
        cube = std::make_shared<cube::MemoryCube>();
        dimension = cube->ensureDimension("Time");
        ctrl.setTheCube(cube);
        ctrl.setTheTimeDimension(dimension);
        ctrl.addWizardResultListener([this](bool result) { results.push_back(result); });
    }

    // Types a date into the three boxes of the start (or end) date.
    void typeStart(const std::string& day, const std::string& month, const std::string& year) {
        ctrl.page().txtStartDay.setText(day);
        ctrl.page().txtStartMonth.setText(month);
        ctrl.page().txtStartYear.setText(year);
    }
    void typeEnd(const std::string& day, const std::string& month, const std::string& year) {
        ctrl.page().txtEndDay.setText(day);
        ctrl.page().txtEndMonth.setText(month);
        ctrl.page().txtEndYear.setText(year);
    }
    // Ticks the levels given by a mask (1 Year, 2 Quarter, 4 Month, 8 Week, 16 Day).
    void tick(int mask) {
        for (int i = 0; i < 5; ++i) {
            ctrl.page().availableList.setSelected(i, (mask & (1 << i)) != 0);
        }
    }
    void pressOk() { ctrl.page().btOk.click(); }

    // The first hierarchy of the time dimension, as the in-memory type.
    std::shared_ptr<cube::MemoryHierarchy> hierarchy() const {
        return dimension->hierarchies().empty() ? nullptr : dimension->hierarchies().front();
    }

    RecordingMessages messages;
    RecordingPointer pointer;
    errors::RecordingReporter reporter;
    control::AnnalexCtrl ctrl;
    std::shared_ptr<cube::MemoryCube> cube;
    std::shared_ptr<cube::MemoryDimension> dimension;
    std::vector<bool> results;
};

}  // namespace annalex::testing
