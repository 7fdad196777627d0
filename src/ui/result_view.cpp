#include "ui/result_view.hpp"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <string_view>
#include <vector>

#include "ui/busy_scope.hpp"
#include "ui/dimension_model.hpp"
#include "ui/enter_push_button.hpp"
#include "ui/export_file.hpp"

namespace annalex::ui {
namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether name holds needle (already lower case), ignoring ASCII case; other bytes compare
// exactly, so a UTF-8 name is matched by its own spelling.
bool holds(std::string_view name, std::string_view needle) {
    return std::search(name.begin(), name.end(), needle.begin(), needle.end(),
                       [](char a, char b) { return lowerAscii(a) == b; }) != name.end();
}

// The attribute a day's holiday is named in; the search finds members by it too.
constexpr std::string_view kHolidayKey = "DayHoliday";

// The wait pointer for as long as the object lives.
class BusyPointer {
  public:
    BusyPointer() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QGuiApplication::restoreOverrideCursor(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;
};

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* made = new EnterPushButton(text, parent);
    made->setObjectName(QLatin1String(name));
    made->setAutoDefault(false);
    return made;
}

void addDetail(QTreeWidget& details, const QString& field, const QString& value) {
    auto* item = new QTreeWidgetItem(&details, {field, value});
    // A long value (a day's path) is shortened in its middle in a narrow pane; the tip shows
    // it whole.
    item->setToolTip(1, value);
}

}  // namespace

