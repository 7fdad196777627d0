#include "ui/dimension_model.hpp"

#include <algorithm>

namespace annalex::ui {
namespace {

static_assert(sizeof(quintptr) >= 8, "internal ids pack a kind, a hierarchy and a 32-bit id");

using RowKind = DimensionModel::RowKind;
using cube::kNoMember;

// Internal id: the row's kind in the top byte, its hierarchy below, its member id or level
// position in the low 32 bits.
quintptr packId(RowKind kind, std::size_t hierarchy, std::uint32_t value) {
    return (static_cast<quintptr>(kind) << 56) | (static_cast<quintptr>(hierarchy) << 32) | value;
}
RowKind kindIn(quintptr id) {
    return static_cast<RowKind>(id >> 56);
}
std::size_t hierarchyIn(quintptr id) {
    return static_cast<std::size_t>((id >> 32) & 0xFFFFFF);
}
std::uint32_t valueIn(quintptr id) {
    return static_cast<std::uint32_t>(id);
}

constexpr int kLevelsRow = 0;
constexpr int kMembersRow = 1;

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DimensionModel::DimensionModel(QObject* parent) : QAbstractItemModel(parent) {}

DimensionModel::~DimensionModel() = default;

void DimensionModel::setDimension(std::shared_ptr<const cube::MemoryDimension> dimension) {
    beginResetModel();
    dimension_ = std::move(dimension);
    listed_.assign(dimension_ ? dimension_->hierarchies().size() : 0, {});
    listedRows_ = 0;
    endResetModel();
}

QString DimensionModel::levelTypeText(std::int32_t code) {
    const QString hex = QStringLiteral("0x") + QString::number(code, 16).toUpper();
    switch (code) {
        case cube::kLevelTypeYears:
            return QStringLiteral("Years (%1)").arg(hex);
        case cube::kLevelTypeQuarters:
            return QStringLiteral("Quarters (%1)").arg(hex);
        case cube::kLevelTypeMonths:
            return QStringLiteral("Months (%1)").arg(hex);
        case cube::kLevelTypeWeeks:
            return QStringLiteral("Weeks (%1)").arg(hex);
        case cube::kLevelTypeDays:
            return QStringLiteral("Days (%1)").arg(hex);
        default:
            return hex;
    }
}

const std::vector<std::uint32_t>& DimensionModel::children(std::size_t hierarchy,
                                                           std::uint32_t parent) const {
    auto& listed = listed_[hierarchy];
    const auto found = listed.find(parent);
    if (found != listed.end()) {
        return found->second;
    }
    const cube::MemberStore& store = *dimension_->hierarchies()[hierarchy]->store();
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = parent == kNoMember ? store.firstRoot()
                                                : store.member(parent).firstChild;
         id != kNoMember; id = store.member(id).nextSibling) {
        ids.push_back(id);
    }
    listedRows_ += ids.size();
    return listed.emplace(parent, std::move(ids)).first->second;
}

std::size_t DimensionModel::childCount(std::size_t hierarchy, std::uint32_t parent) const {
    // Counting walks the sibling chain without keeping it, so a row that is only painted does
    // not list its children.
    const auto& listed = listed_[hierarchy];
    if (const auto found = listed.find(parent); found != listed.end()) {
        return found->second.size();
    }
    const cube::MemberStore& store = *dimension_->hierarchies()[hierarchy]->store();
    std::size_t count = 0;
    for (std::uint32_t id = parent == kNoMember ? store.firstRoot()
                                                : store.member(parent).firstChild;
         id != kNoMember; id = store.member(id).nextSibling) {
        ++count;
    }
    return count;
}

int DimensionModel::rowOfMember(std::size_t hierarchy, std::uint32_t member) const {
    const cube::MemberStore& store = *dimension_->hierarchies()[hierarchy]->store();
    const auto& siblings = children(hierarchy, store.member(member).parent);
    // Ids grow in placement order, and siblings are linked in placement order.
    const auto at = std::lower_bound(siblings.begin(), siblings.end(), member);
    if (at != siblings.end() && *at == member) {
        return static_cast<int>(at - siblings.begin());
    }
    const auto any = std::find(siblings.begin(), siblings.end(), member);
    return any == siblings.end() ? -1 : static_cast<int>(any - siblings.begin());
}

QModelIndex DimensionModel::index(int row, int column, const QModelIndex& parent) const {
    if (!dimension_ || row < 0 || column < 0 || column >= ColumnCount) {
        return {};
    }
    if (!parent.isValid()) {
        if (static_cast<std::size_t>(row) >= dimension_->hierarchies().size()) {
            return {};
        }
        return createIndex(row, column, packId(RowKind::Hierarchy, row, 0));
    }
    const quintptr id = parent.internalId();
    const std::size_t h = hierarchyIn(id);
    const cube::MemoryHierarchy& hierarchy = *dimension_->hierarchies()[h];
    switch (kindIn(id)) {
        case RowKind::Hierarchy:
            if (row == kLevelsRow) {
                return createIndex(row, column, packId(RowKind::LevelsGroup, h, 0));
            }
            if (row == kMembersRow) {
                return createIndex(row, column, packId(RowKind::MembersGroup, h, 0));
            }
            return {};
        case RowKind::LevelsGroup:
            if (static_cast<std::size_t>(row) >= hierarchy.levelCount()) {
                return {};
            }
            return createIndex(row, column,
                               packId(RowKind::Level, h, static_cast<std::uint32_t>(row)));
        case RowKind::MembersGroup:
        case RowKind::Member: {
            const std::uint32_t parentMember =
                kindIn(id) == RowKind::Member ? valueIn(id) : kNoMember;
            const auto& ids = children(h, parentMember);
            if (static_cast<std::size_t>(row) >= ids.size()) {
                return {};
            }
            return createIndex(row, column,
                               packId(RowKind::Member, h, ids[static_cast<std::size_t>(row)]));
        }
        case RowKind::Level:
            return {};
    }
    return {};
}

QModelIndex DimensionModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    const quintptr id = child.internalId();
    const std::size_t h = hierarchyIn(id);
    switch (kindIn(id)) {
        case RowKind::Hierarchy:
            return {};
        case RowKind::LevelsGroup:
        case RowKind::MembersGroup:
            return createIndex(static_cast<int>(h), 0, packId(RowKind::Hierarchy, h, 0));
        case RowKind::Level:
            return createIndex(kLevelsRow, 0, packId(RowKind::LevelsGroup, h, 0));
        case RowKind::Member: {
            const cube::MemberStore& store = *dimension_->hierarchies()[h]->store();
            const std::uint32_t up = store.member(valueIn(id)).parent;
            if (up == kNoMember) {
                return createIndex(kMembersRow, 0, packId(RowKind::MembersGroup, h, 0));
            }
            return createIndex(rowOfMember(h, up), 0, packId(RowKind::Member, h, up));
        }
    }
    return {};
}

