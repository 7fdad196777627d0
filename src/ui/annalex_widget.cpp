#include "ui/annalex_widget.hpp"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QStyleOption>
#include <QStyledItemDelegate>
#include <algorithm>

#include "ui/enter_push_button.hpp"
#include "ui/twips.hpp"

namespace annalex::ui {
namespace {

using control::ControlKind;

// The geometry of the page was laid out for an 8-point sans serif; controls that name no font
// of their own use this one.
const control::FontSpec kPageFont{"MS Sans Serif", 8.25, false};

// Families that stand in for a font the machine lacks, best first: sans serifs of similar
// width, then narrow ones, which keep the texts inside the page's tight rectangles when the
// others are too wide.
const QStringList& substituteFamilies() {
    static const QStringList kSubstitutes{"Microsoft Sans Serif",
                                          "Arial",
                                          "Liberation Sans",
                                          "Nimbus Sans",
                                          "Helvetica",
                                          "Liberation Sans Narrow",
                                          "Arial Narrow",
                                          "Nimbus Sans Narrow",
                                          "DejaVu Sans Condensed",
                                          "DejaVu Sans"};
    return kSubstitutes;
}

// The present families a model's font may be shown in, in order of preference; the
// application's default family when none is present.
QStringList familiesFor(const control::FontSpec& wanted) {
    QStringList present;
    for (const QString& candidate :
         QStringList{QString::fromStdString(wanted.family)} + substituteFamilies()) {
        if (QFontDatabase::hasFamily(candidate) && !present.contains(candidate)) {
            present << candidate;
        }
    }
    if (present.isEmpty()) {
        present << QApplication::font().family();
    }
    return present;
}

// The font a model asks for, at its size and weight, in family.
QFont makeFont(const control::FontSpec& wanted, const QString& family, const QFont& base) {
    QFont font = base;
    font.setFamily(family);
    font.setPointSizeF(wanted.pointSize);
    font.setBold(wanted.bold);
    return font;
}

// The application's style with metrics for the page's small controls: a drop-down list's arrow
// no wider than its text is high, so that "DDDD" and "MMMM" keep their room in a box of 780
// twips, and tick and option marks no taller than their control, so that they are not cut.
class PageStyle final : public QProxyStyle {
  public:
    PageStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int base = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
            case PM_ExclusiveIndicatorWidth:
            case PM_ExclusiveIndicatorHeight:
            case PM_IndicatorWidth:
            case PM_IndicatorHeight:
                if (qobject_cast<const QAbstractButton*>(widget) != nullptr) {
                    return std::min(base, widget->height() - 1);
                }
                return base;
            default:
                return base;
        }
    }

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        if (control != CC_ComboBox || (part != SC_ComboBoxArrow && part != SC_ComboBoxEditField)) {
            return QProxyStyle::subControlRect(control, option, part, widget);
        }
        const QRect inner =
            option->rect.adjusted(kComboFrame, kComboFrame, -kComboFrame, -kComboFrame);
        const int arrow = std::min(inner.width() / 3, option->fontMetrics.height());
        const QRect rect =
            part == SC_ComboBoxArrow
                ? QRect(inner.right() - arrow + 1, inner.top(), arrow, inner.height())
                : QRect(inner.left() + 1, inner.top(), inner.width() - arrow - 1, inner.height());
        return visualRect(option->direction, option->rect, rect);
    }

  private:
    static constexpr int kComboFrame = 2;
};

