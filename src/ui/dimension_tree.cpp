#include "ui/dimension_tree.hpp"

#include <vector>

namespace annalex::ui {
namespace {

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString levelTypeText(std::int32_t code) {
    return QStringLiteral("0x") + QString::number(code, 16).toUpper();
}

void addLevels(QTreeWidgetItem* parent, const cube::MemoryHierarchy& hierarchy) {
    auto* levels = new QTreeWidgetItem(parent, {QStringLiteral("Levels")});
    for (std::size_t i = 0; i < hierarchy.levelCount(); ++i) {
        const cube::MemoryLevel& level = hierarchy.level(i);
        QStringList definitions;
        for (const auto& definition : level.attributeDefs()) {
            definitions << qs(definition->getName()) + QStringLiteral(" (") +
                               qs(definition->getCaption()) + QLatin1Char(')');
        }
        auto* item = new QTreeWidgetItem(levels);
        item->setText(DimensionTree::NameColumn, qs(level.name()));
        item->setText(DimensionTree::LevelColumn, levelTypeText(level.type()));
        item->setText(DimensionTree::PositionColumn, QString::number(i + 1));
        item->setText(DimensionTree::AttributesColumn, definitions.join(QStringLiteral("; ")));
    }
}

void addMembers(QTreeWidgetItem* parent, const cube::MemoryHierarchy& hierarchy) {
    auto* members = new QTreeWidgetItem(
        parent, {QStringLiteral("Members"), QString(), QString::number(hierarchy.memberCount())});
    // The walk is parent first, so the item of depth d hangs under the last item of depth d-1.
    std::vector<QTreeWidgetItem*> path{members};
    hierarchy.walkPreOrder([&](const cube::MemberView& member, int depth) {
        path.resize(static_cast<std::size_t>(depth) + 1);
        QStringList attributes;
        hierarchy.forEachAttribute(member.id, [&](std::string_view key, std::string_view value) {
            attributes << qs(key) + QLatin1Char('=') + qs(value);
        });
        auto* item = new QTreeWidgetItem(path.back());
        item->setText(DimensionTree::NameColumn, qs(member.name()));
        item->setText(DimensionTree::LevelColumn,
                      qs(hierarchy.level(member.levelPosition()).name()));
        item->setText(DimensionTree::PositionColumn, QString::number(member.order()));
        item->setText(DimensionTree::AttributesColumn, attributes.join(QStringLiteral("; ")));
        path.push_back(item);
    });
}

}  // namespace

DimensionTree::DimensionTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(4);
    setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Level"), QStringLiteral("Position"),
                     QStringLiteral("Attributes")});
    setUniformRowHeights(true);
}

void DimensionTree::showDimension(const cube::MemoryDimension& dimension) {
    clear();
    auto* root = new QTreeWidgetItem(this, {qs(dimension.name())});
    if (dimension.hierarchies().empty()) {
        new QTreeWidgetItem(root, {QStringLiteral("(no hierarchy)")});
    }
    for (const auto& hierarchy : dimension.hierarchies()) {
        auto* item = new QTreeWidgetItem(root, {qs(hierarchy->name())});
        addLevels(item, *hierarchy);
        addMembers(item, *hierarchy);
    }
    // Open down to the top members, and the first top member one step further, so that the
    // shape of the calendar shows at once; the rest opens as the person browses.
    expandToDepth(2);
    for (int h = 0; h < root->childCount(); ++h) {
        QTreeWidgetItem* hierarchyItem = root->child(h);
        QTreeWidgetItem* members = hierarchyItem->child(hierarchyItem->childCount() - 1);
        if (members != nullptr && members->childCount() > 0) {
            members->child(0)->setExpanded(true);
        }
    }
    for (int column = 0; column < columnCount(); ++column) {
        resizeColumnToContents(column);
    }
}

}  // namespace annalex::ui
