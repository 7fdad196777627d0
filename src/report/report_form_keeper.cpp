#include "report/report_form_keeper.hpp"

namespace annalex::report {

ReportFormKeeper::ReportFormKeeper(ReportFormServices services, ViewFactory views)
    : services_(services), views_(std::move(views)) {}

ReportFormKeeper::~ReportFormKeeper() {
    // The view refers to the form.
    view_.reset();
    form_.reset();
}

frmErrorHand* ReportFormKeeper::form() const {
    return form_ && !form_->unloaded() ? form_.get() : nullptr;
}

void ReportFormKeeper::report(const errors::FailureReport& failure,
                              const std::function<void()>& closeContainer) {
    if (form() == nullptr) {
        view_.reset();
        form_ = std::make_unique<frmErrorHand>(services_);
        view_ = views_(*form_);
        ++formsCreated_;
    }
    form_->setFailure(failure);
    try {
        // The picture shows the screen as the failure found it: taken before the container
        // closes.
        if (!form_->loaded()) {
            form_->takeScreenPicture();
        }
        if (closeContainer) {
            closeContainer();
        }
        if (view_->visible()) {
            return;
        }
        if (!form_->loaded()) {
            form_->Form_Load();
        }
    } catch (...) {
        if (!form_->loaded()) {
            view_.reset();
            form_.reset();
        }
        throw;
    }
    try {
        view_->showModeless();
    } catch (...) {
        view_->showModal();
    }
}

}  // namespace annalex::report
