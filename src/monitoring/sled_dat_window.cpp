#include "monitoring/sled_dat_window.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGraphicsItem>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QValueAxis>

#include "base/cp1250.h"
#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "context/reading_observer.h"
#include "files/program_settings.h"
#include "monitoring/mon_splash_window.h"
#include "monitoring/monitoring_pair.h"
#include "monitoring/sample_values.h"
#include "ui_sled_dat_window.h"
#include "widgets/please_wait_window.h"

namespace pelmo {

namespace {

constexpr int kProgressIntervalMs = 20;
const char* const kNoValue = "------";
const char* const kNotAvailable = "-- N/A --";
const char* const kMonitoringFilter = "Monitor. data (*.mon)|*.mon|Všechny soubory (*.*)|*.*";
const char* const kTextFilter = "Text files (*.txt)|*.txt|All files (*.*)|*.*";

// Channels 1..8: white, yellow, fuchsia, red, aqua, lime, blue, black.
const std::array<QColor, kChannelCount> kSeriesColours = {
    QColor(255, 255, 255), QColor(255, 255, 0), QColor(255, 0, 255), QColor(255, 0, 0),
    QColor(0, 255, 255),   QColor(0, 255, 0),   QColor(0, 0, 255),   QColor(0, 0, 0)};

// A point marker: a small diagonal cross in the series colour.
QImage crossMarker(const QColor& colour) {
    QImage image(3, 3, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int i = 0; i < 3; ++i) {
        image.setPixelColor(i, i, colour);
        image.setPixelColor(2 - i, i, colour);
    }
    return image;
}

constexpr int kLegendBoxSize = 12;
constexpr int kLegendColumns = 4;
constexpr double kValueTickInterval = 25;
// About one time label per this many pixels of plot width.
constexpr int kTimeTickPixels = 90;

// A legend box in the series colour with a dark outline, so that white shows on white.
QPixmap legendBox(const QColor& colour) {
    QPixmap pixmap(kLegendBoxSize, kLegendBoxSize);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(0, 0, kLegendBoxSize - 1, kLegendBoxSize - 1);
    return pixmap;
}

// Drags pan the time axis only; the value axis stays put.
class PanningChartView final : public QChartView {
public:
    using QChartView::QChartView;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        last_ = event->position().x();
        dragging_ = event->button() == Qt::LeftButton;
        QChartView::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (dragging_) {
            const double x = event->position().x();
            chart()->scroll(last_ - x, 0);
            last_ = x;
        }
        QChartView::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        dragging_ = false;
        QChartView::mouseReleaseEvent(event);
    }

private:
    double last_ = 0;
    bool dragging_ = false;
};

}  // namespace

TSledDat::TSledDat(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TSledDat>()),
      port_(port),
      program_(program),
      link_(program.link),
      reader_(port, program.link, program.prompts(), *this),
      tracker_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel_->setMinimumWidth(250);
    sourcePanel_ = new QLabel(this);
    sourcePanel_->setObjectName(QStringLiteral("StatusPanel1"));
    ui->StatusBar1->addWidget(statusPanel_);
    ui->StatusBar1->addWidget(sourcePanel_, 1);

    buildMenu();
    buildChart();
    for (int r = 0; r < 9; ++r) {
        for (int c = 0; c < 5; ++c) {
            ui->StringGrid1->setItem(r, c, new QTableWidgetItem);
        }
    }
    ui->StringGrid1->horizontalHeader()->setMinimumSectionSize(4);
    setCaptions();

    progressTimer_.setInterval(kProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        ui->ProgressBar1->setValue(std::min(link_.rx->count(), kViewProgressMaximum));
    });
    connect(ui->ScrollBar1, &QScrollBar::valueChanged, this, &TSledDat::ScrollBar1Change);
    connect(ui->TrackBar1, &QSlider::valueChanged, this, &TSledDat::TrackBar1Change);
    connect(ui->ch_propoj, &QCheckBox::clicked, this, &TSledDat::ch_propojClick);
    connect(ui->b_zavrit, &QPushButton::clicked, this, &QDialog::accept);
    // Accept and reject hide the window without a close event; the poll must stop either way.
    connect(this, &QDialog::finished, this, &TSledDat::FormClose);
    ui->ScrollBar1->installEventFilter(this);
    ui->StringGrid1->viewport()->installEventFilter(this);
    chartView_->viewport()->installEventFilter(this);
    installEventFilter(this);
    TrackBar1Change(ui->TrackBar1->value());
}

