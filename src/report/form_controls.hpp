#pragma once
// The report form's controls as plain models: a name, the text or caption a person sees, the
// enabled state, and for buttons the click handler and whether the button is the default one.
// A front end binds its widgets to them both ways (observers tell it what changed, and when the
// form wants the focus in a control).

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "report/picture.hpp"

namespace annalex::report {

class FormControl {
  public:
    explicit FormControl(std::string name) : name_(std::move(name)) {}
    FormControl(const FormControl&) = delete;
    FormControl& operator=(const FormControl&) = delete;
    virtual ~FormControl() = default;

    const std::string& name() const { return name_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled) {
        if (enabled_ != enabled) {
            enabled_ = enabled;
            changed();
        }
    }
    // Called after every change of the control's visible state.
    void addObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

    // Asks the window to put the keyboard focus in this control.
    void setFocus() const {
        for (const auto& listener : focusListeners_) {
            listener();
        }
    }
    void onFocusRequest(std::function<void()> listener) {
        focusListeners_.push_back(std::move(listener));
    }

  protected:
    void changed() const {
        for (const auto& observer : observers_) {
            observer();
        }
    }

  private:
    std::string name_;
    bool enabled_ = true;
    std::vector<std::function<void()>> observers_;
    std::vector<std::function<void()>> focusListeners_;
};

class FormLabel final : public FormControl {
  public:
    FormLabel(std::string name, std::string caption)
        : FormControl(std::move(name)), caption_(std::move(caption)) {}
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption) {
        if (caption_ != caption) {
            caption_ = std::move(caption);
            changed();
        }
    }

  private:
    std::string caption_;
};

class FormTextBox final : public FormControl {
  public:
    using FormControl::FormControl;
    const std::string& text() const { return text_; }
    void setText(std::string_view text) {
        if (text_ != text) {
            text_ = text;
            changed();
        }
    }

  private:
    std::string text_;
};

class FormCheckBox final : public FormControl {
  public:
    FormCheckBox(std::string name, std::string caption, bool checked)
        : FormControl(std::move(name)), caption_(std::move(caption)), checked_(checked) {}
    const std::string& caption() const { return caption_; }
    bool checked() const { return checked_; }
    void setChecked(bool checked) {
        if (checked_ != checked) {
            checked_ = checked;
            changed();
        }
    }

  private:
    std::string caption_;
    bool checked_;
};

class FormButton final : public FormControl {
  public:
    FormButton(std::string name, std::string caption)
        : FormControl(std::move(name)), caption_(std::move(caption)) {}
    const std::string& caption() const { return caption_; }
    bool isDefault() const { return default_; }
    void setDefault(bool isDefault) {
        if (default_ != isDefault) {
            default_ = isDefault;
            changed();
        }
    }
    // What a press does: runs the click handler (a disabled button cannot be pressed).
    void click() const {
        if (enabled() && handler_) {
            handler_();
        }
    }
    void onClick(std::function<void()> handler) { handler_ = std::move(handler); }

  private:
    std::string caption_;
    bool default_ = false;
    std::function<void()> handler_;
};

// A picture control: the screen picture (Image1) or a fixed icon (Image2, Image3). Where there
// is no picture to show, a note may say why.
class FormImage final : public FormControl {
  public:
    using FormControl::FormControl;
    const Picture& picture() const { return picture_; }
    void setPicture(Picture picture) {
        picture_ = std::move(picture);
        changed();
    }
    const std::string& note() const { return note_; }
    void setNote(std::string note) {
        note_ = std::move(note);
        changed();
    }

  private:
    Picture picture_;
    std::string note_;
};

}  // namespace annalex::report
