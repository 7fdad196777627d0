#pragma once
// The wizard's dialogs answered from a script: the paths the file dialog returns in turn (an
// empty one, or none left, is a cancel) and the replies to questions (none left is "no"), with
// what was told and asked recorded.

#include <QStringList>

#include "store_location.hpp"

namespace annalex::testing {

class ScriptedDialogs final : public wizard::StoreDialogs {
  public:
    QStringList paths;
    QList<bool> replies;
    QStringList told;
    QStringList asked;
    QStringList suggestions;

    QString askForStore(const QString& suggestion) override {
        suggestions << suggestion;
        return paths.isEmpty() ? QString() : paths.takeFirst();
    }
    void tell(const QString& message) override { told << message; }
    bool ask(const QString& question) override {
        asked << question;
        return !replies.isEmpty() && replies.takeFirst();
    }
};

}  // namespace annalex::testing
