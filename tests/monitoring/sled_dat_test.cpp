#include "monitoring/sled_dat.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "monitoring/mon_splash.h"
#include "monitoring/monitoring_pair.h"
#include "monitoring/sample_values.h"
#include "scripted_prompts.h"
#include "sim/default_station.h"
#include "sim_link.h"

namespace pelmo {
namespace {

// The tracking view on the simulated default station's samples, offscreen, in both languages.
class TrackingView : public ::testing::TestWithParam<Language> {
protected:
    TrackingView() { setLanguage(GetParam()); }
    ~TrackingView() override { setLanguage(Language::Czech); }

    template <typename T>
    T* find(const char* name) {
        return view.findChild<T*>(QString::fromLatin1(name));
    }
    QString cell(int row, int column) {
        return find<QTableWidget>("StringGrid1")->item(row, column)->text();
    }
    // The station's samples and configuration as a file pair in a temporary folder.
    QString writePair() {
        MonitoringRecording r;
        for (int c = 1; c <= kChannelCount; ++c) {
            if (link.station->sampleCount(c) > 0) {
                r.list(c) = link.station->monitoring(c);
                r.status.counts[static_cast<std::size_t>(c - 1)] =
                    static_cast<std::uint16_t>(link.station->sampleCount(c));
            }
        }
        r.status.station_time = link.station->now();
        StationImage image = sim::defaultStation(251, link.station->now()).image;
        const QString path = dir.filePath(QStringLiteral("rec.mon"));
        EXPECT_EQ(saveMonitoringPair(path, image, r, 0, scope.prompts), PairResult::Ok);
        return path;
    }
    void openFile() {
        ASSERT_TRUE(view.openFromFile(writePair()));
        view.show();
        QApplication::processEvents();
    }

