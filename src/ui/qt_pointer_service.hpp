#pragma once
// The screen's mouse pointer as Qt's application-wide override cursor: the hourglass is the
// wait cursor, set once and restored once, so a generation that is asked for the hourglass
// twice still leaves the cursor stack as it found it. When the hourglass is set the windows are
// repainted and pending window-system events other than input are handled, so that the screen
// is current before the work that follows blocks the event loop.

#include <functional>

#include "common/pointer_service.hpp"

namespace annalex::ui {

class QtPointerService final : public PointerService {
  public:
    // Called after each change has been applied, with the pointer asked for.
    using ChangeHook = std::function<void(MousePointer pointer)>;

    QtPointerService() = default;
    QtPointerService(const QtPointerService&) = delete;
    QtPointerService& operator=(const QtPointerService&) = delete;
    ~QtPointerService() override;

    void setPointer(MousePointer pointer) override;
    void setChangeHook(ChangeHook hook) { hook_ = std::move(hook); }

  private:
    static void showNow();

    bool waiting_ = false;
    ChangeHook hook_;
};

}  // namespace annalex::ui
