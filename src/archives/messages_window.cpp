#include "archives/messages_window.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "ui_messages_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {

constexpr int kNumberColumn = 30;
constexpr int kGrownTextColumn = 150;

bool isCtrlS(const QKeyEvent* key) {
    return key->modifiers().testFlag(Qt::ControlModifier) && key->key() == Qt::Key_S;
}

}  // namespace

THlaseni::THlaseni(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::THlaseni>()), transfer_(port, program, *this) {
    ui->setupUi(this);
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    dataMenu_ = bar->addMenu(QStringLiteral("Data"));
    dataMenu_->setObjectName(QStringLiteral("m_data"));
    exportItem_ = dataMenu_->addAction(QString());
    exportItem_->setObjectName(QStringLiteral("m_export"));
    connect(exportItem_, &QAction::triggered, this, &THlaseni::m_exportClick);
    connect(ui->b_close, &QPushButton::clicked, this, &THlaseni::reject);
    ui->StringGrid1->verticalHeader()->hide();
    ui->StringGrid1->horizontalHeader()->hide();
    ui->StringGrid1->installEventFilter(this);
    ui->b_close->installEventFilter(this);
    setCaptions();
    sizeGrid();
}

THlaseni::~THlaseni() = default;

void THlaseni::setCaptions() {
    setWindowTitle(txt(kTextSystemMessages));
    ui->Label1->setText(txt(kTextSystemMessages));
    ui->b_close->setText(txt(kTextClose));
    exportItem_->setText(txt(kTextExportToFile));
    QTableWidget* grid = ui->StringGrid1;
    const QColor fixed = palette().color(QPalette::Button);
    for (int c = 0; c < 4; ++c) {
        gridCell(grid, 0, c)->setBackground(fixed);
    }
    gridCell(grid, 0, 1)->setText(txt(kTextTime));
    gridCell(grid, 0, 2)->setText(txt(kTextDate));
    gridCell(grid, 0, 3)->setText(txt(kTextMessage));
}

void THlaseni::sizeGrid() {
    QTableWidget* grid = ui->StringGrid1;
    const double w = grid->minimumWidth();
    const double h = grid->minimumHeight();
    grid->setColumnWidth(0, kNumberColumn);
    const int narrow = static_cast<int>(std::lround((w - kNumberColumn) / 10 * 2));
    grid->setColumnWidth(1, narrow);
    grid->setColumnWidth(2, narrow);
    grid->setColumnWidth(3, static_cast<int>(std::lround((w - kNumberColumn) / 10 * 6 - 5)));
    const int rowHeight = static_cast<int>(std::lround(h / 23 - 1));
    for (int r = 0; r < grid->rowCount(); ++r) {
        grid->setRowHeight(r, rowHeight);
    }
}

void THlaseni::openStored(const QByteArray& log) {
    started_ = true;  // nothing is read when shown
    stored_ = true;
    transfer_.showStored(std::span(reinterpret_cast<const std::uint8_t*>(log.constData()),
                                   static_cast<std::size_t>(log.size())));
}

void THlaseni::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void THlaseni::FormShow() {
    transfer_.start();
}

void THlaseni::messageStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void THlaseni::transferRunning(bool running) {
    dataMenu_->setEnabled(!running);
    exportItem_->setEnabled(!running);
}

void THlaseni::tableFilled() {
    QTableWidget* grid = ui->StringGrid1;
    const MessageTable& table = transfer_.table();
    const int rowHeight = grid->rowHeight(1);
    grid->setRowCount(table.gridRows);
    for (int r = 1; r < table.gridRows; ++r) {
        grid->setRowHeight(r, rowHeight);
        const std::size_t i = static_cast<std::size_t>(r - 1);
        for (int c = 0; c < 4; ++c) {
            gridCell(grid, r, c)
                ->setText(i < table.rows.size() ? table.rows[i][static_cast<std::size_t>(c)]
                                                : QString());
        }
    }
    if (table.gridRows > kMessageGridRows) {
        // The scroll bar takes room from the grid; the message column still shows its
        // longest text whole.
        int widest = kGrownTextColumn;
        for (int r = 1; r < grid->rowCount(); ++r) {
            widest = std::max(widest, grid->sizeHintForIndex(grid->model()->index(r, 3)).width());
        }
        grid->setColumnWidth(3, widest);
    }
}

void THlaseni::transferEnded(bool ok) {
    if (!ok) {
        QDialog::reject();
    }
}

void THlaseni::m_exportClick() {
    transfer_.exportWithDialog();
}

void THlaseni::saveDefault() {
    if (stored_) {
        return;  // the default file is the station's of the last read, not this log's
    }
    transfer_.exportTo();
}

bool THlaseni::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && isCtrlS(static_cast<QKeyEvent*>(event))) {
        saveDefault();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void THlaseni::keyPressEvent(QKeyEvent* event) {
    if (isCtrlS(event)) {
        saveDefault();
        return;
    }
    QDialog::keyPressEvent(event);
}

void THlaseni::closeEvent(QCloseEvent* event) {
    transfer_.abandon();
    QDialog::closeEvent(event);
}

void THlaseni::reject() {
    transfer_.abandon();
    QDialog::reject();
}

}  // namespace pelmo
