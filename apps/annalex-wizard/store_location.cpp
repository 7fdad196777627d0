#include "store_location.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryFile>

#include "common/failure.hpp"

namespace annalex::wizard {

QString withStoreExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    return path + QStringLiteral(".cube");
}

QString storeLocationProblem(const QString& path) {
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString name = QDir::toNativeSeparators(path);
    if (file.isDir()) {
        return QStringLiteral("'%1' is a folder, not a cube store.").arg(name);
    }
    if (!QFileInfo(file.absolutePath()).isDir()) {
        return QStringLiteral("The folder '%1' does not exist.").arg(folder);
    }
    // A save writes a journal beside the store and may create the store: the folder must take
    // new files. Trying is the only answer that holds for every user and file system.
    QTemporaryFile probe(file.absolutePath() + QStringLiteral("/.annalex-probe-XXXXXX"));
    if (!probe.open()) {
        return QStringLiteral("The folder '%1' is read-only: a cube store cannot be saved there.")
            .arg(folder);
    }
    probe.close();
    probe.remove();
    if (file.exists()) {
        const QByteArray native = QFile::encodeName(path);
        const int descriptor = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        if (descriptor < 0) {
            return QStringLiteral("'%1' cannot be read and written.").arg(name);
        }
        ::close(descriptor);
    }
    return {};
}

QString QtStoreDialogs::askForStore(const QString& suggestion) {
    QFileDialog dialog(parent_, QStringLiteral("Open or create a cube store"), suggestion,
                       QStringLiteral("Cube stores (*.cube);;All files (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // A desktop's own dialog may keep its "Save" button whatever it is told.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Open or create"));
    dialog.setDefaultSuffix(QStringLiteral("cube"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void QtStoreDialogs::tell(const QString& message) {
    QMessageBox::warning(parent_, QStringLiteral("Annalex Calendar Wizard"), message);
}

bool QtStoreDialogs::ask(const QString& question) {
    return QMessageBox::question(parent_, QStringLiteral("Annalex Calendar Wizard"), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString askForUsableLocation(const QString& suggestion, StoreDialogs& dialogs) {
    for (QString path = suggestion;;) {
        path = withStoreExtension(dialogs.askForStore(path));
        if (path.isEmpty()) {
            return {};
        }
        const QString problem = storeLocationProblem(path);
        if (problem.isEmpty()) {
            return path;
        }
        dialogs.tell(problem);
    }
}

std::optional<OpenedStore> openStore(QString path, StoreDialogs& dialogs) {
    if (path.isEmpty()) {
        path = askForUsableLocation(QString(), dialogs);
        if (path.isEmpty()) {
            return std::nullopt;
        }
    }
    for (;;) {
        QString problem = storeLocationProblem(path);
        if (problem.isEmpty()) {
            try {
                return openCubeForWizard(path);
            } catch (const Failure& failure) {
                problem = QString::fromStdString(failure.description()) +
                          QStringLiteral("\nChoose another cube store.");
            }
        }
        dialogs.tell(problem);
        path = askForUsableLocation(path, dialogs);
        if (path.isEmpty()) {
            return std::nullopt;
        }
    }
}

}  // namespace annalex::wizard