ResultView::ResultView(QWidget* parent)
    : QWidget(parent),
      model_(new DimensionModel(this)),
      heading_(new QLabel(this)),
      search_(new QLineEdit(this)),
      searchStatus_(new QLabel(this)),
      exportStatus_(new QLabel(this)),
      tree_(new QTreeView(this)),
      details_(new QTreeWidget(this)) {
    heading_->setObjectName(QStringLiteral("heading"));

    search_->setObjectName(QStringLiteral("searchEdit"));
    search_->setPlaceholderText(QStringLiteral("Member or holiday name, or part of it"));
    search_->setClearButtonEnabled(true);
    auto* findLabel = new QLabel(QStringLiteral("&Find member:"), this);
    findLabel->setBuddy(search_);
    auto* find = button(QStringLiteral("Find next"), "findButton", this);
    searchStatus_->setObjectName(QStringLiteral("searchStatus"));
    connect(search_, &QLineEdit::returnPressed, this, &ResultView::findNext);
    connect(find, &QPushButton::clicked, this, &ResultView::findNext);

    tree_->setObjectName(QStringLiteral("dimensionView"));
    tree_->setModel(model_);
    tree_->setUniformRowHeights(true);
    tree_->setAllColumnsShowFocus(true);
    // Every column is as wide as what it shows (the rows on screen and around them), so no
    // name is cut; the view scrolls sideways when they are wider than the window.
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &ResultView::showDetails);

    details_->setObjectName(QStringLiteral("detailsView"));
    details_->setColumnCount(2);
    details_->setHeaderLabels({QStringLiteral("Field"), QStringLiteral("Value")});
    details_->setRootIsDecorated(false);
    details_->setTextElideMode(Qt::ElideMiddle);
    details_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    details_->header()->setStretchLastSection(true);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(tree_);
    split->addWidget(details_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    auto* exportJson = button(QStringLiteral("Export JSON Lines..."), "exportJsonButton", this);
    auto* exportCsv = button(QStringLiteral("Export CSV..."), "exportCsvButton", this);
    auto* again = button(QStringLiteral("Generate again"), "generateAgainButton", this);
    auto* close = button(QStringLiteral("Close"), "closeButton", this);
    connect(exportJson, &QPushButton::clicked, this,
            [this] { askAndExport(cube::ExportFormat::JsonLines); });
    connect(exportCsv, &QPushButton::clicked, this,
            [this] { askAndExport(cube::ExportFormat::Csv); });
    connect(again, &QPushButton::clicked, this, &ResultView::generateAgainRequested);
    connect(close, &QPushButton::clicked, this, &ResultView::closeRequested);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(findLabel);
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(find);
    searchRow->addWidget(searchStatus_, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(exportJson);
    buttonRow->addWidget(exportCsv);
    exportStatus_->setObjectName(QStringLiteral("exportStatus"));
    exportStatus_->setWordWrap(true);
    buttonRow->addWidget(exportStatus_, 1);
    buttonRow->addWidget(again);
    buttonRow->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addLayout(searchRow);
    layout->addWidget(split, 1);
    layout->addLayout(buttonRow);
}

ResultView::~ResultView() = default;

void ResultView::showDimension(std::shared_ptr<const cube::MemoryDimension> dimension) {
    std::size_t members = 0;
    if (dimension) {
        for (const auto& hierarchy : dimension->hierarchies()) {
            members += hierarchy->memberCount();
        }
        const std::size_t hierarchies = dimension->hierarchies().size();
        heading_->setText(
            QStringLiteral("Dimension \"%1\": %2 %3, %4 members")
                .arg(qs(dimension->name()))
                .arg(hierarchies)
                .arg(hierarchies == 1 ? QStringLiteral("hierarchy") : QStringLiteral("hierarchies"))
                .arg(members));
    } else {
        heading_->clear();
    }
    model_->setDimension(std::move(dimension));
    details_->clear();
    searchStatus_->clear();
    exportStatus_->clear();
    // Open each hierarchy down to its levels and top members; members below open on demand.
    for (int h = 0; h < model_->rowCount(); ++h) {
        const QModelIndex hierarchy = model_->index(h, 0);
        tree_->expand(hierarchy);
        for (int group = 0; group < model_->rowCount(hierarchy); ++group) {
            tree_->expand(model_->index(group, 0, hierarchy));
        }
    }
}

void ResultView::showDetails() {
    details_->clear();
    const QModelIndex current = tree_->currentIndex().siblingAtColumn(0);
    const cube::MemoryHierarchy* hierarchy = model_->hierarchyOf(current);
    if (hierarchy == nullptr) {
        return;
    }
    if (model_->kind(current) == DimensionModel::RowKind::Member) {
        const std::uint32_t id = model_->memberOf(current);
        const cube::MemberView member = hierarchy->member(id);
        const cube::MemoryLevel& level = hierarchy->level(member.levelPosition());
        QStringList path;
        for (std::uint32_t up = id; up != cube::kNoMember; up = hierarchy->member(up).parent()) {
            path.prepend(qs(hierarchy->member(up).name()));
        }
        addDetail(*details_, QStringLiteral("Name"), qs(member.name()));
        addDetail(*details_, QStringLiteral("Level"),
                  QStringLiteral("%1, %2").arg(qs(level.name()),
                                               DimensionModel::levelTypeText(level.type())));
        addDetail(*details_, QStringLiteral("Position"), QString::number(member.order()));
        addDetail(*details_, QStringLiteral("Path"), path.join(QStringLiteral(" / ")));
        const QVariant below = model_->data(current.siblingAtColumn(DimensionModel::CountColumn));
        addDetail(*details_, QStringLiteral("Members below"),
                  below.isValid() ? below.toString() : QStringLiteral("0"));
        // Attribute values in the order of the level's definitions, under their captions.
        std::vector<QString> values(level.attributeDefs().size());
        hierarchy->forEachAttribute(id, [&](std::string_view key, std::string_view value) {
            const int at = level.attributeIndex(key);
            if (at >= 0) {
                values[static_cast<std::size_t>(at)] = qs(value);
            }
        });
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto& definition = *level.attributeDefs()[i];
            // The caption reads best; the key, which exports and stores use, is its tooltip.
            addDetail(*details_, qs(definition.caption()), values[i]);
            details_->topLevelItem(details_->topLevelItemCount() - 1)
                ->setToolTip(0, qs(definition.key()));
        }
    } else if (model_->kind(current) == DimensionModel::RowKind::Level) {
        const std::uint32_t position = model_->levelOf(current);
        const cube::MemoryLevel& level = hierarchy->level(position);
        addDetail(*details_, QStringLiteral("Level"), qs(level.name()));
        addDetail(*details_, QStringLiteral("Type"), DimensionModel::levelTypeText(level.type()));
        addDetail(*details_, QStringLiteral("Position"), QString::number(position + 1));
        addDetail(*details_, QStringLiteral("Members"),
                  QString::number(hierarchy->store()->levelMemberCount(position)));
        for (const auto& definition : level.attributeDefs()) {
            addDetail(*details_, QStringLiteral("Attribute %1").arg(qs(definition->key())),
                      qs(definition->caption()));
        }
    }
}

