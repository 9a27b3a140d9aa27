#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/OrderSession.h"
#include "diag/Trap.h"
#include "diag/TrapNames.h"
#include "ui/BodyPartTableModel.h"
#include "ui/BodyPartView.h"
#include "ui/PatientArea.h"
#include "ui/ShippedIcons.h"

namespace morvik {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Soon enough for a request dropped meanwhile; cheap enough for a network share.
constexpr int kWatchIntervalMs = 2000;

}  // namespace

MainWindow::MainWindow(OrderSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
    setObjectName("fMain");
    buildWidgets();
    connectEvents();
    setWindowTitle(q(session_.WindowTitle()));
    setWindowIcon(ProgramIcon());
    fitToScreen();
    session_.SetView(this);
}

MainWindow::~MainWindow() {
    session_.SetView(nullptr);
}

// As large as the layout was drawn for, but never past the screen: at 150 % on a 1920x1080
// screen the confirm button must stay on it.
void MainWindow::fitToScreen() {
    QSize size(820, 760);
    if (const QScreen* s = screen()) {
        const QSize frame(16, 48);  // border and title bar the window manager adds
        size = size.boundedTo(s->availableGeometry().size() - frame);
    }
    resize(size.expandedTo(minimumSizeHint()));
}

void MainWindow::buildWidgets() {
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);

    patient_ = new PatientArea;
    layout->addWidget(patient_);

    // Modalities (left) and initials, drive states and search (right)
    fraMod_ = new QGroupBox("Modalität");
    fraMod_->setObjectName("fraMod");
    auto* modGrid = new QGridLayout(fraMod_);
    for (int i = 0; i < kModalityCount; ++i) {
        optMod_[i] = new QRadioButton;
        optMod_[i]->setObjectName(QString("optMod%1").arg(i));
        modGrid->addWidget(optMod_[i], i / 3, i % 3);
    }

    auto* fraRight = new QGroupBox;
    fraRight->setObjectName("fraKuerzel");
    auto* rightGrid = new QGridLayout(fraRight);
    auto* lblKuerzel = new QLabel("&Kürzel:");
    txtKuerzel_ = new QLineEdit;
    txtKuerzel_->setObjectName("txtKuerzel");
    txtKuerzel_->setMaximumWidth(90);
    // Room for a few initials even when both drive texts are shown beside it.
    txtKuerzel_->setMinimumWidth(txtKuerzel_->fontMetrics().horizontalAdvance("MMMM") + 16);
    lblKuerzel->setBuddy(txtKuerzel_);
    lblQuellNetz_ = new QLabel;
    lblQuellNetz_->setObjectName("lblQuellNetz");
    lblZielNetz_ = new QLabel;
    lblZielNetz_->setObjectName("lblZielNetz");
    lblQuellNetz_->setWordWrap(true);
    lblZielNetz_->setWordWrap(true);
    auto* lblSearch = new QLabel("Körper&teil:");
    txtSearch_ = new QLineEdit;
    txtSearch_->setObjectName("txtSearch");
    // Its own clear button: Qt's asks the icon theme for one (see ShippedIcons.h).
    QAction* clearSearch = txtSearch_->addAction(ClearTextIcon(), QLineEdit::TrailingPosition);
    clearSearch->setObjectName("clearSearch");
    clearSearch->setVisible(false);
    connect(clearSearch, &QAction::triggered, txtSearch_, &QLineEdit::clear);
    connect(txtSearch_, &QLineEdit::textChanged, clearSearch,
            [clearSearch](const QString& text) { clearSearch->setVisible(!text.isEmpty()); });
    searchPalette_ = txtSearch_->palette();
    lblSearch->setBuddy(txtSearch_);
    rightGrid->addWidget(lblKuerzel, 0, 0);
    rightGrid->addWidget(txtKuerzel_, 0, 1);
    rightGrid->addWidget(lblQuellNetz_, 0, 2);
    rightGrid->addWidget(lblZielNetz_, 0, 3);
    rightGrid->addWidget(lblSearch, 1, 0);
    rightGrid->addWidget(txtSearch_, 1, 1, 1, 3);
    rightGrid->setColumnStretch(2, 1);
    rightGrid->setColumnStretch(3, 1);

    auto* frames = new QHBoxLayout;
    frames->addWidget(fraMod_);
    frames->addWidget(fraRight, 1);
    layout->addLayout(frames);

    // Comment
    auto* commentRow = new QHBoxLayout;
    auto* lblComment = new QLabel("Ko&mmentar:");
    txtComment_ = new QLineEdit;
    txtComment_->setObjectName("txtComment");
    lblComment->setBuddy(txtComment_);
    commentRow->addWidget(lblComment);
    commentRow->addWidget(txtComment_, 1);
    layout->addLayout(commentRow);

    // The two lists and the confirm button
    lvBodyparts_ = MakeBodyPartView("lvBodyparts", "Körperteile");
    lvAddBodyparts_ = MakeBodyPartView("lvAddBodyparts", "Hinzugefügte Körperteile");
    catalogueModel_ =
        new BodyPartTableModel(session_.Catalogue(), {"Körperteile", "Abk", "Factory"}, this);
    addedModel_ = new BodyPartTableModel(
        session_.Added(), {"Hinzugefügte Körperteile", "Add Abk", "Add Factory"}, this);
    lvBodyparts_->setModel(catalogueModel_);
    lvAddBodyparts_->setModel(addedModel_);
    // Above the catalogue list: why the catalogue could not be read, and what to do.
    lblCatalogueNotice_ = new QLabel;
    lblCatalogueNotice_->setObjectName("lblKatalogHinweis");
    lblCatalogueNotice_->setWordWrap(true);
    lblCatalogueNotice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblCatalogueNotice_->setStyleSheet("QLabel { color: #a00000; }");
    lblCatalogueNotice_->hide();
    layout->addWidget(lblCatalogueNotice_);
    layout->addWidget(lvBodyparts_, 3);
    layout->addWidget(lvAddBodyparts_, 2);

    cmdOK_ = new QPushButton("Ü&bernehmen");  // Alt+B, as Windows has it for this word
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setAutoDefault(true);  // Enter on the focused button confirms
    cmdOK_->setEnabled(false);
    layout->addWidget(cmdOK_);

    setCentralWidget(central);

    tmrQuellordner_ = new QTimer(this);
    tmrQuellordner_->setObjectName("tmrQuellordner");
    tmrQuellordner_->setInterval(kWatchIntervalMs);

    // Menu
    QMenu* datei = menuBar()->addMenu("&Datei");
    datei->setObjectName("mnu_Datei");
    mnuOptions_ = datei->addAction("&Einstellungen");
    mnuOptions_->setObjectName("mnu_Options");
    datei->addSeparator();
    mnuBeenden_ = datei->addAction("&Beenden");
    mnuBeenden_->setObjectName("mnu_Beenden");

    setTabOrder(txtKuerzel_, txtSearch_);
    setTabOrder(txtSearch_, txtComment_);
    setTabOrder(txtComment_, lvBodyparts_);
    setTabOrder(lvBodyparts_, lvAddBodyparts_);
    setTabOrder(lvAddBodyparts_, cmdOK_);
}