TSledDat::~TSledDat() {
    progressTimer_.stop();
}

StationImage& TSledDat::image() const {
    return program_.station;
}

QLineSeries* TSledDat::series(int channel) const {
    return series_[static_cast<std::size_t>(channel - 1)];
}

QString TSledDat::statusText() const {
    return statusPanel_->text();
}

QString TSledDat::sourceText() const {
    return sourcePanel_->text();
}

void TSledDat::setStatusText(const QString& text) {
    statusPanel_->setText(text);
}

void TSledDat::setSourceText(const QString& text) {
    sourcePanel_->setText(text);
}

void TSledDat::setCaptions() {
    setWindowTitle(txt(kTextShowMonitoringData));
    applyNumberLocale();
    ui->GroupBox1->setTitle(txt(kTextStationStatus));
    ui->GroupBox2->setTitle(txt(kTextChartTime));
    ui->GroupBox3->setTitle(txt(kTextCurrentTime258));
    ui->l_nazev1->setText(txt(kTextHead));
    ui->l_vyrCislo1->setText(txt(kTextSerialNumber));
    ui->l_adresa1->setText(txt(kTextNetAddress));
    ui->ch_propoj->setText(txt(kTextConnectPoints));
    ui->b_zavrit->setText(txt(kTextClose));
    saveAction_->setText(txt(kTextSave) + QStringLiteral("..."));
    loadFileAction_->setText(txt(kTextLoadFromFile));
    exportAction_->setText(txt(kTextExportToText));
    loadStationAction_->setText(txt(kTextLoadFromStation));
    csvAction_->setText(txt(kTextExportToCSV));
    setGridText(0, 0, txt(kTextChannel));
    setGridText(0, 1, QString::fromLatin1(kNotAvailable));
    setGridText(0, 2, txt(kTextValue));
    setGridText(0, 3, txt(kTextInp));
    setGridText(0, 4, txt(kTextSt));
    for (int n = 1; n <= kChannelCount; ++n) {
        setGridText(n, 0, QString::number(n) + QLatin1Char('.'));
    }
}

void TSledDat::applyNumberLocale() {
    // Axis numbers as the operator's language writes them, without thousands separators.
    QLocale numbers(language() == Language::English ? QLocale::English : QLocale::Czech);
    numbers.setNumberOptions(QLocale::OmitGroupSeparator);
    chart_->setLocale(numbers);
}

void TSledDat::buildMenu() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("MainMenu1"));
    dataMenu_ = bar->addMenu(QStringLiteral("Data"));
    dataMenu_->setObjectName(QStringLiteral("m_data"));
    auto add = [this](const char* name, QKeyCombination keys, void (TSledDat::*handler)()) {
        QAction* a = dataMenu_->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(QKeySequence(keys));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    saveAction_ = add("m_ulozit", Qt::CTRL | Qt::Key_S, &TSledDat::m_ulozitClick);
    loadFileAction_ = add("m_nacistDisk", Qt::CTRL | Qt::Key_D, &TSledDat::m_nacistDiskClick);
    exportAction_ = add("m_export", Qt::CTRL | Qt::Key_E, &TSledDat::m_exportClick);
    loadStationAction_ =
        add("m_nacistStanice", Qt::CTRL | Qt::Key_M, &TSledDat::m_nacistStaniceClick);
    csvAction_ = add("m_exportCsv", Qt::CTRL | Qt::SHIFT | Qt::Key_E, &TSledDat::m_exportCsvClick);
    csvAction_->setVisible(false);
    layout()->setMenuBar(bar);
    setDataMenuEnabled(false);
}

