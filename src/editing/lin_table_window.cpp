#include "editing/lin_table_window.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>

#include "base/texts.h"
#include "editing/flow_conversion_window.h"
#include "ui_lin_table_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {

constexpr int kHeaderRows = 2;

void setFixedCell(QTableWidget* grid, int row, int column, const QString& text) {
    QTableWidgetItem* item = gridCell(grid, row, column);
    item->setText(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setBackground(grid->palette().button());
}

}  // namespace

TLinTab::TLinTab(StationImage& image, Prompts& prompts, const ProgramSettings& settings,
                 QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TLinTab>()),
      image_(image),
      prompts_(prompts),
      settings_(settings),
      editor_(image, prompts) {
    ui_->setupUi(this);
    buildMenus();
    buildGrid();
    connect(ui_->b_save, &QPushButton::clicked, this, &TLinTab::b_saveClick);
    connect(ui_->Button1, &QPushButton::clicked, this, &TLinTab::Button1Click);
    connect(ui_->l_delete, &QPushButton::clicked, this, &TLinTab::l_deleteClick);
    connect(ui_->LinTabGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        popup_->popup(ui_->LinTabGrid->viewport()->mapToGlobal(at));
    });
}

TLinTab::~TLinTab() = default;

QAction* TLinTab::addItem(QMenu* menu, const QString& name, const QKeySequence& keys) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(name);
    a->setShortcut(keys);
    return a;
}

