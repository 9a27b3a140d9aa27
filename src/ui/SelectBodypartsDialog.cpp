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

    lvSelectBodyparts_ = new QTreeWidget(this);
    lvSelectBodyparts_->setObjectName("lvSelectBodyparts");
    lvSelectBodyparts_->setColumnCount(1);
    lvSelectBodyparts_->setHeaderLabels({QStringLiteral("Körperteile")});
    lvSelectBodyparts_->setAccessibleName(QStringLiteral("Körperteile"));
    lvSelectBodyparts_->setRootIsDecorated(false);
    lvSelectBodyparts_->setUniformRowHeights(true);
    lvSelectBodyparts_->header()->setStretchLastSection(true);

    auto* cmdAlle = button(QStringLiteral("&Alle auswählen"), "cmdAlle", this);
    auto* cmdNone = button(QStringLiteral("&Keine auswählen"), "cmdNone", this);
    auto* lblLabel =
        new QLabel(QStringLiteral("(Wird erst nach Neustart des Programmes wirksam.)"), this);
    lblLabel->setObjectName("lblLabel");
    lblLabel->setWordWrap(true);
    auto* cmdOK = button(QStringLiteral("&OK"), "cmdOK", this);
    auto* cmdCancel = button(QStringLiteral("A&bbrechen"), "cmdCancel", this);

    auto* choose = new QHBoxLayout;
    choose->addWidget(cmdAlle);
    choose->addWidget(cmdNone);
    choose->addStretch(1);
    auto* close = new QHBoxLayout;
    close->addStretch(1);
    close->addWidget(cmdOK);
    close->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lvSelectBodyparts_, 1);
    layout->addLayout(choose);
    layout->addWidget(lblLabel);
    layout->addLayout(close);
    resize(360, 480);

    setTabOrder(lvSelectBodyparts_, cmdAlle);
    setTabOrder(cmdAlle, cmdNone);
    setTabOrder(cmdNone, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    model_.Load();
    for (const auto& item : model_.Items()) {
        auto* row = new QTreeWidgetItem(lvSelectBodyparts_, {QString::fromStdString(item.name)});
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        row->setData(0, Qt::UserRole, static_cast<qlonglong>(item.id));
    }
    showChecks();
    if (lvSelectBodyparts_->topLevelItemCount() > 0) {
        lvSelectBodyparts_->setCurrentItem(lvSelectBodyparts_->topLevelItem(0));
    }

    connect(lvSelectBodyparts_, &QTreeWidget::itemChanged, this,
            &SelectBodypartsDialog::itemChanged);
    connect(cmdAlle, &QPushButton::clicked, this, [this] {
        model_.CheckAll();
        showChecks();
    });
    connect(cmdNone, &QPushButton::clicked, this, [this] {
        model_.CheckNone();
        showChecks();
    });
    connect(cmdOK, &QPushButton::clicked, this, &SelectBodypartsDialog::Confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    cmdOK->installEventFilter(this);
    cmdCancel->installEventFilter(this);
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
    const QSignalBlocker quiet(lvSelectBodyparts_);
    const auto& items = model_.Items();
    for (int i = 0; i < lvSelectBodyparts_->topLevelItemCount(); ++i) {
        lvSelectBodyparts_->topLevelItem(i)->setCheckState(
            0, items[static_cast<std::size_t>(i)].checked ? Qt::Checked : Qt::Unchecked);
    }
}

void SelectBodypartsDialog::itemChanged(QTreeWidgetItem* item) {
    const int index = lvSelectBodyparts_->indexOfTopLevelItem(item);
    if (index < 0) return;
    model_.SetChecked(static_cast<std::size_t>(index), item->checkState(0) == Qt::Checked);
}

void SelectBodypartsDialog::Confirm() {
    if (model_.Confirm()) accept();
}

}  // namespace morvik