void TSledDat::buildChart() {
    chart_ = new QChart;
    // The legend is a row of widgets under the chart: the chart's own cuts long names to fit
    // one line and draws channel 1's white box on white.
    chart_->legend()->hide();
    chart_->setPlotAreaBackgroundBrush(QColor(128, 128, 128));
    chart_->setPlotAreaBackgroundVisible(true);
    chart_->setLocalizeNumbers(true);
    timeAxis_ = new QValueAxis(chart_);
    timeAxis_->setLabelFormat(QStringLiteral("%.0f"));
    timeAxis_->setTickInterval(timeTickInterval(window_.width, 5));
    timeAxis_->setTickType(QValueAxis::TicksDynamic);
    timeAxis_->setTickAnchor(0);
    timeAxis_->setRange(0, window_.width);
    valueAxis_ = new QValueAxis(chart_);
    valueAxis_->setRange(kAxisBottom, kAxisTop);
    valueAxis_->setTickType(QValueAxis::TicksDynamic);
    valueAxis_->setTickAnchor(0);
    valueAxis_->setTickInterval(kValueTickInterval);
    valueAxis_->setLabelFormat(QStringLiteral("%.0f"));
    valueAxis_->setTitleText(QStringLiteral("%"));
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(valueAxis_, Qt::AlignRight);

    std::function<void(QGraphicsItem*, QList<QGraphicsItem*>&)> collect =
        [&collect](QGraphicsItem* item, QList<QGraphicsItem*>& out) {
            for (QGraphicsItem* child : item->childItems()) {
                out.append(child);
                collect(child, out);
            }
        };
    QList<QGraphicsItem*> before;
    collect(chart_, before);
    for (int c = 1; c <= kChannelCount; ++c) {
        auto* s = new QLineSeries(chart_);
        s->setObjectName(QStringLiteral("Series%1").arg(c));
        s->setName(QString::number(c));
        // The theme colours a series as it is added; ours go on afterwards.
        chart_->addSeries(s);
        s->setColor(kSeriesColours[static_cast<std::size_t>(c - 1)]);
        s->setLightMarker(crossMarker(s->color()));
        s->setMarkerSize(3);
        s->setPointsVisible(true);
        s->attachAxis(timeAxis_);
        s->attachAxis(valueAxis_);
        series_[static_cast<std::size_t>(c - 1)] = s;
    }
    // The channel series are painted from a cache, so that a cursor step repaints the cursor
    // line alone instead of every sample of every series. Qt Charts moves and rebuilds a
    // series' geometry without invalidating that cache, so every change that moves the
    // series on the screen invalidates it here.
    QList<QGraphicsItem*> after;
    collect(chart_, after);
    for (QGraphicsItem* item : after) {
        if (!before.contains(item) && !chart_->legend()->isAncestorOf(item)) {
            item->setCacheMode(QGraphicsItem::DeviceCoordinateCache);
            seriesItems_.push_back(item);
        }
    }
    for (QValueAxis* axis : {timeAxis_, valueAxis_}) {
        connect(axis, &QValueAxis::rangeChanged, this, &TSledDat::invalidateSeriesCache);
    }
    connect(timeAxis_, &QValueAxis::rangeChanged, this, &TSledDat::updateTimeTicks);
    connect(chart_, &QChart::plotAreaChanged, this, [this] {
        invalidateSeriesCache();
        updateTimeTicks();
    });
    for (QLineSeries* s : series_) {
        connect(s, &QXYSeries::pointsReplaced, this, &TSledDat::invalidateSeriesCache);
        connect(s, &QXYSeries::pointAdded, this, &TSledDat::invalidateSeriesCache);
        connect(s, &QXYSeries::pointsRemoved, this, &TSledDat::invalidateSeriesCache);
        connect(s, &QAbstractSeries::visibleChanged, this, &TSledDat::updateLegend);
        connect(s, &QAbstractSeries::nameChanged, this, &TSledDat::updateLegend);
    }

    cursor_ = new QLineSeries(chart_);
    cursor_->setObjectName(QStringLiteral("Series9"));
    chart_->addSeries(cursor_);
    cursor_->setColor(Qt::black);
    cursor_->attachAxis(timeAxis_);
    cursor_->attachAxis(valueAxis_);
    chartView_ = new PanningChartView(chart_, ui->ChartHost);
    chartView_->setObjectName(QStringLiteral("Chart1"));
    chartView_->setRenderHint(QPainter::Antialiasing, false);

    legend_ = new QWidget(ui->ChartHost);
    legend_->setObjectName(QStringLiteral("Legend1"));
    legendLayout_ = new QGridLayout(legend_);
    legendLayout_->setContentsMargins(4, 0, 4, 2);
    legendLayout_->setHorizontalSpacing(12);
    legendLayout_->setVerticalSpacing(2);
    for (int c = 1; c <= kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        auto* entry = new QWidget(legend_);
        entry->setObjectName(QStringLiteral("LegendEntry%1").arg(c));
        auto* row = new QHBoxLayout(entry);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(4);
        auto* box = new QLabel(entry);
        box->setObjectName(QStringLiteral("LegendBox%1").arg(c));
        box->setPixmap(legendBox(kSeriesColours[i]));
        box->setFixedSize(kLegendBoxSize, kLegendBoxSize);
        auto* name = new QLabel(entry);
        name->setObjectName(QStringLiteral("LegendName%1").arg(c));
        row->addWidget(box);
        row->addWidget(name, 1);
        legendEntries_[i] = entry;
        legendNames_[i] = name;
    }
    auto* box = new QVBoxLayout(ui->ChartHost);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(chartView_, 1);
    box->addWidget(legend_);
    updateLegend();
}

