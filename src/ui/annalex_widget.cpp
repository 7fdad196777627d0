#include "ui/annalex_widget.hpp"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <algorithm>

#include "ui/twips.hpp"

namespace annalex::ui {
namespace {

using control::ControlKind;

// The geometry of the page was laid out for an 8-point sans serif; controls that name no font
// of their own use this one.
const control::FontSpec kPageFont{"MS Sans Serif", 8.25, false};

// The font a model asks for, at its size and weight. A family the machine lacks is replaced by
// the first present one of a few sans serifs of similar width (the page's geometry leaves
// little room for wider glyphs), else by the application's default family.
QFont resolveFont(const control::FontSpec& wanted, const QFont& base) {
    static const QStringList kSubstitutes{"Microsoft Sans Serif", "Arial", "Liberation Sans",
                                          "Nimbus Sans", "Helvetica"};
    QFont font = base;
    QString family = QApplication::font().family();
    for (const QString& candidate :
         QStringList{QString::fromStdString(wanted.family)} + kSubstitutes) {
        if (QFontDatabase::hasFamily(candidate)) {
            family = candidate;
            break;
        }
    }
    font.setFamily(family);
    font.setPointSizeF(wanted.pointSize);
    font.setBold(wanted.bold);
    return font;
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
            if (mouse->button() != Qt::LeftButton ||
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
    setFont(resolveFont(kPageFont, font()));
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
        if (!model->font().isDefault()) {
            widget->setFont(resolveFont(model->font(), font()));
        }
        if (auto* list = qobject_cast<QListWidget*>(widget)) {
            fitRows(*list);
        }
        widgets_[model] = widget;
        models_[widget] = model;
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
                QScopedValueRollback<bool> showing(showing_, true);
                for (int row = 0; row < widget->count(); ++row) {
                    widget->item(row)->setCheckState(list.selected(row) ? Qt::Checked
                                                                        : Qt::Unchecked);
                }
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
            auto* push = new QPushButton(qs(button.caption()), container);
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
