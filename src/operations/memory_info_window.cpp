#include "operations/memory_info_window.h"

#include <QShowEvent>
#include <algorithm>

#include "base/texts.h"
#include "operations/memory_info_logic.h"
#include "ui_memory_info_window.h"

namespace pelmo {

namespace {

constexpr int kNarrowColumn = 50;

void setCell(QTableWidget* grid, int row, int column, const QString& text) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        if (row == 0) {
            item->setBackground(grid->palette().button());
        }
        grid->setItem(row, column, item);
    }
    item->setText(text);
}

}  // namespace

TmemInfo::TmemInfo(const StationImage& image, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TmemInfo>()), image_(image) {
    ui_->setupUi(this);
    connect(ui_->b_close, &QPushButton::clicked, this, &TmemInfo::b_closeClick);
}

TmemInfo::~TmemInfo() = default;

void TmemInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
    fitGrid();
}

void TmemInfo::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrid();
}

void TmemInfo::fitGrid() {
    QTableWidget* grid = ui_->StringGrid1;
    const int rowHeight = grid->viewport()->height() / grid->rowCount() - 1;
    for (int row = 0; row < grid->rowCount(); ++row) {
        grid->setRowHeight(row, rowHeight);
    }
    // The narrow columns widen for a larger font rather than clip their numbers.
    int used = 0;
    for (int column = 0; column < 2; ++column) {
        grid->resizeColumnToContents(column);
        const int width = std::max(kNarrowColumn, grid->columnWidth(column));
        grid->setColumnWidth(column, width);
        used += width;
    }
    grid->setColumnWidth(2, std::max(kNarrowColumn, grid->viewport()->width() - used - 4));
}

void TmemInfo::FormShow() {
    // Captions are set here, on showing, in the language of the moment.
    setWindowTitle(txt(kTextSystemMemoryDistribution));
    ui_->Label1->setText(txt(kTextSystemMemoryDistribution));
    ui_->Label2->setText(txt(kTextSystemMessagesLabel));
    ui_->Label3->setText(txt(kTextOccupiedSystemMemory));
    ui_->Label4->setText(txt(kTextTotalSystemMemory));
    ui_->Label5->setText(txt(kTextFreeSystemMemory));
    ui_->b_close->setText(txt(kTextClose));

    QTableWidget* grid = ui_->StringGrid1;
    // The units header is the same in both languages.
    setCell(grid, 0, 0, QString());
    setCell(grid, 0, 1, QStringLiteral("Bytes/M"));
    setCell(grid, 0, 2, txt(kTextCapacity));
    const MemoryInfo info = memoryInfo(image_);
    for (int n = 1; n <= kChannelCount; ++n) {
        const MemoryInfoRow& row = info.rows[static_cast<std::size_t>(n - 1)];
        setCell(grid, n, 0, row.channel);
        setCell(grid, n, 1, row.bytes);
        setCell(grid, n, 2, row.capacity);
    }
    ui_->l_hlaseni->setText(QString::number(info.messages));
    ui_->l_obsazena->setText(QString::number(info.occupied));
    ui_->l_celkova->setText(QString::number(info.total));
    ui_->l_volna->setText(QString::number(info.free));
}

void TmemInfo::b_closeClick() {
    accept();
}

}  // namespace pelmo