void TSledDat::invalidateSeriesCache() {
    // After the chart has rebuilt the series' geometry, which it does after these signals.
    if (cacheInvalidationPending_) {
        return;
    }
    cacheInvalidationPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            cacheInvalidationPending_ = false;
            for (QGraphicsItem* item : seriesItems_) {
                item->update();
            }
        },
        Qt::QueuedConnection);
}

void TSledDat::updateTimeTicks() {
    const int ticks = std::max(2, static_cast<int>(chart_->plotArea().width()) / kTimeTickPixels);
    const double interval = timeTickInterval(timeAxis_->max() - timeAxis_->min(), ticks);
    if (interval != timeAxis_->tickInterval()) {
        timeAxis_->setTickInterval(interval);
    }
}

void TSledDat::updateLegend() {
    // The entries of the series shown, in channel order, four to a row.
    for (QWidget* entry : legendEntries_) {
        legendLayout_->removeWidget(entry);
    }
    int shown = 0;
    for (int c = 1; c <= kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        legendNames_[i]->setText(series(c)->name());
        const bool visible = series(c)->isVisible();
        legendEntries_[i]->setVisible(visible);
        if (visible) {
            legendLayout_->addWidget(legendEntries_[i], shown / kLegendColumns,
                                     shown % kLegendColumns);
            ++shown;
        }
    }
}

void TSledDat::setDataMenuEnabled(bool on) {
    dataMenu_->setEnabled(on);
    for (QAction* a : dataMenu_->actions()) {
        a->setEnabled(on);
    }
    if (on) {
        loadStationAction_->setEnabled(!fromFile_);
        loadFileAction_->setEnabled(fromFile_);
    }
    csvAction_->setEnabled(on && mode_ == TrackingMode::Live);
}

void TSledDat::setGridText(int row, int column, const QString& text) {
    ui->StringGrid1->item(row, column)->setText(text);
}

void TSledDat::layoutGrid() {
    QTableWidget* grid = ui->StringGrid1;
    const auto widths = gridColumnWidths(grid->viewport()->width());
    for (int c = 0; c < 5; ++c) {
        grid->setColumnWidth(c, std::max(widths[static_cast<std::size_t>(c)], 4));
    }
    const int h = std::max(gridRowHeight(grid->viewport()->height()), 8);
    for (int r = 0; r < 9; ++r) {
        grid->setRowHeight(r, h);
    }
}

// ---- opening ----

bool TSledDat::runTransfer() {
    TMonSplash::Outlets outlets;
    outlets.viewStatus = [this](const QString& t) { setStatusText(t); };
    outlets.viewSource = [this](const QString& t) { setSourceText(t); };
    outlets.trafficNote = hooks_.trafficNote;
    TMonSplash splash(port_, program_, recording_, outlets, this);
    splash.exec();
    return splash.dataReady();
}

bool TSledDat::openFromStation() {
    mode_ = TrackingMode::Monitoring;
    fromFile_ = false;
    return runTransfer();
}

bool TSledDat::openFromFile(const QString& path) {
    mode_ = TrackingMode::Monitoring;
    if (!QFileInfo(companionStationFile(path)).isFile()) {
        program_.prompts().error(txt(kTextFileConNotFound));
        return false;
    }
    TPleaseWait wait(parentWidget());
    wait.start();
    fromFile_ = true;
    if (!loadFile(path, wait)) {
        return false;
    }
    wait.close();
    return true;
}

