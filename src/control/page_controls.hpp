#pragma once
// The constituent controls of the calendar page as plain models.
//
// Each model has the name, kind, container, geometry (in twips: 1/1440 inch, relative to its
// container), tab position and font of the control it stands for, and the state a person can
// see and change. Events behave as on the page: setting a text box's text to something new,
// by code or by typing, raises its Change handler; choosing a list entry, by code or by a
// person, raises its Click handler; clicking an option button raises the Click handler of its
// group with the button's index; ticking an entry of the level list raises nothing.
//
// A front end binds its widgets to these models both ways: it forwards what the person does to
// the models' setters, and it listens (addObserver) to redraw what the models changed.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace annalex::control {

struct Geometry {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const Geometry&, const Geometry&) = default;
};

// An empty family means the page's default font.
struct FontSpec {
    std::string family;
    double pointSize = 0;
    bool bold = false;

    bool isDefault() const { return family.empty(); }
};

enum class ControlKind { Frame, Label, TextBox, DropDownList, CheckList, OptionButton, PushButton };
enum class TextAlignment { Left, Centre };

class FocusTracker;

class PageControl {
  public:
    PageControl(ControlKind kind, std::string name, int index, std::string container,
                Geometry geometry, int tabIndex);
    PageControl(const PageControl&) = delete;
    PageControl& operator=(const PageControl&) = delete;
    virtual ~PageControl() = default;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    // Index within a control array (calendarType, lblSeparator, Label6); -1 for a single control.
    int index() const { return index_; }
    // Name of the frame that holds the control; empty for the outermost frame.
    const std::string& container() const { return container_; }
    const Geometry& geometry() const { return geometry_; }
    int tabIndex() const { return tabIndex_; }
    const FontSpec& font() const { return font_; }
    void setFont(FontSpec font) { font_ = std::move(font); }
    // Frames and labels hold places in the tab numbering but take no focus.
    bool takesFocus() const { return kind_ != ControlKind::Frame && kind_ != ControlKind::Label; }

    void setFocus();
    bool hasFocus() const;
    void attachFocus(FocusTracker* tracker) { focus_ = tracker; }

    // Called after every change of the model's visible state.
    void addObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

  protected:
    void changed() const;

  private:
    ControlKind kind_;
    std::string name_;
    int index_;
    std::string container_;
    Geometry geometry_;
    int tabIndex_;
    FontSpec font_;
    FocusTracker* focus_ = nullptr;
    std::vector<std::function<void()>> observers_;
};

// Which control of the page holds the keyboard focus.
class FocusTracker {
  public:
    const PageControl* focused() const { return focused_; }
    void focus(const PageControl* control);
    void addObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

  private:
    const PageControl* focused_ = nullptr;
    std::vector<std::function<void()>> observers_;
};

class Frame final : public PageControl {
  public:
    Frame(std::string name, std::string container, Geometry geometry, int tabIndex,
          std::string caption)
        : PageControl(ControlKind::Frame, std::move(name), -1, std::move(container), geometry,
                      tabIndex),
          caption_(std::move(caption)) {}
    const std::string& caption() const { return caption_; }

  private:
    std::string caption_;
};

class Label final : public PageControl {
  public:
    Label(std::string name, int index, std::string container, Geometry geometry, int tabIndex,
          std::string caption, TextAlignment alignment)
        : PageControl(ControlKind::Label, std::move(name), index, std::move(container), geometry,
                      tabIndex),
          caption_(std::move(caption)),
          alignment_(alignment) {}
    const std::string& caption() const { return caption_; }
    void setCaption(std::string_view caption);
    TextAlignment alignment() const { return alignment_; }

  private:
    std::string caption_;
    TextAlignment alignment_;
};

class TextBox final : public PageControl {
  public:
    TextBox(std::string name, std::string container, Geometry geometry, int tabIndex,
            std::string text)
        : PageControl(ControlKind::TextBox, std::move(name), -1, std::move(container), geometry,
                      tabIndex),
          text_(std::move(text)) {}

