#include "wizard_window.hpp"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "cube_source.hpp"

namespace annalex::wizard {

WizardWindow::WizardWindow(std::shared_ptr<cube::MemoryCube> cube, QString storePath,
                           QWidget* parent)
    : QWidget(parent), cube_(std::move(cube)), storePath_(std::move(storePath)) {
    setWindowTitle(QStringLiteral("Annalex Calendar Wizard"));
    dimension_ = cube_->ensureDimension(kTimeDimensionName);

    stack_ = new QStackedWidget(this);
    page_ = new ui::AnnalexCtrl(stack_);
    page_->setObjectName(QStringLiteral("calendarPage"));
    page_->setTheCube(cube_);
    page_->setTheTimeDimension(dimension_);
    connect(page_, &ui::AnnalexCtrl::wizardResult, this, &WizardWindow::onWizardResult);
    stack_->addWidget(page_);

    treePage_ = new QWidget(stack_);
    treeHeading_ = new QLabel(treePage_);
    tree_ = new ui::DimensionTree(treePage_);
    tree_->setObjectName(QStringLiteral("dimensionTree"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, treePage_);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    auto* treeLayout = new QVBoxLayout(treePage_);
    treeLayout->addWidget(treeHeading_);
    treeLayout->addWidget(tree_, 1);
    treeLayout->addWidget(buttons);
    stack_->addWidget(treePage_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_);
    stack_->setCurrentWidget(page_);
}

bool WizardWindow::showingTree() const {
    return stack_->currentWidget() == treePage_;
}

void WizardWindow::onWizardResult(bool result) {
    if (!result) {
        close();
        return;
    }
    const QString saveError = saveCubeForWizard(storePath_, *cube_);
    if (!saveError.isEmpty()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("The cube could not be saved: %1").arg(saveError));
    }
    treeHeading_->setText(QStringLiteral("Dimension \"%1\" of %2")
                              .arg(QString::fromStdString(dimension_->name()),
                                   storePath_.isEmpty() ? QStringLiteral("the cube")
                                                        : QFileInfo(storePath_).fileName()));
    tree_->showDimension(*dimension_);
    stack_->setCurrentWidget(treePage_);
    resize(qMax(width(), 640), qMax(height(), 480));
}

}  // namespace annalex::wizard
