#include "ui/BodyPartTableModel.h"

namespace morvik {

BodyPartTableModel::BodyPartTableModel(const BodyPartList& list, QStringList headers,
                                       QObject* parent)
    : QAbstractTableModel(parent), list_(list), headers_(std::move(headers)) {}

int BodyPartTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(list_.Count());
}

int BodyPartTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 3;
}

QVariant BodyPartTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) return {};
    const std::string& text =
        list_.Cell(static_cast<std::size_t>(index.row()) + 1, index.column() + 1);
    return QString::fromStdString(text);
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
    endResetModel();
}

}  // namespace morvik