    const std::string& text() const { return text_; }
    // Replaces the text; a new text raises the Change handler (after observers are told).
    void setText(std::string_view text);
    std::int32_t selStart() const { return selStart_; }
    std::int32_t selLength() const { return selLength_; }
    void setSelection(std::int32_t start, std::int32_t length);
    void selectAll() { setSelection(0, static_cast<std::int32_t>(text_.size())); }

    void onChange(std::function<void()> handler) { changeHandler_ = std::move(handler); }

  private:
    std::string text_;
    std::int32_t selStart_ = 0;
    std::int32_t selLength_ = 0;
    std::function<void()> changeHandler_;
};

// A drop-down list that allows no typing: a choice among its entries only.
class DropDownList final : public PageControl {
  public:
    DropDownList(std::string name, std::string container, Geometry geometry, int tabIndex,
                 std::vector<std::string> entries);

    const std::vector<std::string>& entries() const { return entries_; }
    std::int32_t itemData(std::size_t entry) const { return itemData_.at(entry); }
    // The selected entry from 0; -1 when none.
    std::int16_t listIndex() const { return listIndex_; }
    // The selected entry's text; empty when none.
    std::string text() const;
    // Selects an entry (or -1 for none) and raises the Click handler, also when the entry was
    // selected already. An index outside the entries is refused (InvalidProcedureCall).
    void select(std::int16_t index);

    void onClick(std::function<void()> handler) { clickHandler_ = std::move(handler); }
    // The text-changed handler, which a list without typing never raises by itself.
    void onChange(std::function<void()> handler) { changeHandler_ = std::move(handler); }

  private:
    std::vector<std::string> entries_;
    std::vector<std::int32_t> itemData_;
    std::int16_t listIndex_ = -1;
    std::function<void()> clickHandler_;
    std::function<void()> changeHandler_;
};

// A list box with a tick box per entry.
class CheckList final : public PageControl {
  public:
    CheckList(std::string name, std::string container, Geometry geometry, int tabIndex,
              std::vector<std::string> entries);

    const std::vector<std::string>& entries() const { return entries_; }
    std::int32_t itemData(std::size_t entry) const { return itemData_.at(entry); }
    // Ticked state of an entry (SubscriptOutOfRange outside the entries).
    bool selected(std::int32_t entry) const;
    // Ticks or unticks an entry; raises nothing.
    void setSelected(std::int32_t entry, bool ticked);

  private:
    std::vector<std::string> entries_;
    std::vector<std::int32_t> itemData_;
    std::vector<bool> ticked_;
};

// One button of an option group; the group's Click handler receives the button's index.
class OptionButton final : public PageControl {
  public:
    OptionButton(std::string name, int index, std::string container, Geometry geometry,
                 int tabIndex, std::string caption, bool value)
        : PageControl(ControlKind::OptionButton, std::move(name), index, std::move(container),
                      geometry, tabIndex),
          caption_(std::move(caption)),
          value_(value) {}

    const std::string& caption() const { return caption_; }
    bool value() const { return value_; }
    // What a click does: selects this button, clears the others of the group, raises Click.
    void click();

    void joinGroup(std::vector<OptionButton*> group, std::function<void(std::int16_t)> onClick);

  private:
    void setValue(bool value);

    std::string caption_;
    bool value_;
    std::vector<OptionButton*> group_;
    std::function<void(std::int16_t)> clickHandler_;
};

class PushButton final : public PageControl {
  public:
    PushButton(std::string name, std::string container, Geometry geometry, int tabIndex,
               std::string caption)
        : PageControl(ControlKind::PushButton, std::move(name), -1, std::move(container), geometry,
                      tabIndex),
          caption_(std::move(caption)) {}

    const std::string& caption() const { return caption_; }
    void click() const;
    void onClick(std::function<void()> handler) { clickHandler_ = std::move(handler); }

  private:
    std::string caption_;
    std::function<void()> clickHandler_;
};

}  // namespace annalex::control