bool TSledDat::openFromBytes(const QByteArray& mon, const QByteArray& con, const QString& source,
                             int serial) {
    mode_ = TrackingMode::Monitoring;
    if (decodeMonitoringPair(mon, con, image(), recording_, program_.settings.version,
                             program_.prompts()) != PairResult::Ok) {
        return false;
    }
    // The serial number is the CMOS block's, which no station file carries.
    image().cmos.serial_number = static_cast<std::uint16_t>(serial);
    TPleaseWait wait(parentWidget());
    wait.start();
    fromFile_ = true;
    showLoaded(source, wait);
    wait.close();
    return true;
}

bool TSledDat::loadFile(const QString& path, WaitIndicator& wait) {
    if (loadMonitoringPair(path, image(), recording_, program_.settings.version,
                           program_.prompts()) != PairResult::Ok) {
        return false;
    }
    showLoaded(txt(kTextSourceFile) + QFileInfo(path).fileName(), wait);
    return true;
}

void TSledDat::showLoaded(const QString& source, WaitIndicator& wait) {
    wait.setMaximum(kChannelCount);
    ui->ScrollBar1->setEnabled(true);
    setDataMenuEnabled(true);
    setSourceText(source);
    populate();
    fillChart(&wait);
    for (int c = 1; c <= kChannelCount; ++c) {
        if (recording_.status.counts[static_cast<std::size_t>(c - 1)] == 0) {
            series(c)->setVisible(false);
        }
    }
}

void TSledDat::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    applyNumberLocale();
    layoutGrid();
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TSledDat::openLive() {
    mode_ = TrackingMode::Live;
    fromFile_ = false;
}

void TSledDat::FormShow() {
    if (mode_ == TrackingMode::Live) {
        showLive();
        return;
    }
    ui->ProgressBar1->setValue(0);
    cursor_->clear();
    link_.rx->setCount(0);
    image().current_index = 1;
    timeAxis_->setRange(0, window_.width);
    ch_propojClick();
    ui->ScrollBar1->setMinimum(1);
    if (!fromFile_) {
        ui->ScrollBar1->setMaximum(window_.width);
    }
    for (int n = 1; n <= kChannelCount; ++n) {
        setGridText(n, 1, QString::fromLatin1(kNoValue));
        setGridText(n, 2, QString::fromLatin1(kNoValue));
    }
    setGridText(0, 1, QString::fromLatin1(kNotAvailable));
    window_.end = window_.width;
    ui->ProgressBar1->setVisible(!fromFile_);
    if (!fromFile_) {
        progressTimer_.start();
    }
    ui->l_datumAkt->setText(stationDateText(recording_.status.station_time));
    ui->l_casAkt->setText(stationTimeText(recording_.status.station_time));
    ui->l_titulek->setText(txt(kTextShowRecentDataExperimental));
    loadStationAction_->setEnabled(!fromFile_);
    loadFileAction_->setEnabled(fromFile_);
    if (!fromFile_) {
        setStatusText(txt(kTextInitializingConnection));
        setDataMenuEnabled(false);
        reader_.start();
    }
}

// ---- the configuration read ----

void TSledDat::readStatus(const QString& text) {
    setStatusText(text);
}

void TSledDat::readCompleted() {
    if (closing_) {
        return;
    }
    setStatusText(txt(kTextDataLoaded));
    if (hooks_.stationRead) {
        hooks_.stationRead();
    }
    if (mode_ == TrackingMode::Monitoring) {
        // Samples and configuration are complete: the recording goes to the history.
        if (program_.history) {
            program_.history->monitoringRead(image(), recording_, program_.settings.isGasVersion(),
                                             program_.prompts());
        }
    }
    ui->ScrollBar1->setEnabled(true);
    ui->ProgressBar1->hide();
    setDataMenuEnabled(true);
    populate();
    if (mode_ == TrackingMode::Monitoring) {
        fillChart(nullptr);
    }
    progressTimer_.stop();
    focusScrollBar();
    if (mode_ == TrackingMode::Live) {
        setStatusText(txt(kTextInitializingConnection));
        tracker_.start();
    }
}

void TSledDat::readFailed() {
    progressTimer_.stop();
    ui->ProgressBar1->hide();
    if (closing_) {
        return;
    }
    // The read shows its error box after this; close once it has been answered.
    QTimer::singleShot(0, this, &QDialog::reject);
}

