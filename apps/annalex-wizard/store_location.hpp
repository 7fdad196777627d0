#pragma once
// Choosing the cube store: the checks a path passes before the page shows, and the dialogs
// that ask for another path until one can be used.

#include <QString>
#include <optional>

#include "cube_source.hpp"

class QWidget;

namespace annalex::wizard {

// The path with ".cube" added when its file name has no extension.
QString withStoreExtension(const QString& path);

// What keeps a store from being read and saved at path, as a sentence naming the file or
// folder at fault; empty when the location can be used. The folder is probed by creating and
// removing a file in it, so that a read-only file system or missing rights are found whoever
// runs the program.
QString storeLocationProblem(const QString& path);

// How the wizard asks a person for a store and tells them what is wrong.
class StoreDialogs {
  public:
    virtual ~StoreDialogs() = default;
    // A path chosen by the person, starting from suggestion; empty when they cancelled.
    virtual QString askForStore(const QString& suggestion) = 0;
    // Shows a message and returns when it has been read.
    virtual void tell(const QString& message) = 0;
    // Asks a yes-or-no question; true for yes.
    virtual bool ask(const QString& question) = 0;
};

// The file dialog "Open or create a cube store" (".cube" added to a name without extension)
// and warning boxes over parent.
class QtStoreDialogs final : public StoreDialogs {
  public:
    explicit QtStoreDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWidget(QWidget* parent) { parent_ = parent; }
    QString askForStore(const QString& suggestion) override;
    void tell(const QString& message) override;
    bool ask(const QString& question) override;

  private:
    QWidget* parent_;
};

// Opens the store at path, asking for one first when path is empty. A location that cannot be
// used, or a file that is not a store or is damaged, is told and the dialog asked again (the
// file is left as it is). None when the person cancelled the dialog.
std::optional<OpenedStore> openStore(QString path, StoreDialogs& dialogs);

// Asks for a store location that passes the checks, starting from suggestion; empty when the
// person cancelled. For a save that failed where it was.
QString askForUsableLocation(const QString& suggestion, StoreDialogs& dialogs);

}  // namespace annalex::wizard
