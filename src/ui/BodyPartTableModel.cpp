#include "ui/BodyPartTableModel.h"

#include <algorithm>
#include <climits>

namespace morvik {

BodyPartTableModel::BodyPartTableModel(const BodyPartList& list, QStringList headers,
                                       QObject* parent)
    : QAbstractTableModel(parent), list_(list), headers_(std::move(headers)) {
    Reload();
}

int BodyPartTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int BodyPartTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant BodyPartTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
    const auto row = static_cast<std::size_t>(index.row()) + 1;
    if (index.row() < 0 || row > list_.Count() || index.column() < 0 || index.column() > 2) {
        return {};
    }
    return QString::fromStdString(list_.Cell(row, index.column() + 1));
}

QVariant BodyPartTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < headers_.size()) {
        return headers_[section];
    }
    return {};
}

void BodyPartTableModel::Reload() {
    beginResetModel();
    shownRows_ = static_cast<int>(std::min<std::size_t>(list_.Count(), INT_MAX));
    endResetModel();
}

}  // namespace morvik
