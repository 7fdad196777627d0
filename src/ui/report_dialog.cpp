#include "ui/report_dialog.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "report/handler_failures.hpp"

namespace annalex::ui {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// The size the form opens at (its width, and a cap on its height that leaves room for a window
// frame on a screen of 800 x 600), and what the picture asks for within it.
constexpr int kFormWidth = 560;
constexpr QSize kPictureHint(400, 170);
constexpr QSize kPictureMinimum(240, 90);
constexpr QSize kWindowFrame(16, 48);

// Image1: the screen picture, scaled to fit the widget with its proportions kept; without one,
// the note that says why.
class PictureView final : public QWidget {
  public:
    PictureView(report::FormImage& model, QWidget* parent) : QWidget(parent), model_(model) {
        setObjectName(qs(model.name()));
        setMinimumSize(kPictureMinimum);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        model.addObserver([this] { update(); });
    }

    QSize sizeHint() const override { return kPictureHint; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        const report::Picture& picture = model_.picture();
        if (picture.empty()) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                             qs(model_.note()));
            return;
        }
        // A view of the picture's own pixels: nothing is copied to draw it.
        const QImage image(reinterpret_cast<const uchar*>(picture.row(0)), picture.width(),
                           picture.height(), picture.bytesPerLine(), QImage::Format_RGB32);
        const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                           fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(target.adjusted(0, 0, -1, -1));
    }

  private:
    report::FormImage& model_;
};

// Image2 and Image3: fixed 32 x 32 icons.
QLabel* iconLabel(report::FormImage& model, QStyle::StandardPixmap which, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(qs(model.name()));
    label->setFixedSize(32, 32);
    const QIcon icon = label->style()->standardIcon(which);
    auto show = [label, icon, &model] {
        label->setEnabled(model.enabled());
        label->setPixmap(icon.pixmap(32, 32, model.enabled() ? QIcon::Normal : QIcon::Disabled));
    };
    show();
    model.addObserver(show);
    return label;
}

}  // namespace

ReportDialog::ReportDialog(report::frmErrorHand& form, MessageService& messages, QWidget* parent)
    : QDialog(parent), form_(form), messages_(messages) {
    setObjectName(QStringLiteral("frmErrorHand"));
    setWindowTitle(QString::fromUtf8(report::frmErrorHand::kCaption));
    build();
    form_.attachWindow(this);
}

ReportDialog::~ReportDialog() {
    form_.attachWindow(nullptr);
}

