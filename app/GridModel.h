// The text cells of the memory grid as a Qt table model: 17 columns, 256
// rows, column 0 the fixed address column drawn in the button-shadow colour.
#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QString>
#include <array>
#include <string>

#include "grid_layout.h"

class GridModel : public QAbstractTableModel, public GridCells {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void SetCell(int column, int row, std::string_view text) override;
    void BeginUpdate() override;
    void EndUpdate() override;
    QString Cell(int column, int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The headers a screen reader announces (the view hides them): the
    // row's address down the side, "Adresa" and 0..F across the top.
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void Changed(int column, int row);

    // Cell texts are a few ASCII digits: short strings need no allocation.
    std::array<std::array<std::string, kGridColumns>, kGridRows> cells_;
    int updating_ = 0;
    // The changed cells of the running update: rows and columns they span.
    int top_ = kGridRows, bottom_ = -1, left_ = kGridColumns, right_ = -1;
};

// Draws the grid's cells: centred text, the address column on the
// button-shadow colour, the selected cell highlighted. Leaner than the
// general delegate, which lays out icons, check boxes and elided text that
// these cells never have.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Laid-out texts by content; a grid holds a few hundred distinct ones.
    mutable QHash<QString, QStaticText> texts_;
    mutable QFont textsFont_;
};
