#include "GridModel.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "QtText.h"
#include "messages.h"

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::SetCell(int column, int row, std::string_view text) {
    std::string& cell = cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    if (cell == text) return;  // an unchanged cell needs no repaint
    cell = text;
    Changed(column, row);
}

QString GridModel::Cell(int column, int row) const {
    const std::string& cell = cells_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column));
    return QString::fromLatin1(cell.data(), static_cast<qsizetype>(cell.size()));
}

void GridModel::BeginUpdate() {
    ++updating_;
}

void GridModel::EndUpdate() {
    if (updating_ == 0 || --updating_ > 0 || bottom_ < 0) return;
    const QModelIndex topLeft = index(top_, left_);
    const QModelIndex bottomRight = index(bottom_, right_);
    top_ = kGridRows, bottom_ = -1, left_ = kGridColumns, right_ = -1;
    emit dataChanged(topLeft, bottomRight, {Qt::DisplayRole});
}

void GridModel::Changed(int column, int row) {
    if (updating_ == 0) {
        const QModelIndex at = index(row, column);
        emit dataChanged(at, at, {Qt::DisplayRole});
        return;
    }
    top_ = std::min(top_, row);
    bottom_ = std::max(bottom_, row);
    left_ = std::min(left_, column);
    right_ = std::max(right_, column);
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
        case Qt::AccessibleTextRole:
            // A byte cell is read with its address ("3015: 0A"), as a grid
            // heard cell by cell has no visible column to place it.
            return Q(GridCellName(index.column(), index.row(), cells_[index.row()][index.column()]));
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

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    if (orientation == Qt::Vertical) {
        if (section < 0 || section >= kGridRows) return {};
        return Cell(0, section);
    }
    return Q(GridColumnHeader(section));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // The address column is fixed: it can be neither selected nor edited.
    if (index.column() == 0) return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected) {
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
    } else if (background.isValid()) {
        painter->fillRect(option.rect, background.value<QBrush>());
    }
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    if (option.font != textsFont_ || texts_.size() > 4096) {
        texts_.clear();
        textsFont_ = option.font;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    auto found = texts_.find(text);
    if (found == texts_.end()) {
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        laidOut.prepare(QTransform(), option.font);
        found = texts_.insert(text, laidOut);
    }
    const QSizeF size = found->size();
    painter->setFont(option.font);
    painter->drawStaticText(QPointF(option.rect.x() + (option.rect.width() - size.width()) / 2,
                                    option.rect.y() + (option.rect.height() - size.height()) / 2),
                            *found);
}
