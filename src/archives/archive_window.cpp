#include "archives/archive_window.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "archives/archive_logic.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "ui_archive_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {

// Menu items of the "Data" menu and the grid's pop-up, in this order, with their texts.
struct Item {
    const char* name;
    int text;
};
constexpr Item kItems[] = {{"ulozit", 75}, {"nacist", 252}, {"nulovat", 253}, {"zDisku", 254}};

}  // namespace

TArchiv::TArchiv(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TArchiv>()), session_(port, program, *this) {
    ui->setupUi(this);
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    dataMenu_ = bar->addMenu(QStringLiteral("Data"));
    dataMenu_->setObjectName(QStringLiteral("m_data"));
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));
    for (const Item& item : kItems) {
        addItem(dataMenu_, (std::string("m_") + item.name).c_str());
        addItem(popup_, (std::string("p_") + item.name).c_str());
    }
    for (const char* prefix : {"m_", "p_"}) {
        const QString p = QString::fromLatin1(prefix);
        connect(findChild<QAction*>(p + QStringLiteral("ulozit")), &QAction::triggered, this,
                &TArchiv::m_ulozitClick);
        connect(findChild<QAction*>(p + QStringLiteral("nacist")), &QAction::triggered, this,
                &TArchiv::m_nacistClick);
        connect(findChild<QAction*>(p + QStringLiteral("nulovat")), &QAction::triggered, this,
                &TArchiv::b_nulovatClick);
        connect(findChild<QAction*>(p + QStringLiteral("zDisku")), &QAction::triggered, this,
                &TArchiv::m_zDiskuClick);
    }

    panel0_ = new QLabel(this);
    panel0_->setObjectName(QStringLiteral("StatusPanel0"));
    panel1_ = new QLabel(this);
    panel1_->setObjectName(QStringLiteral("StatusPanel1"));
    ui->StatusBar1->addWidget(panel0_, 3);
    ui->StatusBar1->addWidget(panel1_, 1);

    QTableWidget* grid = ui->StringGrid1;
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->setMinimumHeight(15 * 22 + 4);

    // Right and End move towards the daily archives, as the captions read.
    ui->ScrollBar1->setInvertedControls(false);
    ui->ScrollBar1->installEventFilter(this);
    connect(ui->ScrollBar1, &QScrollBar::valueChanged, this, &TArchiv::ScrollBar1Change);
    connect(ui->b_nacist, &QPushButton::clicked, this, &TArchiv::b_nacistClick);
    connect(ui->b_nulovat, &QPushButton::clicked, this, &TArchiv::b_nulovatClick);
    connect(ui->b_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid, &QTableWidget::customContextMenuRequested, this, &TArchiv::PopupMenu1Popup);
    connect(grid, &QTableWidget::cellClicked, this, [this] { focusScrollBar(); });
    updateResetItems();
    updateSaveItems();
}

TArchiv::~TArchiv() = default;

QAction* TArchiv::addItem(QMenu* menu, const char* name) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

void TArchiv::setCaptions() {
    setWindowTitle(txt(kTextDisplayArchiveValues).trimmed());
    ui->Label1->setText(txt(kTextDisplayArchiveValues).trimmed());
    // The button reads from the station; the menus' "load" item opens the saved file.
    ui->b_nacist->setText(txt(kTextLoadFromStation));
    ui->b_nulovat->setText(txt(kTextResetValues));
    ui->b_close->setText(txt(kTextClose));
    ui->l_nactenoTitle->setText(txt(kTextLoaded));
    ui->gb_aktualni->setTitle(txt(kTextCurrentTime));
    ui->gb_zaznam->setTitle(txt(session_.recordCaption()));
    for (const Item& item : kItems) {
        for (const char* prefix : {"m_", "p_"}) {
            findChild<QAction*>(QString::fromLatin1(prefix) + QString::fromLatin1(item.name))
                ->setText(txt(item.text));
        }
    }
    ScrollBar1Change();
}

void TArchiv::openStored(const ArchiveFileTexts& texts, int position,
                         const StationCalendar& station, const QString& source) {
    started_ = true;  // no description sequence when shown
    stored_ = true;
    {
        const QSignalBlocker block(ui->ScrollBar1);
        ui->ScrollBar1->setValue(position);
    }
    session_.showStored(texts, position == kArchivePositionActual ? 247 : 398);
    setCaptions();
    const QString caption = positionCaption(position, station);
    ui->l_pozice->setText(caption);
    ui->l_nacteno->setText(caption);
    sourceFile(source);
    ui->ScrollBar1->setEnabled(false);
    ui->b_nacist->setEnabled(false);
    ui->b_nulovat->setEnabled(false);
    dataMenu_->setEnabled(false);
}

void TArchiv::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TArchiv::FormShow() {
    setCaptions();
    session_.startDescription();
}

