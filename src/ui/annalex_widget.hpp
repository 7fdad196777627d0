#pragma once
// AnnalexCtrl as a Qt widget: the calendar page with real widgets, bound both ways to the
// page models of the toolkit-free control.
//
// Every constituent control is a widget whose objectName is its name ("txtStartDay",
// "availableList", "Frame1", ...). A member of a control array gets the objectName
// "<name>_<index>" ("calendarType_0", "lblSeparator_3", "Label6_1") and carries its plain name
// and its index in the dynamic properties "controlName" and "index"; every other widget has
// "controlName" equal to its objectName and "index" -1.
//
// What a person does (typing, ticking, choosing, clicking, moving the focus) goes to the page
// models, which raise the control's handlers; whatever the models then hold (texts,
// selections, ticks, the focus, the preview caption) is shown at once. Geometry comes from the
// models in twips and is converted with the screen's logical resolution, so the page grows
// with the screen's DPI; fonts are chosen so that every text fits its control at that size.
//
// Keys: Enter on a focused button presses it; Escape anywhere on the page presses Cancel.
//
// Host surface: the properties theCube and theTimeDimension, the signals wizardResult and
// stepDescription.

#include <QWidget>
#include <memory>
#include <unordered_map>

#include "control/annalex_ctrl.hpp"
#include "cube/cube_model.hpp"
#include "ui/qt_failure_reporter.hpp"
#include "ui/qt_message_service.hpp"
#include "ui/qt_pointer_service.hpp"

Q_DECLARE_METATYPE(annalex::cube::CubeRef)
Q_DECLARE_METATYPE(annalex::cube::DimensionRef)

class QKeyEvent;
class QLineEdit;
class QStyle;

namespace annalex::ui {

class AnnalexCtrl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(annalex::cube::CubeRef theCube READ theCube WRITE setTheCube)
    Q_PROPERTY(annalex::cube::DimensionRef theTimeDimension READ theTimeDimension WRITE
                   setTheTimeDimension)

  public:
    // Failures go to a QtFailureReporter owned by the widget.
    explicit AnnalexCtrl(QWidget* parent = nullptr);
    // Failures go to reporter, which must outlive the widget.
    explicit AnnalexCtrl(errors::FailureReporter& reporter, QWidget* parent = nullptr);
    ~AnnalexCtrl() override;

    cube::CubeRef theCube();
    void setTheCube(const cube::CubeRef& aCube);
    cube::DimensionRef theTimeDimension();
    void setTheTimeDimension(const cube::DimensionRef& aTimeDimension);

    // The widget of a constituent control; nullptr when there is none.
    QWidget* controlWidget(const QString& name, int index = -1) const;

    // The toolkit-free control behind the widgets, and the services it was given.
    control::AnnalexCtrl& core() { return *core_; }
    QtMessageService& messageService() { return messages_; }
    QtPointerService& pointerService() { return pointer_; }

    QSize sizeHint() const override;

    // The levels the chosen calendar has, as levelMask bits (31: all five). An entry of the
    // level list outside them cannot be ticked: it is disabled, except while it is still
    // ticked, so that a tick made before the calendar was chosen can be cleared.
    void offerLevels(std::int16_t levels);

  signals:
    void wizardResult(bool result);
    void stepDescription(const QString& description, int stepNumber);

  protected:
    // Escape anywhere on the page is Cancel.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildWidgets();
    // Gives every control a font in which its texts fit its rectangle (see fitFonts).
    void fitFonts();
    QWidget* createWidget(control::PageControl& model, QWidget* container);
    void bindTextBox(control::TextBox& box, QLineEdit* edit);
    void showTextBox(control::TextBox& box, QLineEdit* edit);
    void showFocus();
    void takeFocusFrom(QWidget* now);
    void showOfferedLevels();

    struct Selection {
        std::int32_t start = 0;
        std::int32_t length = 0;
        bool operator==(const Selection&) const = default;
    };

    QtMessageService messages_;
    QtPointerService pointer_;
    // The style of every control of the page: the application's style with metrics that suit
    // the page's small controls.
    std::unique_ptr<QStyle> style_;
    std::unique_ptr<QtFailureReporter> ownReporter_;
    std::unique_ptr<control::AnnalexCtrl> core_;
    std::unordered_map<const control::PageControl*, QWidget*> widgets_;
    std::unordered_map<const QWidget*, control::PageControl*> models_;
    // The selection of each text box as last shown, so that a model notification only moves
    // the widget's selection when the model's selection really changed.
    std::unordered_map<const control::TextBox*, Selection> shownSelection_;
    // Set while a model change is being shown, so the widgets' own signals are not echoed back.
    bool showing_ = false;
    // Set while a person's edit is handed to a text box model: its first notification is the
    // echo of that edit and must not move the widget's insertion point.
    bool echoPending_ = false;
    std::int16_t offeredLevels_ = 31;
};

}  // namespace annalex::ui
