// annalex-wizard: opens a cube store, shows the calendar page for its time dimension and,
// after a generation, the generated dimension as a tree.
//
//   annalex-wizard [options] [store]
//
// Without a store path a file dialog asks for one (an existing store or a new name).
// --levels, --auto-ok-after-ms and --fail-generation script a run without a person, for
// screenshots.

#include <QApplication>
#include <QCommandLineParser>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "common/failure.hpp"
#include "cube_source.hpp"
#include "refusing_dimension.hpp"
#include "wizard_window.hpp"

namespace {

// Ticks the named entries of the level list ("Year,Month").
void tickLevels(annalex::ui::AnnalexCtrl& page, const QString& names) {
    auto& list = page.core().page().availableList;
    const QStringList wanted = names.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (std::size_t i = 0; i < list.entries().size(); ++i) {
        if (wanted.contains(QString::fromStdString(list.entries()[i]), Qt::CaseInsensitive)) {
            list.setSelected(static_cast<std::int32_t>(i), true);
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("annalex-wizard"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Generates the calendar of a cube's time dimension."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("store"),
                                 QStringLiteral("The cube store to open."));
    const QCommandLineOption levels(QStringLiteral("levels"),
                                    QStringLiteral("Tick these levels at start (e.g. Year,Month)."),
                                    QStringLiteral("names"));
    const QCommandLineOption autoOk(
        QStringLiteral("auto-ok-after-ms"),
        QStringLiteral("Press Ok after this many milliseconds and close the messages it shows "
                       "(for screenshots)."),
        QStringLiteral("ms"));
    const QCommandLineOption failGeneration(
        QStringLiteral("fail-generation"),
        QStringLiteral("Let the cube refuse every new member, so that Ok fails and the error "
                       "report shows (for screenshots)."));
    parser.addOption(levels);
    parser.addOption(autoOk);
    parser.addOption(failGeneration);
    parser.process(app);

    QString path = parser.positionalArguments().value(0);
    if (path.isEmpty()) {
        path = QFileDialog::getSaveFileName(nullptr, QStringLiteral("Open or create a cube store"),
                                            QString(),
                                            QStringLiteral("Cube stores (*.cube);;All files (*)"),
                                            nullptr, QFileDialog::DontConfirmOverwrite);
        if (path.isEmpty()) {
            return 0;
        }
    }

    std::shared_ptr<annalex::cube::MemoryCube> cube;
    try {
        cube = annalex::wizard::openCubeForWizard(path);
    } catch (const annalex::Failure& failure) {
        QMessageBox::critical(nullptr, QStringLiteral("annalex-wizard"),
                              QString::fromStdString(failure.description()));
        return 4;
    }
    annalex::wizard::WizardWindow window(cube, path);
    if (parser.isSet(failGeneration)) {
        window.page().setTheTimeDimension(
            std::make_shared<annalex::wizard::RefusingDimension>(window.timeDimension()));
    }
    if (parser.isSet(levels)) {
        tickLevels(window.page(), parser.value(levels));
    }
    if (parser.isSet(autoOk)) {
        bool valid = false;
        const int delay = parser.value(autoOk).toInt(&valid);
        if (!valid || delay < 0) {
            parser.showHelp(2);
        }
        QTimer::singleShot(delay, &window, [&window] {
            window.page().messageService().setShownHook(
                [](QMessageBox& box) { box.button(QMessageBox::Ok)->click(); });
            if (auto* ok = qobject_cast<QPushButton*>(window.page().controlWidget("btOk"))) {
                ok->click();
            }
        });
    }
    window.show();
    return QApplication::exec();
}