void TSledDat::readInterrupted() {
    readFailed();
}

// ---- filling ----

void TSledDat::populate() {
    const StationImage& img = image();
    ui->l_nazev->setText(fromCp1250(img.station.name));
    ui->l_vyrCislo->setText(QString::number(img.cmos.serial_number));
    ui->l_adresa->setText(QString::number(img.station.net_address));
    for (int c = 1; c <= kChannelCount; ++c) {
        const bool inUse = img.channel(c).in_use;
        series(c)->setName(fromCp1250(img.channelData(c).text));
        series(c)->setVisible(inUse);
        setGridText(c, 0, channelCaption(img, c));
        setGridText(c, 3, inUse ? inputName(img.channel(c).input_code) : QStringLiteral("xxx"));
        if (!inUse) {
            setGridText(c, 1, QStringLiteral("xxx"));
        }
    }
}

void TSledDat::fillChart(WaitIndicator* wait) {
    const StationImage& img = image();
    const ChartScales scales = chartScales(recording_, img);
    timeAxis_->setMax(scales.axis);
    ui->TrackBar1->setMaximum(std::max(scales.axis, kZoomMinimum));
    ui->TrackBar1->setSingleStep(scales.zoomStep);
    ui->TrackBar1->setValue(scales.axis);
    TrackBar1Change(ui->TrackBar1->value());
    ui->ScrollBar1->setSingleStep(scales.cursorStep);
    ui->ScrollBar1->setPageStep(scales.largeStep);
    ui->ScrollBar1->setMaximum(std::max(scales.span, 1));
    for (int c = 1; c <= kChannelCount; ++c) {
        if (wait) {
            wait->showNote(QStringLiteral("Ch. %1").arg(c));
            wait->stepIt();
        }
        if (charted(img, c)) {
            series(c)->replace(channelPoints(recording_, img, c));
            series(c)->setVisible(true);
        } else {
            series(c)->clear();
            series(c)->setVisible(false);
        }
    }
    if (wait) {
        wait->setLabelText(txt(kTextRedrawingGraph));
        wait->refresh();
    }
}

void TSledDat::clearChart() {
    for (QLineSeries* s : series_) {
        s->clear();
        s->setVisible(true);
    }
    cursor_->clear();
    recording_.clear();
}

// ---- cursor, zoom, points ----

void TSledDat::ScrollBar1Change(int position) {
    if (mode_ == TrackingMode::Live) {
        liveCursorChange(position);
        return;
    }
    showCursorValues(position);
    if (const auto range = pageWindow(window_, position, static_cast<int>(series(1)->count()))) {
        timeAxis_->setRange(range->min, range->max);
    }
}

void TSledDat::showCursorValues(int position) {
    const StationImage& img = image();
    SampleEvaluator evaluate(img, program_.settings.version);
    for (int c = 1; c <= kChannelCount; ++c) {
        if (!img.channel(c).in_use) {
            continue;
        }
        const auto v = evaluate(c, sampleAtCursor(recording_, img, c, position));
        setGridText(c, 2, v ? formatDecimal(*v, 4) : QString::fromLatin1(kNoValue));
        setGridText(c, 1, QString::fromLatin1(kNotAvailable));
    }
    ui->l_datumAkt->setText(stationDateText(recording_.status.station_time));
    ui->l_casAkt->setText(stationTimeText(recording_.status.station_time));
    const std::uint32_t t = cursorTime(recording_, img, position);
    ui->l_datumGraf->setText(stationDateText(t));
    ui->l_casGraf->setText(stationTimeText(t));

    QList<QPointF> line;
    line.reserve(kCursorTop + 1);
    for (int y = 0; y <= kCursorTop; ++y) {
        line.append(QPointF(position, y));
    }
    cursor_->replace(line);
}

void TSledDat::TrackBar1Change(int position) {
    ui->l_meritko->setText(txt(kTextScaleS) + zoomCaption(position));
    window_.width = position;
    timeAxis_->setMax(timeAxis_->min() + position);
    window_.end = position;
    ui->ScrollBar1->setPageStep(ui->ScrollBar1->singleStep() * 100);
}