// Whether every text of a control shows whole in its rectangle with the control's font and
// style: captions, list entries, option button labels and marks, the longest date a box takes.
bool textsFit(const QWidget& widget) {
    const QFontMetrics metrics(widget.font());
    const auto fitsWidth = [&](const QString& text, int width) {
        return metrics.horizontalAdvance(text) <= width;
    };
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        return fitsWidth(label->text(), label->contentsRect().width()) &&
               metrics.height() <= label->contentsRect().height();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                           QStyle::SC_ComboBoxEditField, combo);
        for (int i = 0; i < combo->count(); ++i) {
            if (!fitsWidth(combo->itemText(i), field.width())) {
                return false;
            }
        }
        return metrics.height() <= field.height() + 2;
    }
    if (const auto* radio = qobject_cast<const QRadioButton*>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        const QRect text =
            radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
        const QRect mark =
            radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, radio);
        return fitsWidth(radio->text(), text.width()) && radio->rect().contains(mark);
    }
    if (const auto* push = qobject_cast<const QPushButton*>(&widget)) {
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        const QRect text =
            push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
        return fitsWidth(push->text(), text.width());
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&widget)) {
        // The title sits inside the frame's rounded corners.
        return fitsWidth(box->title(), box->width() - 2 * metrics.averageCharWidth());
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) {
        // A date box shows its text and the insertion point behind it: two digits, four in a
        // year box. QLineEdit keeps two pixels each side inside its frame.
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        const QRect contents =
            edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        const QString widest = edit->objectName().endsWith(QLatin1String("Year"))
                                   ? QStringLiteral("0000")
                                   : QStringLiteral("00");
        return fitsWidth(widest, contents.width() - 4 - 1) && metrics.height() <= contents.height();
    }
    return true;
}

// Shares the list's height out among its entries, so that all of them show without a scroll
// bar, as on the page's design: a fallback font's line spacing can be a pixel or two taller
// than the rows the geometry leaves, while its glyphs still fit them. Rows never get lower than
// twice the font's x-height, so a much larger font still scrolls rather than overlaps.
void fitRows(QListWidget& list) {
    if (list.count() == 0) {
        return;
    }
    const int available = list.contentsRect().height() / list.count();
    const int row = std::max(available, list.fontMetrics().xHeight() * 2);
    for (int i = 0; i < list.count(); ++i) {
        list.item(i)->setSizeHint(QSize(0, row));
    }
    list.setUniformItemSizes(true);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Text box positions: the models count UTF-8 bytes, QLineEdit counts UTF-16 units.
int widgetPosition(const std::string& text, std::int32_t bytes) {
    return static_cast<int>(QString::fromUtf8(text.data(), bytes).size());
}
std::int32_t modelPosition(const QString& text, int units) {
    return static_cast<std::int32_t>(text.left(units).toUtf8().size());
}

// A click anywhere on an entry of the level list toggles its tick, not only on the tick box.
class TickOnClickDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        const auto type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
            type == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || !(index.flags() & Qt::ItemIsEnabled) ||
                !option.rect.contains(mouse->position().toPoint())) {
                return false;
            }
            if (type == QEvent::MouseButtonRelease) {
                const bool ticked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                model->setData(index, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
                return true;
            }
            // Presses still select the entry; only the release toggles.
            return false;
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
};

QString objectNameOf(const control::PageControl& model) {
    return model.index() < 0 ? qs(model.name())
                             : qs(model.name()) + QLatin1Char('_') + QString::number(model.index());
}

}  // namespace

AnnalexCtrl::AnnalexCtrl(QWidget* parent) : QWidget(parent), messages_(this) {
    ownReporter_ = std::make_unique<QtFailureReporter>(messages_, this);
    core_ = std::make_unique<control::AnnalexCtrl>(messages_, pointer_, *ownReporter_);
    buildWidgets();
}

AnnalexCtrl::AnnalexCtrl(errors::FailureReporter& reporter, QWidget* parent)
    : QWidget(parent), messages_(this) {
    core_ = std::make_unique<control::AnnalexCtrl>(messages_, pointer_, reporter);
    buildWidgets();
}

