#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "catalogue/BodyPartList.h"

namespace morvik {

// Shows a BodyPartList in a grid: name, abbreviation and factory code, the last two hidden by
// the view. The list itself lives in the order session; the view only reads it. The model
// answers with the rows it last announced, so that views and accessibility clients never learn
// of a change before Reload; a cell the list no longer has reads as nothing.
class BodyPartTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    BodyPartTableModel(const BodyPartList& list, QStringList headers, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The list changed underneath: show it afresh.
    void Reload();

  private:
    const BodyPartList& list_;
    QStringList headers_;
    int shownRows_ = 0;
};

}  // namespace morvik