void ReportDialog::build() {
    auto* label1 = new QLabel(this);
    bindLabel(form_.Label1, label1);
    auto* heading = new QHBoxLayout;
    heading->addWidget(iconLabel(form_.Image2, QStyle::SP_MessageBoxCritical, this), 0,
                       Qt::AlignTop);
    heading->addWidget(label1, 1);

    auto* whatDoing = new QLabel(this);
    bindLabel(form_.lblWhatDoing, whatDoing);
    description_ = new QPlainTextEdit(this);
    description_->setObjectName(qs(form_.edtWhatDoing.name()));
    description_->setTabChangesFocus(true);
    description_->setFixedHeight(description_->fontMetrics().lineSpacing() * 4 + 12);
    whatDoing->setBuddy(description_);
    form_.edtWhatDoing.onFocusRequest([this] {
        activateWindow();
        description_->setFocus(Qt::OtherFocusReason);
    });
    connect(description_, &QPlainTextEdit::textChanged, this,
            [this] { form_.edtWhatDoing.setText(description_->toPlainText().toStdString()); });
    form_.edtWhatDoing.addObserver([this] {
        const QString text = qs(form_.edtWhatDoing.text());
        if (description_->toPlainText() != text) {
            description_->setPlainText(text);
        }
    });

    auto* picture = new PictureView(form_.Image1, this);

    auto* attachScreen = new QCheckBox(this);
    bindCheckBox(form_.chkAttachScreen, attachScreen);
    auto* emailStore = new QCheckBox(this);
    bindCheckBox(form_.chkEmailStore, emailStore);
    auto* info = new QLabel(this);
    bindLabel(form_.lblInfo, info);
    auto* mailStatus = new QLabel(this);
    bindLabel(form_.lblMailStatus, mailStatus);
    auto* mail = new QPushButton(this);
    bindButton(form_.butEMail, mail);
    auto* mailGroup = new QGridLayout;
    mailGroup->addWidget(iconLabel(form_.Image3, QStyle::SP_MessageBoxInformation, this), 0, 0, 3,
                         1, Qt::AlignTop);
    mailGroup->addWidget(attachScreen, 0, 1);
    mailGroup->addWidget(emailStore, 1, 1);
    mailGroup->addWidget(info, 2, 1);
    mailGroup->addWidget(mailStatus, 3, 1);
    mailGroup->setColumnStretch(1, 1);

    auto* close = new QPushButton(this);
    bindButton(form_.butClose, close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mail);
    buttons->addWidget(close);

    auto* label2 = new QLabel(this);
    bindLabel(form_.Label2, label2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(whatDoing);
    layout->addWidget(description_);
    layout->addWidget(picture, 1);
    layout->addLayout(mailGroup);
    layout->addLayout(buttons);
    layout->addWidget(label2);
    fitToScreen();
}

void ReportDialog::fitToScreen() {
    QSize size(kFormWidth, layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(kFormWidth)
                                                         : sizeHint().height());
    if (const QScreen* shown = screen()) {
        size = size.boundedTo(shown->availableGeometry().size() - kWindowFrame);
    }
    resize(size.expandedTo(minimumSizeHint()));
}

void ReportDialog::bindLabel(report::FormLabel& model, QLabel* label) {
    label->setObjectName(qs(model.name()));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    // A label with nothing to say (the mail status, mostly) takes no room.
    auto show = [label, &model] {
        label->setText(qs(model.caption()));
        label->setVisible(!model.caption().empty());
        label->setEnabled(model.enabled());
    };
    show();
    model.addObserver(show);
}

void ReportDialog::bindCheckBox(report::FormCheckBox& model, QCheckBox* box) {
    box->setObjectName(qs(model.name()));
    box->setText(qs(model.caption()));
    auto show = [box, &model] {
        box->setChecked(model.checked());
        box->setEnabled(model.enabled());
    };
    show();
    model.addObserver(show);
    connect(box, &QCheckBox::toggled, this, [&model](bool checked) { model.setChecked(checked); });
}

void ReportDialog::bindButton(report::FormButton& model, QPushButton* button) {
    button->setObjectName(qs(model.name()));
    button->setText(qs(model.caption()));
    auto show = [button, &model] {
        button->setEnabled(model.enabled());
        button->setDefault(model.isDefault());
    };
    show();
    model.addObserver(show);
    connect(button, &QPushButton::clicked, this, [this, &model] {
        report::runFormHandler(form_, messages_, [&model] { model.click(); });
    });
}

void ReportDialog::reject() {
    if (unloading_ || form_.unloaded()) {
        QDialog::reject();
        return;
    }
    report::runFormHandler(form_, messages_, [this] { form_.Form_QueryUnload(); });
}

void ReportDialog::processPendingEvents() {
    QApplication::processEvents();
}

void ReportDialog::unload() {
    if (unloading_) {
        return;
    }
    unloading_ = true;
    // Not close(): the form may be unloaded from inside a close of the window (its close box),
    // which a second close would not finish.
    done(QDialog::Rejected);
}

void ReportDialog::done(int result) {
    QDialog::done(result);
    if (!form_.unloaded()) {
        form_.unloadForm();
    }
    if (!closed_) {
        closed_ = true;
        if (unloadHook_) {
            unloadHook_();
        }
    }
}

}  // namespace annalex::ui
