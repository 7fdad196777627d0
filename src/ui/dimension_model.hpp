#pragma once
// An item model over a time dimension of the in-memory cube, for a tree view.
//
// Below the invisible root stands one row per hierarchy; each hierarchy holds a "Levels" row
// (one child per level: name, type by name and code, position, member count, attribute
// definitions) and a "Members" row whose children are the top members, each with its children
// below it. Rows are made on demand: the children of a row are listed (as member ids) the
// first time a view asks for them, so showing the top members reads only the top members, and
// a person who opens one year lists that year's children and nothing else. Indexes carry what
// they stand for in their internal id; no object is kept per member.
//
// The model reads the dimension it was given and does not watch it: after the dimension
// changes, call setDimension again.

#include <QAbstractItemModel>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "cube/memory_model.hpp"

namespace annalex::ui {

class DimensionModel final : public QAbstractItemModel {
    Q_OBJECT

  public:
    enum Column { NameColumn, LevelColumn, PositionColumn, CountColumn, ColumnCount };

    // What a row stands for.
    enum class RowKind { Hierarchy, LevelsGroup, MembersGroup, Level, Member };

    explicit DimensionModel(QObject* parent = nullptr);
    ~DimensionModel() override;

    void setDimension(std::shared_ptr<const cube::MemoryDimension> dimension);
    const std::shared_ptr<const cube::MemoryDimension>& dimension() const { return dimension_; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    RowKind kind(const QModelIndex& index) const;
    // The hierarchy an index belongs to; nullptr for an invalid index.
    const cube::MemoryHierarchy* hierarchyOf(const QModelIndex& index) const;
    // The member id of a Member row, the level position of a Level row; kNoMember otherwise.
    std::uint32_t memberOf(const QModelIndex& index) const;
    std::uint32_t levelOf(const QModelIndex& index) const;

    // The index (first column) of a member, listing the children along its path as needed.
    QModelIndex memberIndex(std::size_t hierarchy, std::uint32_t member) const;
    // The "Members" row of a hierarchy.
    QModelIndex membersIndex(std::size_t hierarchy) const;

    // How many member rows have been listed so far, over all hierarchies.
    std::size_t listedMemberRows() const { return listedRows_; }

    // "Years (0x14)"; the bare code for a type that is not a time level.
    static QString levelTypeText(std::int32_t code);

  private:
    // The children of a member (kNoMember: the top members), listed on first use.
    const std::vector<std::uint32_t>& children(std::size_t hierarchy, std::uint32_t parent) const;
    int rowOfMember(std::size_t hierarchy, std::uint32_t member) const;
    std::size_t childCount(std::size_t hierarchy, std::uint32_t parent) const;
    QVariant memberData(std::size_t hierarchy, std::uint32_t member, int column) const;
    QVariant levelData(std::size_t hierarchy, std::uint32_t level, int column) const;

    std::shared_ptr<const cube::MemoryDimension> dimension_;
    // Per hierarchy: parent member id -> its children's ids, in placement order.
    mutable std::vector<std::unordered_map<std::uint32_t, std::vector<std::uint32_t>>> listed_;
    mutable std::size_t listedRows_ = 0;
};

}  // namespace annalex::ui
