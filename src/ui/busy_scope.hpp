#pragma once
// A window's busy state for work that must not be disturbed (generating, saving, exporting):
// the wait cursor shows, and every mouse, key, wheel and touch event the application receives
// meanwhile is swallowed, including those a person made while the event loop was blocked (they
// wait in the window system's queue and would otherwise be replayed onto what shows next).
// Ending the scope delivers what is still queued, swallowing its input, then restores the
// cursor.

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace annalex::ui {

class BusyScope final : public QObject {
  public:
    BusyScope();
    ~BusyScope() override;
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

    // How many input events were swallowed so far.
    int swallowed() const { return swallowed_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int swallowed_ = 0;
};

// Runs work on a worker thread and returns when it has ended; rethrows what work threw. The
// event loop runs meanwhile, so the windows keep painting; after a short delay a modal progress
// box over parent shows label with a bar: a busy bar, or, when percentDone is given, the
// percentage it answers (asked on the window's thread a few times a second). Call inside a
// BusyScope; work must not touch widgets.
void runWithProgress(QWidget* parent, const QString& label, const std::function<void()>& work,
                     const std::function<int()>& percentDone = {});

}  // namespace annalex::ui