void TArchiv::descriptionStarting() {
    const QSignalBlocker block(ui->ScrollBar1);
    ui->ScrollBar1->setValue(kArchivePositionActual);
    ui->l_pozice->setText(txt(kTextActualValues));
    ui->l_nacteno->setText(txt(kTextActualValues));
    updateResetItems();
}

void TArchiv::archiveStatus(const QString& text) {
    panel0_->setText(text);
}

void TArchiv::sourceFile(const QString& name) {
    panel1_->setText(name);
}

void TArchiv::sequenceRunning(bool running) {
    ui->ScrollBar1->setEnabled(!running);
    ui->b_nacist->setEnabled(!running);
    for (const char* name : {"m_nacist", "m_zDisku", "p_nacist", "p_nulovat", "p_zDisku"}) {
        findChild<QAction*>(QString::fromLatin1(name))->setEnabled(!running);
    }
    updateSaveItems();
}

void TArchiv::updateSaveItems() {
    // Saving before a record was read or loaded would write an empty record over a file.
    const bool on = !session_.running() && session_.hasRecord();
    for (const char* name : {"m_ulozit", "p_ulozit"}) {
        findChild<QAction*>(QString::fromLatin1(name))->setEnabled(on);
    }
}

void TArchiv::gridChanged() {
    QTableWidget* grid = ui->StringGrid1;
    const ArchiveRows& rows = session_.grid();
    for (int r = 0; r < kArchiveQuantities; ++r) {
        const ArchiveRow& row = rows[static_cast<std::size_t>(r)];
        gridCell(grid, r, 0)->setText(row.label);
        gridCell(grid, r, 1)->setText(row.value);
        gridCell(grid, r, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        gridCell(grid, r, 2)->setText(row.unit);
    }
    ui->l_casZaznamu->setText(session_.recordTime());
    ui->l_datumZaznamu->setText(session_.recordDate());
    ui->l_casStanice->setText(session_.stationTime());
    ui->l_datumStanice->setText(session_.stationDate());
    ui->gb_zaznam->setTitle(txt(session_.recordCaption()));
    updateSaveItems();
}

void TArchiv::recordRead(int) {
    focusScrollBar();
    ui->l_nacteno->setText(ui->l_pozice->text());
}

void TArchiv::closeRequested() {
    reject();
}

void TArchiv::trafficLogReset() {
    if (clearLog_) {
        clearLog_();
    }
}

void TArchiv::focusScrollBar() {
    if (ui->ScrollBar1->isEnabled()) {
        ui->ScrollBar1->setFocus();
    }
}

void TArchiv::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    focusScrollBar();
}

void TArchiv::updateResetItems() {
    const bool on = ui->ScrollBar1->value() == kArchivePositionPartial;
    ui->b_nulovat->setEnabled(on);
    findChild<QAction*>(QStringLiteral("m_nulovat"))->setEnabled(on);
}

void TArchiv::ScrollBar1Change() {
    ui->l_pozice->setText(positionCaption(ui->ScrollBar1->value(), session_.state().station));
    updateResetItems();
}

void TArchiv::b_nacistClick() {
    if (!stored_ && !session_.running()) {
        session_.startData(ui->ScrollBar1->value());
    }
}

void TArchiv::b_nulovatClick() {
    if (!stored_ && !session_.running()) {
        session_.startReset(ui->ScrollBar1->value());
    }
}

void TArchiv::m_ulozitClick() {
    session_.save();
}

void TArchiv::m_nacistClick() {
    session_.load();
}

void TArchiv::m_zDiskuClick() {
    session_.loadFromDisk();
}

void TArchiv::PopupMenu1Popup(const QPoint& where) {
    if (stored_) {
        return;  // a stored record has no station to read from or file to save to
    }
    findChild<QAction*>(QStringLiteral("p_nulovat"))
        ->setEnabled(!session_.running() && session_.resetAllowed());
    popup_->popup(ui->StringGrid1->viewport()->mapToGlobal(where));
}

bool TArchiv::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->ScrollBar1 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
        bool handled = true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            b_nacistClick();
        } else if (ctrl && key->key() == Qt::Key_L) {
            m_nacistClick();
        } else if (ctrl && key->key() == Qt::Key_S) {
            m_ulozitClick();
        } else if (!ctrl &&
                   (key->text() == QStringLiteral("n") || key->text() == QString(QChar(0x00D3)))) {
            // 'n' and the character 211 of the Czech keyboard ("Ó").
            if (session_.resetAllowed() && !session_.running()) {
                session_.startReset(ui->ScrollBar1->value());
            }
        } else {
            handled = false;
        }
        if (handled) {
            updateResetItems();
            return true;
        }
        // The scroll bar moves first; the rule follows its new position.
        const bool result = QDialog::eventFilter(watched, event);
        QMetaObject::invokeMethod(
            this, [this] { updateResetItems(); }, Qt::QueuedConnection);
        return result;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace pelmo
