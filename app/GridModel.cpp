#include "GridModel.h"

#include <QApplication>
#include <QPalette>

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::SetCell(int column, int row, std::string_view text) {
    QString& cell = cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    const QString value = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    if (cell == value) return;  // an unchanged cell needs no repaint
    cell = value;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridRows;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    switch (role) {
        case Qt::DisplayRole:
            return Cell(index.column(), index.row());
        case Qt::TextAlignmentRole:
            // Centred: a four-digit address just fits the 30-pixel column.
            return QVariant::fromValue(Qt::AlignCenter);
        case Qt::BackgroundRole:
            if (index.column() == 0) return QApplication::palette().brush(QPalette::Dark);
            return {};
        default:
            return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The address column is fixed: it can be neither selected nor edited.
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}