void TLinTab::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    layout()->setMenuBar(bar);
    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu1"));

    auto menu = [this](QMenu* parent, QMenuBar* top, const QString& name) {
        QMenu* m = parent ? parent->addMenu(QString()) : top->addMenu(QString());
        m->setObjectName(name);
        captionedMenus_.push_back(m);
        return m;
    };
    // Both "Linearizace" submenus: quadratic and square root, 14 or 16 rows each.
    auto linearize = [&](QMenu* parent, const QString& p) {
        QMenu* lin = menu(parent, nullptr, p + QStringLiteral("linearizace"));
        linearizeMenus_.push_back(lin);
        const struct {
            Characteristic kind;
            const char* menuName;
            const char* itemName;
        } kinds[] = {{Characteristic::Quadratic, "kvadraticka", "kv"},
                     {Characteristic::Radical, "odmocninna", "od"}};
        for (const auto& k : kinds) {
            QMenu* sub = menu(lin, nullptr, p + QString::fromLatin1(k.menuName));
            for (int rows : {14, 16}) {
                QAction* a =
                    addItem(sub, p + QString::fromLatin1(k.itemName) + QString::number(rows));
                const Characteristic kind = k.kind;
                connect(a, &QAction::triggered, this,
                        [this, kind, rows] { linearizeClick(kind, rows); });
            }
        }
    };
    auto unitItem = [&](QMenu* m, const char* name, const char* text, int unit) {
        QAction* a = addItem(m, QString::fromLatin1(name));
        a->setText(QString::fromLatin1(text));
        connect(a, &QAction::triggered, this, [this, unit] { unitClick(unit); });
    };

    dataMenu_ = menu(nullptr, bar, QStringLiteral("m_data"));
    connect(addItem(dataMenu_, QStringLiteral("m_nacist"), QKeySequence(Qt::CTRL | Qt::Key_D)),
            &QAction::triggered, this, &TLinTab::m_nacistClick);
    connect(addItem(dataMenu_, QStringLiteral("m_ulozit"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, this, &TLinTab::m_ulozitClick);
    connect(addItem(dataMenu_, QStringLiteral("m_prevod"), QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, &TLinTab::m_prevodClick);
    linearize(dataMenu_, QStringLiteral("m_"));
    connect(dataMenu_, &QMenu::aboutToShow, this, &TLinTab::DataMenuShow);

    viewMenu_ = menu(nullptr, bar, QStringLiteral("m_zobrazeni"));
    connect(addItem(viewMenu_, QStringLiteral("m_seradit")), &QAction::triggered, this,
            &TLinTab::seraditClick);
    unitItem(viewMenu_, "m_pixel", "Pixel", kUnitPixel);
    unitItem(viewMenu_, "m_4_20", "4-20mA", kUnit4to20);
    unitItem(viewMenu_, "m_0_24", "0-24mA", kUnit0to20);

    connect(addItem(popup_, QStringLiteral("p_seradit")), &QAction::triggered, this,
            &TLinTab::seraditClick);
    unitItem(popup_, "p_pixel", "Pixel", kUnitPixel);
    unitItem(popup_, "p_4_20", "4-20mA", kUnit4to20);
    unitItem(popup_, "p_0_20", "0-20mA", kUnit0to20);
    linearize(popup_, QStringLiteral("p_"));

    auto* deleteRow = new QAction(ui_->LinTabGrid);
    deleteRow->setObjectName(QStringLiteral("a_smazatRadek"));
    deleteRow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    deleteRow->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ui_->LinTabGrid->addAction(deleteRow);
    connect(deleteRow, &QAction::triggered, this, &TLinTab::deleteRowKey);
}

void TLinTab::buildGrid() {
    QTableWidget* grid = ui_->LinTabGrid;
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    for (int c = 0; c < 3; ++c) {
        setFixedCell(grid, 0, c, QString());
        setFixedCell(grid, 1, c, QString());
    }
    for (int k = 0; k < kGridPoints; ++k) {
        setFixedCell(grid, k + kHeaderRows, 0, QString::number(k + 1) + QLatin1Char('.'));
    }
}

QAction* TLinTab::action(const char* objectName) const {
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

void TLinTab::setCaptions() {
    setWindowTitle(txt(kTextLinearizationTable));
    ui_->l_min->setText(txt(kTextMinValue));
    ui_->l_max->setText(txt(kTextMaxValue));
    ui_->Label2->setText(txt(kTextPrescRatio));
    ui_->b_save->setText(txt(kTextSave));
    ui_->Button1->setText(txt(kTextCancel));
    ui_->l_delete->setText(txt(kTextDelete));
    QTableWidget* grid = ui_->LinTabGrid;
    gridCell(grid, 0, 1)->setText(txt(kTextInput170));
    gridCell(grid, 0, 2)->setText(txt(kTextLinearized));
    gridCell(grid, 1, 2)->setText(QStringLiteral("[]"));
    for (QMenu* m : captionedMenus_) {
        const QString name = m->objectName();
        if (name == QStringLiteral("m_data")) {
            m->setTitle(txt(kTextData));
        } else if (name == QStringLiteral("m_zobrazeni")) {
            m->setTitle(txt(kTextRepresentation));
        } else if (name.endsWith(QStringLiteral("linearizace"))) {
            m->setTitle(txt(kTextLinearization));
        } else if (name.endsWith(QStringLiteral("kvadraticka"))) {
            m->setTitle(txt(kTextQuadratic));
        } else if (name.endsWith(QStringLiteral("odmocninna"))) {
            m->setTitle(txt(kTextRadical));
        }
    }
    for (QAction* a : findChildren<QAction*>()) {
        const QString name = a->objectName();
        if (name.endsWith(QStringLiteral("14")) || name.endsWith(QStringLiteral("16"))) {
            a->setText(name.right(2) + QLatin1Char(' ') + txt(kTextRows));
        }
    }
    action("m_seradit")->setText(txt(kTextSort));
    action("p_seradit")->setText(txt(kTextSort));
    action("m_prevod")->setText(txt(kTextUnitConversion));
    action("m_nacist")->setText(txt(kTextLoadTable));
    action("m_ulozit")->setText(txt(kTextSaveTable));
}

void TLinTab::setDividerVisible(bool on) {
    ui_->Label2->setVisible(on);
    ui_->l_delKoef->setVisible(on);
}

void TLinTab::prepare(int channel, LinTabHost& host) {
    host_ = &host;
    setCaptions();
    ui_->ChanNum->setText(QString::number(channel));
    editor_.open(channel, host);
    FormShow();
}

int TLinTab::editChannel(int channel, LinTabHost& host) {
    prepare(channel, host);
    return exec();
}

void TLinTab::FormShow() {
    setDividerVisible(editor_.frequency());
    showForm();
}

void TLinTab::readForm() {
    QTableWidget* grid = ui_->LinTabGrid;
    // Moving the current cell away commits an open cell editor.
    const QModelIndex current = grid->currentIndex();
    grid->setCurrentIndex(QModelIndex());
    grid->setCurrentIndex(current);
    for (int k = 0; k < kGridPoints; ++k) {
        for (int c = 0; c < 2; ++c) {
            const QTableWidgetItem* item = grid->item(k + kHeaderRows, c + 1);
            editor_.rows[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)] =
                item ? item->text() : QString();
        }
    }
    editor_.minText = ui_->e_min->text();
    editor_.maxText = ui_->e_max->text();
}

void TLinTab::showForm() {
    QTableWidget* grid = ui_->LinTabGrid;
    for (int k = 0; k < kGridPoints; ++k) {
        for (int c = 0; c < 2; ++c) {
            gridCell(grid, k + kHeaderRows, c + 1)
                ->setText(editor_.rows[static_cast<std::size_t>(k)][static_cast<std::size_t>(c)]);
        }
    }
    gridCell(grid, 1, 1)->setText(unitCaption(editor_.unit));
    ui_->e_min->setText(editor_.minText);
    ui_->e_max->setText(editor_.maxText);
    ui_->l_delKoef->setText(editor_.dividerText());
    for (QMenu* m : linearizeMenus_) {
        m->setEnabled(editor_.linearizationEnabled);
    }
    action("m_pixel")->setEnabled(editor_.unit != kUnitPixel);
    action("p_pixel")->setEnabled(editor_.unit != kUnitPixel);
    action("m_4_20")->setEnabled(editor_.unit != kUnit4to20);
    action("p_4_20")->setEnabled(editor_.unit != kUnit4to20);
    action("m_0_24")->setEnabled(editor_.unit != kUnit0to20);
    action("m_prevod")->setEnabled(editor_.flowConversionAllowed);
    action("p_0_20")->setEnabled(editor_.unit != kUnit0to20);
}

void TLinTab::b_saveClick() {
    readForm();
    const bool close = editor_.save();
    showForm();
    if (close) {
        accept();
    }
}

void TLinTab::Button1Click() {
    reject();
}

void TLinTab::l_deleteClick() {
    readForm();
    const bool close = editor_.deleteTable();
    showForm();
    if (close) {
        accept();
    }
}

void TLinTab::DataMenuShow() {
    readForm();
    (void)editor_.gridCheck();
    showForm();
}

void TLinTab::m_nacistClick() {
    readForm();
    editor_.loadFile();
    showForm();
}

void TLinTab::m_ulozitClick() {
    readForm();
    editor_.saveFile();
    showForm();
}

void TLinTab::m_prevodClick() {
    // Ctrl+L may come after edits the menu has not seen: check the grid again first.
    readForm();
    if (editor_.gridCheck() != 2 || !editor_.flowConversionAllowed) {
        showForm();
        return;
    }
    showForm();
    TAutoVypocet conversion(image_, prompts_, settings_, this);
    conversion.prepare(editor_.channel(), editor_.rows[1][1]);
    conversion.exec();
    if (conversion.applied()) {
        editor_.rows[1][1] = *conversion.applied();
    }
    showForm();
}

void TLinTab::seraditClick() {
    readForm();
    (void)editor_.gridCheck();
    showForm();
}

void TLinTab::unitClick(int unit) {
    readForm();
    (void)editor_.changeUnit(unit);
    showForm();
}

void TLinTab::linearizeClick(Characteristic kind, int rows) {
    readForm();
    (void)editor_.generate(kind, rows);
    showForm();
}

void TLinTab::deleteRowKey() {
    const int row = ui_->LinTabGrid->currentRow() - kHeaderRows;
    if (row < 0 || row >= kGridPoints) {
        return;
    }
    readForm();
    editor_.deleteRow(row);
    showForm();
}

}  // namespace pelmo
