#pragma once
// Work away from the window's thread for the report form (asking the mail server), on a thread
// pool of its own; the result comes back to the window's thread through the event loop, and is
// dropped when the window it was for has gone. Going, the pool waits for work still running
// (a mail sign-on ends within its timeout).

#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include "report/report_services.hpp"

namespace annalex::ui {

class QtBackgroundWork final : public report::BackgroundWork {
  public:
    QtBackgroundWork();
    ~QtBackgroundWork() override;

    // The window the results are for: a result that arrives after it went is dropped.
    void setContext(QObject* context) { context_ = context; }

    void run(std::function<std::string()> work,
             std::function<void(const std::string&)> done) override;

  private:
    QPointer<QObject> context_;
    QThreadPool pool_;
};

}  // namespace annalex::ui
