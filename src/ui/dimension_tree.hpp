#pragma once
// A browsable view of a time dimension as generated: for each hierarchy its levels (name, type
// code, attribute definitions) and its member tree (name, level, position, attribute values).

#include <QTreeWidget>

#include "cube/memory_model.hpp"

namespace annalex::ui {

class DimensionTree final : public QTreeWidget {
    Q_OBJECT

  public:
    enum Column { NameColumn, LevelColumn, PositionColumn, AttributesColumn };

    explicit DimensionTree(QWidget* parent = nullptr);

    // Replaces what the tree shows with the dimension's present contents.
    void showDimension(const cube::MemoryDimension& dimension);
};

}  // namespace annalex::ui
