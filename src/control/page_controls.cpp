#include "control/page_controls.hpp"

#include "common/failure.hpp"

namespace annalex::control {

PageControl::PageControl(ControlKind kind, std::string name, int index, std::string container,
                         Geometry geometry, int tabIndex)
    : kind_(kind),
      name_(std::move(name)),
      index_(index),
      container_(std::move(container)),
      geometry_(geometry),
      tabIndex_(tabIndex) {}

void PageControl::setFocus() {
    if (focus_ != nullptr && takesFocus()) {
        focus_->focus(this);
    }
}

bool PageControl::hasFocus() const {
    return focus_ != nullptr && focus_->focused() == this;
}

void PageControl::changed() const {
    for (const auto& observer : observers_) {
        observer();
    }
}

void FocusTracker::focus(const PageControl* control) {
    focused_ = control;
    for (const auto& observer : observers_) {
        observer();
    }
}

void Label::setCaption(std::string_view caption) {
    if (caption_ != caption) {
        caption_.assign(caption);
        changed();
    }
}

void TextBox::setText(std::string_view text) {
    if (text_ == text) {
        return;
    }
    text_.assign(text);
    // The insertion point follows the text, as after typing; nothing stays selected.
    selStart_ = static_cast<std::int32_t>(text_.size());
    selLength_ = 0;
    changed();
    if (changeHandler_) {
        changeHandler_();
    }
}

void TextBox::setSelection(std::int32_t start, std::int32_t length) {
    const auto size = static_cast<std::int32_t>(text_.size());
    if (start < 0 || start > size || length < 0) {
        raise(ErrorNumber::InvalidProcedureCall);
    }
    selStart_ = start;
    selLength_ = start + length > size ? size - start : length;
    changed();
}

DropDownList::DropDownList(std::string name, std::string container, Geometry geometry, int tabIndex,
                           std::vector<std::string> entries)
    : PageControl(ControlKind::DropDownList, std::move(name), -1, std::move(container), geometry,
                  tabIndex),
      entries_(std::move(entries)),
      itemData_(entries_.size(), 0) {}

std::string DropDownList::text() const {
    return listIndex_ < 0 ? std::string() : entries_[static_cast<std::size_t>(listIndex_)];
}

void DropDownList::select(std::int16_t index) {
    if (index < -1 || index >= static_cast<std::int32_t>(entries_.size())) {
        raise(ErrorNumber::InvalidProcedureCall);
    }
    listIndex_ = index;
    changed();
    if (index >= 0 && clickHandler_) {
        clickHandler_();
    }
}

CheckList::CheckList(std::string name, std::string container, Geometry geometry, int tabIndex,
                     std::vector<std::string> entries)
    : PageControl(ControlKind::CheckList, std::move(name), -1, std::move(container), geometry,
                  tabIndex),
      entries_(std::move(entries)),
      itemData_(entries_.size(), 0),
      ticked_(entries_.size(), false) {}

bool CheckList::selected(std::int32_t entry) const {
    if (entry < 0 || static_cast<std::size_t>(entry) >= ticked_.size()) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    return ticked_[static_cast<std::size_t>(entry)];
}

void CheckList::setSelected(std::int32_t entry, bool ticked) {
    if (entry < 0 || static_cast<std::size_t>(entry) >= ticked_.size()) {
        raise(ErrorNumber::SubscriptOutOfRange);
    }
    if (ticked_[static_cast<std::size_t>(entry)] != ticked) {
        ticked_[static_cast<std::size_t>(entry)] = ticked;
        changed();
    }
}

void OptionButton::joinGroup(std::vector<OptionButton*> group,
                             std::function<void(std::int16_t)> onClick) {
    group_ = std::move(group);
    clickHandler_ = std::move(onClick);
}

void OptionButton::setValue(bool value) {
    if (value_ != value) {
        value_ = value;
        changed();
    }
}

void OptionButton::click() {
    for (OptionButton* other : group_) {
        if (other != this) {
            other->setValue(false);
        }
    }
    setValue(true);
    if (clickHandler_) {
        clickHandler_(static_cast<std::int16_t>(index()));
    }
}

void PushButton::click() const {
    if (clickHandler_) {
        clickHandler_();
    }
}

}  // namespace annalex::control