AnnalexCtrl::~AnnalexCtrl() {
    // The widgets go first, while the models their signals reach are still alive.
    disconnect(qApp, nullptr, this, nullptr);
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

cube::CubeRef AnnalexCtrl::theCube() {
    return core_->theCube();
}

void AnnalexCtrl::setTheCube(const cube::CubeRef& aCube) {
    core_->setTheCube(aCube);
}

cube::DimensionRef AnnalexCtrl::theTimeDimension() {
    return core_->theTimeDimension();
}

void AnnalexCtrl::setTheTimeDimension(const cube::DimensionRef& aTimeDimension) {
    core_->setTheTimeDimension(aTimeDimension);
}

QWidget* AnnalexCtrl::controlWidget(const QString& name, int index) const {
    const control::PageControl* model = core_->page().find(name.toStdString(), index);
    if (model == nullptr) {
        return nullptr;
    }
    const auto found = widgets_.find(model);
    return found == widgets_.end() ? nullptr : found->second;
}

QSize AnnalexCtrl::sizeHint() const {
    return minimumSize();
}

void AnnalexCtrl::buildWidgets() {
    style_ = std::make_unique<PageStyle>();
    setFont(makeFont(kPageFont, familiesFor(kPageFont).front(), font()));
    control::CalendarPage& page = core_->page();

    // Containers come before their contents in the page's order, so each control's frame
    // exists by the time the control is made.
    for (control::PageControl* model : page.controls()) {
        QWidget* container = this;
        if (!model->container().empty()) {
            container = widgets_.at(page.find(model->container()));
        }
        QWidget* widget = createWidget(*model, container);
        widget->setObjectName(objectNameOf(*model));
        widget->setProperty("controlName", qs(model->name()));
        widget->setProperty("index", model->index());
        widget->setGeometry(twipsToPixels(model->geometry(), logicalDpiX(), logicalDpiY()));
        widget->setStyle(style_.get());
        widgets_[model] = widget;
        models_[widget] = model;
    }
    fitFonts();
    for (control::PageControl* model : page.controls()) {
        if (auto* list = qobject_cast<QListWidget*>(widgets_.at(model))) {
            fitRows(*list);
        }
    }

    // The Tab key visits the controls that take the focus in the page's order.
    const auto order = page.focusOrder();
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        QWidget::setTabOrder(widgets_.at(order[i]), widgets_.at(order[i + 1]));
    }

    page.focus().addObserver([this] { showFocus(); });
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { takeFocusFrom(now); });

    core_->addWizardResultListener([this](bool result) { emit wizardResult(result); });
    core_->addStepDescriptionListener([this](std::string_view description, std::int16_t step) {
        emit stepDescription(QString::fromUtf8(description.data(), description.size()), step);
    });

    const QRect outer = widgets_.at(&page.Frame1)->geometry();
    setMinimumSize(outer.x() + outer.width(), outer.y() + outer.height());
}

void AnnalexCtrl::fitFonts() {
    // One family for the whole page: the first of the candidates in which every text fits.
    // When none does, the first one stays, and each control whose text is still too wide or
    // too tall gets a smaller size of it, a quarter point at a time.
    const auto fontSpecOf = [](const control::PageControl& model) {
        return model.font().isDefault() ? kPageFont : model.font();
    };
    const auto apply = [&](const QString& family) {
        bool allFit = true;
        for (const auto& [model, widget] : widgets_) {
            widget->setFont(makeFont(fontSpecOf(*model), family, font()));
            allFit = textsFit(*widget) && allFit;
        }
        return allFit;
    };
    const QStringList families = familiesFor(kPageFont);
    for (const QString& family : families) {
        if (apply(family)) {
            setFont(makeFont(kPageFont, family, font()));
            return;
        }
    }
    apply(families.front());
    constexpr double kSmallestPoints = 5.0;
    for (const auto& [model, widget] : widgets_) {
        QFont shrunk = widget->font();
        while (!textsFit(*widget) && shrunk.pointSizeF() - 0.25 >= kSmallestPoints) {
            shrunk.setPointSizeF(shrunk.pointSizeF() - 0.25);
            widget->setFont(shrunk);
        }
    }
}

