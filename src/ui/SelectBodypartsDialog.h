#pragma once

#include <QDialog>
#include <filesystem>

#include "app/CatalogueChoice.h"
#include "catalogue/CatalogueDatabase.h"
#include "ui/QtOperatorChannel.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace morvik {

class ErrorLog;

// frmSelectBodyparts "Bodyparts auswählen": which catalogue rows the main window offers from
// its next start on. Loaded from Bodypart.mdb at every opening.
class SelectBodypartsDialog : public QDialog {
    Q_OBJECT
  public:
    SelectBodypartsDialog(const std::filesystem::path& programFolder, ErrorLog& log,
                          QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showChecks();
    void itemChanged(QTreeWidgetItem* item);
    void Confirm();

    CatalogueDatabase db_;
    QtOperatorChannel op_;
    CatalogueChoice model_;
    QTreeWidget* bodyPartList_;
};

}  // namespace morvik