bool ResultView::findMember(const QString& text) {
    const auto& dimension = model_->dimension();
    const QByteArray wanted = text.trimmed().toUtf8();
    if (!dimension || wanted.isEmpty() || dimension->hierarchies().empty()) {
        return false;
    }
    std::string needle(wanted.constData(), static_cast<std::size_t>(wanted.size()));
    std::transform(needle.begin(), needle.end(), needle.begin(), lowerAscii);

    // Start after the current member, or at the first one.
    const QModelIndex current = tree_->currentIndex().siblingAtColumn(0);
    const auto& hierarchies = dimension->hierarchies();
    std::size_t startHierarchy = 0;
    std::uint64_t startId = 0;
    if (model_->kind(current) == DimensionModel::RowKind::Member && current.isValid()) {
        for (std::size_t h = 0; h < hierarchies.size(); ++h) {
            if (hierarchies[h].get() == model_->hierarchyOf(current)) {
                startHierarchy = h;
            }
        }
        startId = std::uint64_t{model_->memberOf(current)} + 1;
    }

    BusyPointer busy;
    // Whether a member's holiday holds the needle; only levels that name holidays are asked.
    const auto holidayHolds = [&needle](const cube::MemoryHierarchy& hierarchy,
                                        const std::vector<bool>& namesHolidays, std::uint32_t id) {
        if (!namesHolidays[hierarchy.member(id).levelPosition()]) {
            return false;
        }
        bool found = false;
        hierarchy.forEachAttribute(id, [&](std::string_view key, std::string_view value) {
            found = found || (key == kHolidayKey && holds(value, needle));
        });
        return found;
    };
    // Ids run in placement order, which is the tree's order from top to bottom. The walk goes
    // round once: the rest of the start hierarchy, the others, then its beginning.
    for (std::size_t step = 0; step <= hierarchies.size(); ++step) {
        const std::size_t h = (startHierarchy + step) % hierarchies.size();
        const cube::MemoryHierarchy& hierarchy = *hierarchies[h];
        const cube::MemberStore& store = *hierarchy.store();
        std::vector<bool> namesHolidays(hierarchy.levelCount());
        for (std::size_t level = 0; level < namesHolidays.size(); ++level) {
            namesHolidays[level] = hierarchy.level(level).attributeIndex(kHolidayKey) >= 0;
        }
        const std::uint64_t from = step == 0 ? startId : 0;
        const std::uint64_t to = step == hierarchies.size()
                                     ? std::min<std::uint64_t>(startId, store.memberCount())
                                     : store.memberCount();
        for (std::uint64_t id = from; id < to; ++id) {
            const auto member = static_cast<std::uint32_t>(id);
            if (!holds(store.member(member).name.view(), needle) &&
                !holidayHolds(hierarchy, namesHolidays, member)) {
                continue;
            }
            const QModelIndex found = model_->memberIndex(h, static_cast<std::uint32_t>(id));
            for (QModelIndex up = found.parent(); up.isValid(); up = up.parent()) {
                tree_->expand(up);
            }
            tree_->setCurrentIndex(found);
            tree_->scrollTo(found, QAbstractItemView::PositionAtCenter);
            return true;
        }
    }
    return false;
}

