#include "ui/SelectBodypartsDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace morvik {

namespace {

// The dialog has no default button: Enter in the list must not press one, least of all "Alle
// auswählen", which would undo what the operator unchecked.
QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

SelectBodypartsDialog::SelectBodypartsDialog(const std::filesystem::path& programFolder,
                                             ErrorLog& log, QWidget* parent)
    : QDialog(parent), db_(programFolder, log), model_(db_, log, op_) {
    setObjectName("frmSelectBodyparts");
    setWindowTitle(QStringLiteral("Bodyparts auswählen"));

    bodyPartList_ = new QTreeWidget(this);
    bodyPartList_->setObjectName("lvSelectBodyparts");
    bodyPartList_->setColumnCount(1);
    bodyPartList_->setHeaderLabels({QStringLiteral("Körperteile")});
    bodyPartList_->setAccessibleName(QStringLiteral("Körperteile"));
    bodyPartList_->setRootIsDecorated(false);
    bodyPartList_->setUniformRowHeights(true);
    bodyPartList_->header()->setStretchLastSection(true);

    auto* checkAllButton = button(QStringLiteral("&Alle auswählen"), "cmdAlle", this);
    auto* checkNoneButton = button(QStringLiteral("&Keine auswählen"), "cmdNone", this);
    auto* restartNote =
        new QLabel(QStringLiteral("(Wird erst nach Neustart des Programmes wirksam.)"), this);
    restartNote->setObjectName("lblLabel");
    restartNote->setWordWrap(true);
    auto* confirmButton = button(QStringLiteral("&OK"), "cmdOK", this);
    auto* cancelButton = button(QStringLiteral("A&bbrechen"), "cmdCancel", this);

    auto* choose = new QHBoxLayout;
    choose->addWidget(checkAllButton);
    choose->addWidget(checkNoneButton);
    choose->addStretch(1);
    auto* close = new QHBoxLayout;
    close->addStretch(1);
    close->addWidget(confirmButton);
    close->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bodyPartList_, 1);
    layout->addLayout(choose);
    layout->addWidget(restartNote);
    layout->addLayout(close);
    resize(360, 480);

    setTabOrder(bodyPartList_, checkAllButton);
    setTabOrder(checkAllButton, checkNoneButton);
    setTabOrder(checkNoneButton, confirmButton);
    setTabOrder(confirmButton, cancelButton);

    model_.Load();
    for (const auto& item : model_.Items()) {
        auto* row = new QTreeWidgetItem(bodyPartList_, {QString::fromStdString(item.name)});
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setData(0, Qt::UserRole, static_cast<qlonglong>(item.id));
    }
    showChecks();
    if (bodyPartList_->topLevelItemCount() > 0) {
        bodyPartList_->setCurrentItem(bodyPartList_->topLevelItem(0));
    }

    connect(bodyPartList_, &QTreeWidget::itemChanged, this, &SelectBodypartsDialog::itemChanged);
    connect(checkAllButton, &QPushButton::clicked, this, [this] {
        model_.CheckAll();
        showChecks();
    });
    connect(checkNoneButton, &QPushButton::clicked, this, [this] {
        model_.CheckNone();
        showChecks();
    });
    connect(confirmButton, &QPushButton::clicked, this, &SelectBodypartsDialog::Confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    confirmButton->installEventFilter(this);
    cancelButton->installEventFilter(this);
}

// Enter presses a focused "OK" or "Abbrechen": both take the choice as it stands.
bool SelectBodypartsDialog::eventFilter(QObject* watched, QEvent* event) {
    auto* focused = qobject_cast<QPushButton*>(watched);
    if (focused && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focused->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SelectBodypartsDialog::showChecks() {
    const QSignalBlocker quiet(bodyPartList_);
    const auto& items = model_.Items();
    for (int i = 0; i < bodyPartList_->topLevelItemCount(); ++i) {
        bodyPartList_->topLevelItem(i)->setCheckState(
            0, items[static_cast<std::size_t>(i)].checked ? Qt::Checked : Qt::Unchecked);
    }
}

void SelectBodypartsDialog::itemChanged(QTreeWidgetItem* item) {
    const int index = bodyPartList_->indexOfTopLevelItem(item);
    if (index < 0) return;
    model_.SetChecked(static_cast<std::size_t>(index), item->checkState(0) == Qt::Checked);
}

void SelectBodypartsDialog::Confirm() {
    if (model_.Confirm()) accept();
}

}  // namespace morvik
