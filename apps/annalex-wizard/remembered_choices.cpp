#include "remembered_choices.hpp"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QStringList>
#include <string>
#include <variant>

#include "settings/registry.hpp"

namespace annalex::wizard {
namespace {

constexpr const char* kStoreValue = "Store";
constexpr const char* kMembersValue = "Members";

std::optional<QString> readText(const std::string& key, const char* name) {
    settings::SettingValue value;
    const std::int32_t status = settings::fReadValue("HKCU", key, name, "S", std::string(), value);
    const auto* text = std::get_if<std::string>(&value);
    if (status != 0 || text == nullptr) {
        return std::nullopt;
    }
    return QString::fromStdString(*text);
}

PageChoices readChoices(const std::string& key) {
    PageChoices choices;
    for (const ChoiceName& name : choiceNames()) {
        if (const auto text = readText(key, name.setting)) {
            // A value the user edited into something invalid is simply not offered.
            choices.set(name.choice, *text);
        }
    }
    return choices;
}

bool writeChoices(const std::string& key, const PageChoices& choices) {
    bool written = true;
    for (const ChoiceName& name : choiceNames()) {
        if (const auto text = choices.text(name.choice)) {
            written =
                settings::fWriteValue("HKCU", key, name.setting, "S", text->toStdString()) == 0 &&
                written;
        }
    }
    return written;
}

// The store's path as every spelling of it resolves.
QString canonicalStorePath(const QString& storePath) {
    const QFileInfo file(storePath);
    const QString canonical = file.canonicalFilePath();
    return canonical.isEmpty() ? file.absoluteFilePath() : canonical;
}

std::string storeKey(const QString& canonicalPath) {
    const QByteArray digest =
        QCryptographicHash::hash(canonicalPath.toUtf8(), QCryptographicHash::Sha1).toHex();
    return std::string(kRememberedChoicesKey) + "\\Stores\\" + digest.left(16).toStdString();
}

// The hierarchy that holds the calendar; nullptr when the dimension holds none.
const cube::MemoryHierarchy* calendarOf(const cube::MemoryDimension& dimension) {
    for (const auto& hierarchy : dimension.hierarchies()) {
        if (hierarchy->memberCount() > 0) {
            return hierarchy.get();
        }
    }
    return nullptr;
}

QString levelsOf(const cube::MemoryHierarchy& hierarchy) {
    QStringList names;
    for (std::size_t level = 0; level < hierarchy.levelCount(); ++level) {
        names << QString::fromStdString(hierarchy.level(level).name());
    }
    return names.join(QLatin1Char(','));
}

}  // namespace

PageChoices rememberedChoices() {
    return readChoices(kRememberedChoicesKey);
}

bool rememberChoices(const PageChoices& choices) {
    return writeChoices(kRememberedChoicesKey, choices);
}

PageChoices storedCalendarChoices(const QString& storePath,
                                  const cube::MemoryDimension& dimension) {
    const cube::MemoryHierarchy* calendar = calendarOf(dimension);
    if (calendar == nullptr) {
        return {};
    }
    PageChoices levels;
    if (!levels.set(Choice::Levels, levelsOf(*calendar)).isEmpty()) {
        return {};  // levels of another program: nothing the page can show
    }
    if (storePath.isEmpty()) {
        return levels;
    }
    const QString path = canonicalStorePath(storePath);
    const std::string key = storeKey(path);
    const PageChoices remembered = readChoices(key);
    const bool sameCalendar =
        readText(key, kStoreValue) == path &&
        readText(key, kMembersValue) == QString::number(calendar->memberCount()) &&
        remembered.text(Choice::Levels) == levels.text(Choice::Levels);
    return sameCalendar ? remembered : levels;
}

bool rememberStoredCalendar(const QString& storePath, const PageChoices& choices,
                            const cube::MemoryDimension& dimension) {
    const cube::MemoryHierarchy* calendar = calendarOf(dimension);
    if (storePath.isEmpty() || calendar == nullptr) {
        return true;
    }
    const QString path = canonicalStorePath(storePath);
    const std::string key = storeKey(path);
    return writeChoices(key, choices) &&
           settings::fWriteValue("HKCU", key, kStoreValue, "S", path.toStdString()) == 0 &&
           settings::fWriteValue("HKCU", key, kMembersValue, "S",
                                 std::to_string(calendar->memberCount())) == 0;
}

}  // namespace annalex::wizard