void AnnalexCtrl::offerLevels(std::int16_t levels) {
    offeredLevels_ = levels;
    showOfferedLevels();
}

void AnnalexCtrl::showOfferedLevels() {
    control::CheckList& levels = core_->page().availableList;
    auto* list = static_cast<QListWidget*>(widgets_.at(&levels));
    QScopedValueRollback<bool> showing(showing_, true);
    for (int row = 0; row < list->count(); ++row) {
        QListWidgetItem* item = list->item(row);
        const bool offered = (offeredLevels_ & (1 << row)) != 0;
        const bool enabled = offered || levels.selected(row);
        item->setFlags(enabled ? item->flags() | Qt::ItemIsEnabled
                               : item->flags() & ~Qt::ItemIsEnabled);
        item->setToolTip(
            offered ? QString()
                    : QStringLiteral("The chosen calendar has no %1 level.").arg(item->text()));
    }
}

void AnnalexCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        static_cast<QPushButton*>(widgets_.at(&core_->page().btCancel))->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

QWidget* AnnalexCtrl::createWidget(control::PageControl& model, QWidget* container) {
    switch (model.kind()) {
        case ControlKind::Frame: {
            auto& frame = static_cast<control::Frame&>(model);
            return new QGroupBox(qs(frame.caption()), container);
        }
        case ControlKind::Label: {
            auto& label = static_cast<control::Label&>(model);
            auto* widget = new QLabel(qs(label.caption()), container);
            widget->setTextFormat(Qt::PlainText);
            widget->setAlignment(label.alignment() == control::TextAlignment::Centre
                                     ? Qt::AlignHCenter | Qt::AlignTop
                                     : Qt::AlignLeft | Qt::AlignTop);
            label.addObserver([&label, widget] { widget->setText(qs(label.caption())); });
            return widget;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(container);
            bindTextBox(static_cast<control::TextBox&>(model), edit);
            return edit;
        }
        case ControlKind::DropDownList: {
            auto& list = static_cast<control::DropDownList&>(model);
            auto* combo = new QComboBox(container);
            combo->setEditable(false);
            for (const std::string& entry : list.entries()) {
                combo->addItem(qs(entry));
            }
            combo->setCurrentIndex(list.listIndex());
            // activated: chosen by the person (mouse, keys, wheel), also when already selected.
            connect(combo, &QComboBox::activated, this, [this, &list](int index) {
                if (!showing_) {
                    list.select(static_cast<std::int16_t>(index));
                }
            });
            list.addObserver([this, &list, combo] {
                QScopedValueRollback<bool> showing(showing_, true);
                const QSignalBlocker blocker(combo);
                combo->setCurrentIndex(list.listIndex());
            });
            return combo;
        }
        case ControlKind::CheckList: {
            auto& list = static_cast<control::CheckList&>(model);
            auto* widget = new QListWidget(container);
            widget->setItemDelegate(new TickOnClickDelegate(widget));
            for (std::size_t i = 0; i < list.entries().size(); ++i) {
                auto* item = new QListWidgetItem(qs(list.entries()[i]), widget);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                item->setCheckState(list.selected(static_cast<std::int32_t>(i)) ? Qt::Checked
                                                                                : Qt::Unchecked);
            }
            connect(widget, &QListWidget::itemChanged, this,
                    [this, &list, widget](QListWidgetItem* item) {
                        if (!showing_) {
                            list.setSelected(widget->row(item), item->checkState() == Qt::Checked);
                        }
                    });
            list.addObserver([this, &list, widget] {
                {
                    QScopedValueRollback<bool> showing(showing_, true);
                    for (int row = 0; row < widget->count(); ++row) {
                        widget->item(row)->setCheckState(list.selected(row) ? Qt::Checked
                                                                            : Qt::Unchecked);
                    }
                }
                showOfferedLevels();
            });
            return widget;
        }
        case ControlKind::OptionButton: {
            auto& button = static_cast<control::OptionButton&>(model);
            auto* radio = new QRadioButton(qs(button.caption()), container);
            radio->setChecked(button.value());
            connect(radio, &QRadioButton::clicked, this, [this, &button] {
                if (!showing_) {
                    button.click();
                }
            });
            button.addObserver([this, &button, radio] {
                QScopedValueRollback<bool> showing(showing_, true);
                radio->setChecked(button.value());
            });
            return radio;
        }
        case ControlKind::PushButton: {
            auto& button = static_cast<control::PushButton&>(model);
            auto* push = new EnterPushButton(qs(button.caption()), container);
            push->setAutoDefault(false);
            connect(push, &QPushButton::clicked, this, [&button] { button.click(); });
            return push;
        }
    }
    return new QWidget(container);
}

