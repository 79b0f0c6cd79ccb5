// The text cells of the memory grid as a Qt table model: 17 columns, 256
// rows, column 0 the fixed address column drawn in the button-shadow colour.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>

#include "memimage.h"

class GridModel : public QAbstractTableModel, public GridCells {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void SetCell(int column, int row, std::string_view text) override;
    const QString& Cell(int column, int row) const { return cells_[row][column]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::array<std::array<QString, kGridColumns>, kGridRows> cells_;
};