void MainWindow::connectEvents() {
    connect(txtSearch_, &QLineEdit::textChanged, this, &MainWindow::Search);
    connect(txtSearch_, &QLineEdit::returnPressed, this, &MainWindow::AddFoundBodyPart);
    connect(txtKuerzel_, &QLineEdit::textChanged, this,
            [this](const QString& text) { session_.SetInitials(text.toStdString()); });
    connect(lvBodyparts_, &QTreeView::doubleClicked, this, [this] { AddSelectedBodyPart(); });
    connect(lvAddBodyparts_, &QTreeView::doubleClicked, this, [this] { RemoveSelectedBodyPart(); });
    connect(lvBodyparts_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (syncing_) return;
        auto rows = lvBodyparts_->selectionModel()->selectedRows();
        session_.SelectCatalogueRow(
            rows.isEmpty() ? 0 : static_cast<std::size_t>(rows.first().row()) + 1);
    });
    connect(lvAddBodyparts_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (syncing_) return;
                auto rows = lvAddBodyparts_->selectionModel()->selectedRows();
                session_.SelectAddedRow(
                    rows.isEmpty() ? 0 : static_cast<std::size_t>(rows.first().row()) + 1);
            });
    for (int i = 0; i < kModalityCount; ++i) {
        connect(optMod_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on && !syncing_) ChooseModality(i);
        });
        optMod_[i]->installEventFilter(this);
    }
    lvBodyparts_->installEventFilter(this);
    lvAddBodyparts_->installEventFilter(this);
    connect(cmdOK_, &QPushButton::clicked, this, &MainWindow::Confirm);
    connect(tmrQuellordner_, &QTimer::timeout, this, &MainWindow::LookForRequest);
    connect(mnuBeenden_, &QAction::triggered, this, &MainWindow::Quit);
    connect(mnuOptions_, &QAction::triggered, this, &MainWindow::ShowOptions);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        // Focus reaches a modality button with its selection (click, arrow keys, Tab into the
        // group); focus that lands on an unchecked button by itself chooses nothing.
        for (int i = 0; i < kModalityCount; ++i) {
            if (watched == optMod_[i] && optMod_[i]->isChecked()) ChooseModality(i);
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // Without a mouse: Enter adds the selected catalogue row, Delete removes an added one.
        if (watched == lvBodyparts_ &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            AddSelectedBodyPart();
            return true;
        }
        if (watched == lvAddBodyparts_ && key->key() == Qt::Key_Delete) {
            session_.RemoveSelectedBodyPartIfAny();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Start-up ------------------------------------------------------------------------------

void MainWindow::Load() {
    session_.Load();
    syncing_ = true;
    txtKuerzel_->setText(q(session_.Settings().initials));
    syncing_ = false;
    txtSearch_->setFocus();  // the operator starts by typing a body part
}

void MainWindow::SetUpColumns() {
    for (QTreeView* view : {lvBodyparts_, lvAddBodyparts_}) {
        view->setColumnWidth(0, 760);
        view->setColumnHidden(1, true);
        view->setColumnHidden(2, true);
        view->header()->setSectionsMovable(false);
    }
}

bool MainWindow::TakeOverCatalogue() {
    return session_.TakeOverCatalogue();
}

void MainWindow::TellCatalogueTakeOver() {
    session_.TellCatalogueTakeOver();
}

void MainWindow::FillCatalogue(std::vector<BodyPartEntry> rows) {
    lvBodyparts_->setUpdatesEnabled(false);
    session_.FillCatalogue(std::move(rows));
    lvBodyparts_->setUpdatesEnabled(true);
}

void MainWindow::RenameModality(int index, const std::string& caption) {
    session_.SetModalityCaption(index, caption);
    if (index >= 0 && index < kModalityCount) optMod_[index]->setText(q(caption));
}

// ---- Showing the session ---------------------------------------------------------------------

void MainWindow::SessionChanged(const SessionChange& change) {
    if (change.catalogueRows) catalogueModel_->Reload();
    if (change.addedRows) addedModel_->Reload();
    refresh();
}

void MainWindow::refresh() {
    syncing_ = true;
    patient_->Show(session_.Patient(), session_.RequestNotice());
    if (!session_.WatchesSourceFolder()) {
        tmrQuellordner_->stop();
    } else if (!tmrQuellordner_->isActive()) {
        tmrQuellordner_->start();
    }
    const int checked = session_.CheckedModality();
    for (int i = 0; i < kModalityCount; ++i) {
        optMod_[i]->setText(q(session_.ModalityCaptions()[i]));
        if (i == checked && !optMod_[i]->isChecked()) optMod_[i]->setChecked(true);
        // Tab enters the group on the checked button only; arrow keys move between them.
        const bool tabStop = i == checked || checked < 0 || checked >= kModalityCount;
        optMod_[i]->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
    }
    lblCatalogueNotice_->setText(q(session_.CatalogueNotice()));
    lblCatalogueNotice_->setVisible(!session_.CatalogueNotice().empty());
    lblQuellNetz_->setText(q(session_.QuellNetzText()));
    lblZielNetz_->setText(q(session_.ZielNetzText()));
    const QString missed = session_.SearchMissed() ? QStringLiteral("kein Treffer") : QString();
    if (txtSearch_->accessibleDescription() != missed) {
        QPalette search = searchPalette_;
        if (!missed.isEmpty()) search.setColor(QPalette::Base, QColor(255, 220, 220));
        txtSearch_->setPalette(search);
        txtSearch_->setAccessibleDescription(missed);
        txtSearch_->setToolTip(missed);
    }
    syncing_ = false;
    setInputsEnabled(!session_.Busy());
    syncSelection();
}

void MainWindow::setInputsEnabled(bool enabled) {
    lvBodyparts_->setEnabled(enabled && session_.Catalogue().Enabled());
    lvAddBodyparts_->setEnabled(enabled);
    fraMod_->setEnabled(enabled);
    cmdOK_->setEnabled(enabled && session_.OkEnabled());
}

void MainWindow::syncSelection() {
    syncing_ = true;
    auto apply = [](QTreeView* view, std::size_t row) {
        if (row == 0) {
            view->selectionModel()->clearSelection();
            return;
        }
        QModelIndex index = view->model()->index(static_cast<int>(row) - 1, 0);
        view->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    };
    apply(lvBodyparts_, session_.Catalogue().Selected());
    apply(lvAddBodyparts_, session_.Added().Selected());
    syncing_ = false;
}

// ---- Events ---------------------------------------------------------------------------------

void MainWindow::Search(const QString& text) {
    std::size_t scrollTo = session_.Search(text.toStdString());
    if (scrollTo > 0) {
        lvBodyparts_->scrollTo(catalogueModel_->index(static_cast<int>(scrollTo) - 1, 0));
        QModelIndex match =
            catalogueModel_->index(static_cast<int>(session_.Catalogue().Selected()) - 1, 0);
        lvBodyparts_->scrollTo(match);  // the match stays in view even in a short list
    }
}

void MainWindow::AddFoundBodyPart() {
    session_.AddFoundBodyPart();
    txtSearch_->selectAll();  // the next body part is typed over this one
}

void MainWindow::AddSelectedBodyPart() {
    session_.AddSelectedBodyPart();
}

void MainWindow::RemoveSelectedBodyPart() {
    session_.RemoveSelectedBodyPart();
}

void MainWindow::ChooseModality(int index) {
    if (syncing_) return;
    session_.ChooseModality(index);
}

void MainWindow::Confirm() {
    if (session_.Busy()) return;
    // The inputs are locked while the files are written; the keyboard comes back where it was.
    QPointer<QWidget> focus = QApplication::focusWidget();
    OrderSession::Confirmation result = session_.Confirm(txtComment_->text().toStdString());
    if (result == OrderSession::Confirmation::Done) {
        close();
    } else if (focus && focus->isEnabled()) {
        focus->setFocus();
    }
}

void MainWindow::LookForRequest() {
    // An open dialog is not interrupted; the next tick comes soon enough.
    if (QApplication::activeModalWidget()) return;
    session_.LookForRequest();
}

void MainWindow::Quit() {
    trap(session_.Log(), trapname::QuitMenu, [&] { close(); });
}

void MainWindow::ShowOptions() {
    trap(session_.Log(), trapname::OptionsMenu, [&] {
        if (openOptions_) openOptions_();
    });
    refresh();
}

// ---- Window events --------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // Not in the middle of writing an order: the confirmation finishes first.
    if (session_.Busy()) {
        event->ignore();
        return;
    }
    if (!unloaded_) {
        unloaded_ = true;
        session_.Unload();
    }
    event->accept();
}

void MainWindow::changeEvent(QEvent* event) {
    // Form_Activate: raise the window whenever it becomes active, also after the options dialog.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) raise();
    QMainWindow::changeEvent(event);
}

}  // namespace morvik