void ResultView::findNext() {
    if (search_->text().trimmed().isEmpty()) {
        searchStatus_->clear();
        return;
    }
    searchStatus_->setText(
        findMember(search_->text())
            ? QString()
            : QStringLiteral("No member containing \"%1\"").arg(search_->text()));
}

QString ResultView::exportTo(const QString& path, cube::ExportFormat format) {
    exportStatus_->clear();
    const auto& dimension = model_->dimension();
    if (!dimension) {
        return QStringLiteral("There is no dimension to export.");
    }
    const QString shown = QDir::toNativeSeparators(path);
    if (!storePath_.isEmpty() && sameFile(path, storePath_)) {
        return QStringLiteral(
                   "\"%1\" is the cube store this calendar is kept in: choose another "
                   "file for the export.")
            .arg(shown);
    }
    if (QFileInfo(path).isDir()) {
        return QStringLiteral("\"%1\" is a folder: choose a file for the export.").arg(shown);
    }
    // A line for each member, each level and each hierarchy, and a heading or two.
    std::uint64_t members = 0;
    std::uint64_t lines = 2;
    for (const auto& hierarchy : dimension->hierarchies()) {
        members += hierarchy->memberCount();
        lines += 1 + hierarchy->levelCount() + hierarchy->memberCount();
    }
    std::atomic<std::uint64_t> written{0};
    QString problem;
    {
        BusyScope busy;
        runWithProgress(
            this, QStringLiteral("Exporting to %1...").arg(QFileInfo(path).fileName()),
            [&] { problem = writeDimensionFile(*dimension, format, path, &written); },
            [&] { return static_cast<int>(std::min<std::uint64_t>(99, written * 100 / lines)); });
    }
    if (problem.isEmpty()) {
        exportStatus_->setText(QStringLiteral("Exported %1 members to %2.")
                                   .arg(QLocale().toString(static_cast<qulonglong>(members)),
                                        QFileInfo(path).fileName()));
    }
    return problem;
}

QString ResultView::suggestedExportPath(cube::ExportFormat format) const {
    const QString extension =
        format == cube::ExportFormat::JsonLines ? QStringLiteral("jsonl") : QStringLiteral("csv");
    if (storePath_.isEmpty()) {
        const QString name = model_->dimension() ? qs(model_->dimension()->name()) : QString();
        return QDir::current().filePath((name.isEmpty() ? QStringLiteral("Time") : name) +
                                        QLatin1Char('.') + extension);
    }
    const QFileInfo store(storePath_);
    return store.absoluteDir().filePath(store.completeBaseName() + QLatin1Char('.') + extension);
}

void ResultView::askAndExport(cube::ExportFormat format) {
    const bool json = format == cube::ExportFormat::JsonLines;
    QFileDialog dialog(
        this, json ? QStringLiteral("Export as JSON Lines") : QStringLiteral("Export as CSV"),
        QString(), json ? QStringLiteral("JSON Lines (*.jsonl)") : QStringLiteral("CSV (*.csv)"));
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(json ? QStringLiteral("jsonl") : QStringLiteral("csv"));
    const QFileInfo suggested(suggestedExportPath(format));
    dialog.setDirectory(suggested.absolutePath());
    dialog.selectFile(suggested.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const QString problem = exportTo(dialog.selectedFiles().constFirst(), format);
    if (!problem.isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("Export"), problem);
    }
}

void ResultView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // The tree passes Enter on; on a row it opens or closes the row. The search box has
        // searched already, and nothing else acts on it.
        const QModelIndex current = tree_->currentIndex().siblingAtColumn(0);
        if (focusWidget() == tree_ && model_->hasChildren(current)) {
            tree_->setExpanded(current, !tree_->isExpanded(current));
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace annalex::ui
