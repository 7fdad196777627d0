#pragma once
// The one application-wide error report form, as the procedure trap uses it.
//
// report() creates the form on first use (and again after the form was closed), sets its six
// failure fields, takes the screen picture while the failure is still on screen, closes the
// container that holds the failing control when asked to, then shows the form: loading it first
// when it is not loaded yet, then modeless; only when the view cannot show it modeless, modal,
// in which case report() returns when the person has closed it. A form already on screen is not
// shown a second time: a later failure only overwrites its fields.
//
// A failure while loading passes to the caller, and the form and its view are let go (the next
// report makes them anew): the caller tells the person and ends. A failure of the modeless
// showing falls back to showing modal, and a failure of that passes to the caller.

#include <functional>
#include <memory>

#include "errors/failure_reporter.hpp"
#include "report/error_report_form.hpp"

namespace annalex::report {

// How a face puts the form on screen.
class ReportFormView {
  public:
    virtual ~ReportFormView() = default;
    // Shows the form and returns at once; throws when it cannot be shown without blocking.
    virtual void showModeless() = 0;
    // Shows the form and returns when it has been closed.
    virtual void showModal() = 0;
    virtual bool visible() const = 0;
};

class ReportFormKeeper {
  public:
    // Makes the view for a new form; the view lives as long as the form.
    using ViewFactory = std::function<std::unique_ptr<ReportFormView>(frmErrorHand& form)>;

    ReportFormKeeper(ReportFormServices services, ViewFactory views);
    ~ReportFormKeeper();

    // closeContainer is empty when there is no container to close.
    void report(const errors::FailureReport& failure, const std::function<void()>& closeContainer);

    // The form while it is open (created and not unloaded); nullptr otherwise.
    frmErrorHand* form() const;
    // How many forms were created so far.
    int formsCreated() const { return formsCreated_; }

  private:
    ReportFormServices services_;
    ViewFactory views_;
    std::unique_ptr<frmErrorHand> form_;
    std::unique_ptr<ReportFormView> view_;
    int formsCreated_ = 0;
};

// The trap's reporter for one control: its container is closed through closeContainer.
class ReportFormReporter final : public errors::FailureReporter {
  public:
    ReportFormReporter(ReportFormKeeper& keeper, std::function<void()> closeContainer)
        : keeper_(keeper), closeContainer_(std::move(closeContainer)) {}

    void report(const errors::FailureReport& failure, errors::ContainerAction container) override {
        keeper_.report(failure, container == errors::ContainerAction::Close
                                    ? closeContainer_
                                    : std::function<void()>());
    }

  private:
    ReportFormKeeper& keeper_;
    std::function<void()> closeContainer_;
};

}  // namespace annalex::report