    test::PromptsScope scope;
    test::SimLink link;
    QTemporaryDir dir;
    TSledDat view{link.port, link.context};
};

TEST_P(TrackingView, AFileOpensIntoTheChartAndTheCursorReadsIt) {
    openFile();
    EXPECT_TRUE(view.fromFile());
    EXPECT_EQ(view.sourceText(), txt(272) + QStringLiteral("rec.mon"));
    EXPECT_EQ(find<QLabel>("l_titulek")->text(), txt(273));
    EXPECT_EQ(find<QLabel>("l_nazev")->text(), QStringLiteral("Kotelna Jih"));
    EXPECT_FALSE(find<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_FALSE(find<QAction>("m_nacistStanice")->isEnabled());
    EXPECT_TRUE(find<QAction>("m_nacistDisk")->isEnabled());
    EXPECT_EQ(view.series(1)->count(), 600);
    EXPECT_EQ(view.series(7)->count(), 120);
    EXPECT_FALSE(view.series(5)->isVisible());
    EXPECT_EQ(view.series(1)->name(), QString::fromUtf8("Teplota páry"));
    EXPECT_EQ(cell(4, 3), QStringLiteral("D1"));
    EXPECT_EQ(cell(5, 3), QStringLiteral("xxx"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("-- N/A --"));

    auto* scroll = find<QScrollBar>("ScrollBar1");
    EXPECT_EQ(scroll->maximum(), 36000);
    EXPECT_EQ(scroll->singleStep(), 10);  // channel 4's interval joins the common step
    EXPECT_EQ(find<QLabel>("l_meritko")->text(), txt(369) + QStringLiteral("0d 10h 0m 0s "));

    const MonitoringRecording& r = view.recording();
    SampleEvaluator evaluate(link.image, 0);
    for (int position : {599, 1, 35999}) {
        scroll->setValue(position);
        for (int c : {1, 2, 3, 7, 8}) {
            const auto v = evaluate(c, sampleAtCursor(r, link.image, c, position));
            EXPECT_EQ(cell(c, 2), v ? formatDecimal(*v, 4) : QStringLiteral("------"))
                << "channel " << c << " at " << position;
        }
        EXPECT_EQ(cell(4, 2), QStringLiteral("------"));  // no table
        const std::uint32_t t = cursorTime(r, link.image, position);
        EXPECT_EQ(find<QLabel>("l_casGraf")->text(), stationTimeText(t));
        EXPECT_EQ(find<QLabel>("l_datumGraf")->text(), stationDateText(t));
        EXPECT_EQ(view.cursorSeries()->count(), kCursorTop + 1);
        EXPECT_EQ(view.cursorSeries()->at(0).x(), position);
    }
    EXPECT_EQ(find<QLabel>("l_casAkt")->text(), stationTimeText(r.status.station_time));
}

TEST_P(TrackingView, ZoomAndPaging) {
    openFile();
    auto* zoom = find<QSlider>("TrackBar1");
    auto* scroll = find<QScrollBar>("ScrollBar1");
    auto* axis = qobject_cast<QValueAxis*>(view.chart()->axes(Qt::Horizontal).front());
    EXPECT_EQ(zoom->maximum(), 36000);
    scroll->setValue(1);
    zoom->setValue(1000);
    EXPECT_EQ(find<QLabel>("l_meritko")->text(), txt(369) + QStringLiteral("0d 0h 16m 40s "));
    EXPECT_EQ(view.chartWindow().width, 1000);
    EXPECT_EQ(axis->max(), axis->min() + 1000);
    axis->setRange(0, 1000);
    scroll->setValue(5000);
    EXPECT_EQ(axis->min(), 1000);
    EXPECT_EQ(axis->max(), 2000);
    scroll->setValue(10);
    EXPECT_EQ(axis->min(), 0);
    EXPECT_EQ(axis->max(), 1000);
}

TEST_P(TrackingView, KeysOneToEightSwitchSeriesAndConnectingLinesFollowTheBox) {
    openFile();
    auto* scroll = find<QScrollBar>("ScrollBar1");
    auto press = [scroll](int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(key)));
        QApplication::sendEvent(scroll, &e);
    };
    press(Qt::Key_3);
    EXPECT_FALSE(view.series(3)->isVisible());
    press(Qt::Key_3);
    EXPECT_TRUE(view.series(3)->isVisible());
    press(Qt::Key_8);
    EXPECT_FALSE(view.series(8)->isVisible());
    press(Qt::Key_9);
    EXPECT_TRUE(view.series(1)->isVisible());

    auto* box = find<QCheckBox>("ch_propoj");
    EXPECT_TRUE(box->isChecked());
    box->click();
    EXPECT_EQ(view.series(2)->pen().style(), Qt::NoPen);
    box->click();
    EXPECT_EQ(view.series(2)->pen().style(), Qt::SolidLine);
}

TEST_P(TrackingView, SaveReopenAndExportThroughTheDataMenu) {
    openFile();
    const QString copy = dir.filePath(QStringLiteral("copy.mon"));
    scope.prompts.files = {copy};
    find<QAction>("m_ulozit")->trigger();
    QFile a(dir.filePath(QStringLiteral("rec.mon")));
    QFile b(copy);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("copy.con"))));

    scope.prompts.files = {copy};
    find<QAction>("m_nacistDisk")->trigger();
    EXPECT_EQ(view.sourceText(), txt(272) + QStringLiteral("copy.mon"));
    EXPECT_EQ(view.series(1)->count(), 600);
    EXPECT_EQ(view.chartWindow().end, 0);

    const QString text = dir.filePath(QStringLiteral("out.txt"));
    scope.prompts.files = {text};
    find<QAction>("m_export")->trigger();
    QFile t(text);
    ASSERT_TRUE(t.open(QIODevice::ReadOnly));
    // 10 hours on the 10-second grid of channel 4, after three header lines.
    EXPECT_EQ(t.readAll().count('\n'), 3 + 3600);
    EXPECT_TRUE(scope.prompts.shown.empty());

    QFile::remove(dir.filePath(QStringLiteral("copy.con")));
    scope.prompts.files = {copy};
    find<QAction>("m_nacistDisk")->trigger();
    EXPECT_TRUE(scope.prompts.shownError(txt(277)));
}

TEST_P(TrackingView, FromTheStationItReadsTheConfigurationThenFills) {
    TMonSplash splash(link.port, link.context, view.recording(), {});
    splash.show();
    link.run([&splash] { return splash.transfer().engine(); });
    ASSERT_TRUE(splash.dataReady());
    view.show();
    EXPECT_EQ(view.statusText(), txt(118));
    EXPECT_FALSE(find<QAction>("m_ulozit")->isEnabled());
    EXPECT_TRUE(find<QProgressBar>("ProgressBar1")->isVisible());
    link.run([this] { return view.configReader().engine(); });
    EXPECT_EQ(view.statusText(), txt(141));
    EXPECT_TRUE(link.image.station_loaded);
    EXPECT_TRUE(find<QAction>("m_ulozit")->isEnabled());
    EXPECT_TRUE(find<QAction>("m_nacistStanice")->isEnabled());
    EXPECT_FALSE(find<QAction>("m_nacistDisk")->isEnabled());
    EXPECT_FALSE(find<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_TRUE(find<QScrollBar>("ScrollBar1")->isEnabled());
    EXPECT_EQ(view.series(2)->count(), 600);
    EXPECT_EQ(find<QLabel>("l_vyrCislo")->text(), QStringLiteral("2317"));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TrackingView,
                         ::testing::Values(Language::Czech, Language::English));

}  // namespace
}  // namespace pelmo