int DimensionModel::rowCount(const QModelIndex& parent) const {
    if (!dimension_) {
        return 0;
    }
    if (!parent.isValid()) {
        return static_cast<int>(dimension_->hierarchies().size());
    }
    if (parent.column() != 0) {
        return 0;
    }
    const quintptr id = parent.internalId();
    const std::size_t h = hierarchyIn(id);
    switch (kindIn(id)) {
        case RowKind::Hierarchy:
            return 2;
        case RowKind::LevelsGroup:
            return static_cast<int>(dimension_->hierarchies()[h]->levelCount());
        case RowKind::MembersGroup:
            return static_cast<int>(children(h, kNoMember).size());
        case RowKind::Member:
            return static_cast<int>(children(h, valueIn(id)).size());
        case RowKind::Level:
            return 0;
    }
    return 0;
}

bool DimensionModel::hasChildren(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return dimension_ && !dimension_->hierarchies().empty();
    }
    if (parent.column() != 0) {
        return false;
    }
    const quintptr id = parent.internalId();
    const cube::MemoryHierarchy& hierarchy = *dimension_->hierarchies()[hierarchyIn(id)];
    switch (kindIn(id)) {
        case RowKind::Hierarchy:
            return true;
        case RowKind::LevelsGroup:
            return hierarchy.levelCount() > 0;
        case RowKind::MembersGroup:
            return hierarchy.store()->firstRoot() != kNoMember;
        case RowKind::Member:
            return hierarchy.store()->member(valueIn(id)).firstChild != kNoMember;
        case RowKind::Level:
            return false;
    }
    return false;
}

int DimensionModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant DimensionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case NameColumn:
            return QStringLiteral("Name");
        case LevelColumn:
            return QStringLiteral("Level / type");
        case PositionColumn:
            return QStringLiteral("Position");
        case CountColumn:
            return QStringLiteral("Members below");
        default:
            return {};
    }
}

QVariant DimensionModel::memberData(std::size_t h, std::uint32_t member, int column) const {
    const cube::MemoryHierarchy& hierarchy = *dimension_->hierarchies()[h];
    const cube::MemberView view = hierarchy.member(member);
    switch (column) {
        case NameColumn:
            return qs(view.name());
        case LevelColumn:
            return qs(hierarchy.level(view.levelPosition()).name());
        case PositionColumn:
            return view.order();
        case CountColumn: {
            const std::size_t count = childCount(h, member);
            return count == 0 ? QVariant() : QVariant(static_cast<qulonglong>(count));
        }
        default:
            return {};
    }
}

QVariant DimensionModel::levelData(std::size_t h, std::uint32_t position, int column) const {
    const cube::MemoryHierarchy& hierarchy = *dimension_->hierarchies()[h];
    const cube::MemoryLevel& level = hierarchy.level(position);
    switch (column) {
        case NameColumn:
            return qs(level.name());
        case LevelColumn:
            return levelTypeText(level.type());
        case PositionColumn:
            return static_cast<int>(position) + 1;
        case CountColumn:
            return static_cast<qulonglong>(hierarchy.store()->levelMemberCount(position));
        default:
            return {};
    }
}

QVariant DimensionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !dimension_) {
        return {};
    }
    const quintptr id = index.internalId();
    const std::size_t h = hierarchyIn(id);
    const cube::MemoryHierarchy& hierarchy = *dimension_->hierarchies()[h];
    if (role == Qt::TextAlignmentRole && index.column() >= PositionColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    const int column = index.column();
    switch (kindIn(id)) {
        case RowKind::Hierarchy:
            if (column == NameColumn) {
                return QStringLiteral("%1 / %2").arg(qs(dimension_->name()), qs(hierarchy.name()));
            }
            if (column == CountColumn) {
                return static_cast<qulonglong>(hierarchy.memberCount());
            }
            return {};
        case RowKind::LevelsGroup:
            return column == NameColumn ? QVariant(QStringLiteral("Levels")) : QVariant();
        case RowKind::MembersGroup:
            if (column == NameColumn) {
                return QStringLiteral("Members");
            }
            if (column == CountColumn) {
                return static_cast<qulonglong>(hierarchy.memberCount());
            }
            return {};
        case RowKind::Level:
            return levelData(h, valueIn(id), column);
        case RowKind::Member:
            return memberData(h, valueIn(id), column);
    }
    return {};
}

DimensionModel::RowKind DimensionModel::kind(const QModelIndex& index) const {
    return kindIn(index.internalId());
}

const cube::MemoryHierarchy* DimensionModel::hierarchyOf(const QModelIndex& index) const {
    if (!index.isValid() || !dimension_) {
        return nullptr;
    }
    return dimension_->hierarchies()[hierarchyIn(index.internalId())].get();
}

std::uint32_t DimensionModel::memberOf(const QModelIndex& index) const {
    if (!index.isValid() || kind(index) != RowKind::Member) {
        return kNoMember;
    }
    return valueIn(index.internalId());
}

std::uint32_t DimensionModel::levelOf(const QModelIndex& index) const {
    if (!index.isValid() || kind(index) != RowKind::Level) {
        return kNoMember;
    }
    return valueIn(index.internalId());
}

QModelIndex DimensionModel::membersIndex(std::size_t hierarchy) const {
    if (!dimension_ || hierarchy >= dimension_->hierarchies().size()) {
        return {};
    }
    return createIndex(kMembersRow, 0, packId(RowKind::MembersGroup, hierarchy, 0));
}

QModelIndex DimensionModel::memberIndex(std::size_t hierarchy, std::uint32_t member) const {
    if (!dimension_ || hierarchy >= dimension_->hierarchies().size() ||
        member >= dimension_->hierarchies()[hierarchy]->memberCount()) {
        return {};
    }
    const int row = rowOfMember(hierarchy, member);
    if (row < 0) {
        return {};
    }
    return createIndex(row, 0, packId(RowKind::Member, hierarchy, member));
}

}  // namespace annalex::ui
