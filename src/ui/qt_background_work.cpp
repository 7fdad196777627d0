#include "ui/qt_background_work.hpp"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace annalex::ui {

QtBackgroundWork::QtBackgroundWork() = default;

QtBackgroundWork::~QtBackgroundWork() {
    pool_.waitForDone();
}

void QtBackgroundWork::run(std::function<std::string()> work,
                           std::function<void(const std::string&)> done) {
    // The watcher belongs to the window: gone with it, it reports nothing.
    auto* watcher = new QFutureWatcher<std::string>(context_.data());
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, done = std::move(done)] {
                         watcher->deleteLater();
                         done(watcher->result());
                     });
    watcher->setFuture(QtConcurrent::run(&pool_, std::move(work)));
}

}  // namespace annalex::ui
