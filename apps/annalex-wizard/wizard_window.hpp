#pragma once
// The wizard window: it hands the cube and its time dimension ("Time", created when missing)
// to the calendar page and shows the page. When the page reports success the cube is saved and
// the window turns to a tree of the generated dimension; when the page is cancelled the window
// closes.

#include <QWidget>
#include <memory>

#include "cube/memory_model.hpp"
#include "ui/annalex_widget.hpp"
#include "ui/dimension_tree.hpp"

class QStackedWidget;
class QLabel;

namespace annalex::wizard {

inline constexpr const char* kTimeDimensionName = "Time";

class WizardWindow final : public QWidget {
    Q_OBJECT

  public:
    WizardWindow(std::shared_ptr<cube::MemoryCube> cube, QString storePath,
                 QWidget* parent = nullptr);

    ui::AnnalexCtrl& page() { return *page_; }
    ui::DimensionTree& tree() { return *tree_; }
    bool showingTree() const;
    const std::shared_ptr<cube::MemoryDimension>& timeDimension() const { return dimension_; }

  private:
    void onWizardResult(bool result);

    std::shared_ptr<cube::MemoryCube> cube_;
    std::shared_ptr<cube::MemoryDimension> dimension_;
    QString storePath_;
    QStackedWidget* stack_;
    ui::AnnalexCtrl* page_;
    QWidget* treePage_;
    ui::DimensionTree* tree_;
    QLabel* treeHeading_;
};

}  // namespace annalex::wizard