void TSledDat::ch_propojClick() {
    const bool connect = ui->ch_propoj->isChecked();
    for (QLineSeries* s : series_) {
        QPen pen = s->pen();
        pen.setStyle(connect ? Qt::SolidLine : Qt::NoPen);
        s->setPen(pen);
    }
    focusScrollBar();
}

void TSledDat::toggleSeries(int channel) {
    series(channel)->setVisible(!series(channel)->isVisible());
}

void TSledDat::focusScrollBar() {
    if (ui->ScrollBar1->isEnabled()) {
        ui->ScrollBar1->setFocus();
    }
}

bool TSledDat::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->ScrollBar1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key >= Qt::Key_1 && key <= Qt::Key_8) {
            toggleSeries(key - Qt::Key_0);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonPress && watched != ui->ScrollBar1) {
        focusScrollBar();
    }
    return QDialog::eventFilter(watched, event);
}

void TSledDat::closeEvent(QCloseEvent* event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TSledDat::FormClose() {
    closing_ = true;
    progressTimer_.stop();
    if (reader_.running()) {
        reader_.interrupt();
    }
    // A poll must not outlive the window: the link is ended and the records go with it.
    tracker_.stop();
    tracker_.releaseRecords();
    recording_.clear();
}

// ---- the Data menu ----

void TSledDat::m_ulozitClick() {
    FileDialogSpec spec;
    spec.filter = QString::fromUtf8(kMonitoringFilter);
    spec.defaultExtension = QStringLiteral("mon");
    spec.confirmOverwrite = true;
    const QString file = program_.prompts().saveFile(spec);
    if (file.isEmpty()) {
        return;
    }
    saveMonitoringPair(file, image(), recording_, program_.settings.version, program_.prompts());
}

void TSledDat::m_nacistDiskClick() {
    FileDialogSpec spec;
    spec.filter = QString::fromUtf8(kMonitoringFilter);
    spec.defaultExtension = QStringLiteral("mon");
    const QString file = program_.prompts().openFile(spec);
    if (file.isEmpty()) {
        return;
    }
    TPleaseWait wait(this);
    wait.start();
    if (!QFileInfo(companionStationFile(file)).isFile()) {
        wait.close();
        program_.prompts().error(txt(kTextFileConNotFound));
        return;
    }
    // Loaded aside first: a file that fails leaves the recording shown, its station and its
    // texts as they were, with nothing of the failed file.
    StationImage loadedImage = image();
    MonitoringRecording loaded;
    if (loadMonitoringPair(file, loadedImage, loaded, program_.settings.version,
                           program_.prompts()) != PairResult::Ok) {
        wait.close();
        return;
    }
    clearChart();
    image() = loadedImage;
    recording_ = std::move(loaded);
    ui->TrackBar1->setValue(ui->TrackBar1->minimum());
    showLoaded(txt(kTextSourceFile) + QFileInfo(file).fileName(), wait);
    window_.end = 0;
    ui->ScrollBar1->setValue(ui->ScrollBar1->minimum());
    timeAxis_->setMin(0);
    // The grid and "Čas v grafu" read the new recording even when the cursor stayed put.
    showCursorValues(ui->ScrollBar1->value());
    wait.close();
}

void TSledDat::m_exportClick() {
    FileDialogSpec spec;
    spec.filter = QString::fromUtf8(kTextFilter);
    spec.defaultExtension = QStringLiteral("txt");
    spec.initialDir = QStringLiteral(".");
    const QString file = program_.prompts().saveFile(spec);
    if (file.isEmpty()) {
        return;
    }
    TPleaseWait wait(this);
    wait.start();
    wait.setLabelText(txt(kTextExportInProgress));
    wait.setMaximum(1);
    wait.refresh();
    const ProgramSettings& settings = program_.settings;
    exportMonitoring(file, image(), recording_, ExportFormat::Text,
                     {settings.exportDate, settings.delimiter}, settings.version,
                     program_.prompts());
    wait.stepIt();
    wait.close();
}

void TSledDat::m_nacistStaniceClick() {
    mode_ = TrackingMode::Monitoring;
    image().current_index = 1;
    clearChart();
    const bool ready = runTransfer();
    setSourceText(txt(kTextSourceUnit) + fromCp1250(image().station.name));
    if (ready) {
        fillChart(nullptr);
    }
    // The cursor's values and time belong to the samples now shown.
    showCursorValues(ui->ScrollBar1->value());
}

}  // namespace pelmo