void AnnalexCtrl::bindTextBox(control::TextBox& box, QLineEdit* edit) {
    edit->setText(qs(box.text()));
    shownSelection_[&box] = {box.selStart(), box.selLength()};

    // Every edit by the person (typing, deleting, pasting) is a new text for the model, which
    // raises the box's Change handler.
    connect(edit, &QLineEdit::textEdited, this, [this, &box](const QString& text) {
        if (showing_) {
            return;
        }
        QScopedValueRollback<bool> echo(echoPending_, true);
        box.setText(text.toStdString());
    });
    // The person's selection and insertion point, kept in the model.
    const auto takeSelection = [this, &box, edit] {
        if (showing_ || echoPending_ || edit->text() != qs(box.text())) {
            return;
        }
        const QString text = edit->text();
        const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
        const int length = static_cast<int>(edit->selectedText().size());
        const Selection selection{modelPosition(text, start),
                                  modelPosition(text, start + length) - modelPosition(text, start)};
        if (selection == shownSelection_[&box]) {
            return;
        }
        shownSelection_[&box] = selection;
        box.setSelection(selection.start, selection.length);
    };
    connect(edit, &QLineEdit::selectionChanged, this, takeSelection);
    connect(edit, &QLineEdit::cursorPositionChanged, this, takeSelection);

    box.addObserver([this, &box, edit] { showTextBox(box, edit); });
}

void AnnalexCtrl::showTextBox(control::TextBox& box, QLineEdit* edit) {
    QScopedValueRollback<bool> showing(showing_, true);
    const QString text = qs(box.text());
    if (edit->text() != text) {
        edit->setText(text);
    }
    const Selection selection{box.selStart(), box.selLength()};
    Selection& shown = shownSelection_[&box];
    if (echoPending_) {
        // The model has taken the person's edit; the widget already shows it with the
        // insertion point where the person left it.
        echoPending_ = false;
        shown = selection;
        return;
    }
    if (selection == shown) {
        return;
    }
    shown = selection;
    const int start = widgetPosition(box.text(), selection.start);
    const int end = widgetPosition(box.text(), selection.start + selection.length);
    if (end > start) {
        edit->setSelection(start, end - start);
    } else {
        edit->setCursorPosition(start);
    }
}

void AnnalexCtrl::showFocus() {
    const control::PageControl* focused = core_->page().focus().focused();
    const auto found = widgets_.find(focused);
    if (found == widgets_.end() || found->second->hasFocus()) {
        return;
    }
    QScopedValueRollback<bool> showing(showing_, true);
    found->second->setFocus(Qt::OtherFocusReason);
}

void AnnalexCtrl::takeFocusFrom(QWidget* now) {
    if (showing_ || now == nullptr) {
        return;
    }
    const auto found = models_.find(now);
    if (found == models_.end() || found->second->hasFocus()) {
        return;
    }
    QScopedValueRollback<bool> showing(showing_, true);
    found->second->setFocus();
}

}  // namespace annalex::ui
