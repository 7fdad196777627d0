#pragma once
// What the host shows after a calendar was generated: the dimension as a tree (levels and
// members, rows made only as they are opened), the selected row's details (a member's
// position, path and attribute values under their captions; a level's type, member count and
// attribute definitions), a search by member or holiday name, export to JSON Lines or CSV with
// the same writer as the command line, and the ways back: "Generate again" and "Close".
//
// Export asks for a file starting in the store's folder with a name made from the store's
// (the format's extension is added to a name without one), refuses the store itself, writes on
// a worker thread with a progress box for a large dimension, and says when it has finished.
//
// Keys: Enter on a row opens or closes it, in the search box it searches, on a button it presses
// the button; Escape asks to close.
//
// The view reads the dimension whenever it paints or searches. Before the dimension is changed
// (generated again), show nothing (showDimension(nullptr)) or keep the view hidden until the
// changed dimension is shown again.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "cube/dimension_export.hpp"
#include "cube/memory_model.hpp"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class QTreeWidget;

namespace annalex::ui {

class DimensionModel;

class ResultView final : public QWidget {
    Q_OBJECT

  public:
    explicit ResultView(QWidget* parent = nullptr);
    ~ResultView() override;

    void showDimension(std::shared_ptr<const cube::MemoryDimension> dimension);
    // The cube store the dimension is kept in (empty: none): exports start beside it and never
    // write onto it.
    void setStorePath(const QString& path) { storePath_ = path; }

    QTreeView& tree() { return *tree_; }
    DimensionModel& model() { return *model_; }
    QTreeWidget& details() { return *details_; }

    // Selects the next member after the current one (wrapping round) whose name or holiday
    // (DayHoliday) holds text, ignoring ASCII case, opening the tree down to it. False when no
    // member matches.
    bool findMember(const QString& text);
    // Writes the shown dimension to path, which must not be the store; an empty string on
    // success (and the view says so), else what went wrong, naming the file.
    QString exportTo(const QString& path, cube::ExportFormat format);
    // The name the export dialog suggests: the store's folder and name with the format's
    // extension ("calendar.jsonl"), or "Time.csv" in the working folder without a store.
    QString suggestedExportPath(cube::ExportFormat format) const;

  signals:
    void generateAgainRequested();
    void closeRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void showDetails();
    void findNext();
    void askAndExport(cube::ExportFormat format);

    DimensionModel* model_;
    QLabel* heading_;
    QLineEdit* search_;
    QLabel* searchStatus_;
    QLabel* exportStatus_;
    QTreeView* tree_;
    QTreeWidget* details_;
    QString storePath_;
};

}  // namespace annalex::ui
