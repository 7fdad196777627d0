#include "remembered_choices.hpp"

#include <string>
#include <variant>

#include "settings/registry.hpp"

namespace annalex::wizard {

PageChoices rememberedChoices() {
    PageChoices choices;
    for (const ChoiceName& name : choiceNames()) {
        settings::SettingValue value;
        const std::int32_t status = settings::fReadValue("HKCU", kRememberedChoicesKey,
                                                         name.setting, "S", std::string(), value);
        const auto* text = std::get_if<std::string>(&value);
        if (status == 0 && text != nullptr) {
            // A value the user edited into something invalid is simply not offered.
            choices.set(name.choice, QString::fromStdString(*text));
        }
    }
    return choices;
}

bool rememberChoices(const PageChoices& choices) {
    bool written = true;
    for (const ChoiceName& name : choiceNames()) {
        if (const auto text = choices.text(name.choice)) {
            written = settings::fWriteValue("HKCU", kRememberedChoicesKey, name.setting, "S",
                                            text->toStdString()) == 0 &&
                      written;
        }
    }
    return written;
}

}  // namespace annalex::wizard
