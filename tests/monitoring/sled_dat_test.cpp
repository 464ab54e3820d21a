#include "monitoring/sled_dat_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QGraphicsTextItem>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "monitoring/mon_splash_window.h"
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
        QApplication::setActiveWindow(&view);
        QApplication::processEvents();
    }
    QValueAxis* axis(Qt::Orientation o) {
        return qobject_cast<QValueAxis*>(view.chart()->axes(o).front());
    }
    QChartView* chartView() { return find<QChartView>("Chart1"); }
    // The plot area in the chart view's viewport, where the series may draw.
    QRectF plotArea() {
        const QChart* chart = view.chart();
        return chartView()->mapFromScene(chart->mapToScene(chart->plotArea())).boundingRect();
    }
    // A key on a widget of the active window (after a box or the wait window closed, the
    // window manager gives the view back its activation).
    void keyOn(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QApplication::setActiveWindow(widget->window());
        widget->setFocus();
        QTest::keyClick(widget, static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
    // The axis labels as the chart draws them: those right of the plot area belong to the
    // value axis (listed bottom up), those below it to the time axis (left to right).
    void axisLabels(QStringList& values, QStringList& times) {
        const QRectF plot = view.chart()->plotArea();
        std::vector<std::pair<double, QString>> v;
        std::vector<std::pair<double, QString>> t;
        for (QGraphicsItem* item : chartView()->scene()->items()) {
            auto* label = qgraphicsitem_cast<QGraphicsTextItem*>(item);
            if (!label || !label->isVisible() || label->toPlainText() == QStringLiteral("%")) {
                continue;
            }
            const QPointF at = label->sceneBoundingRect().center();
            if (at.x() > plot.right()) {
                v.emplace_back(-at.y(), label->toPlainText());
            } else if (at.y() > plot.bottom()) {
                t.emplace_back(at.x(), label->toPlainText());
            }
        }
        std::sort(v.begin(), v.end());
        std::sort(t.begin(), t.end());
        values.clear();
        times.clear();
        for (const auto& [at, text] : v) {
            values.append(text);
        }
        for (const auto& [at, text] : t) {
            times.append(text);
        }
    }
    // Renders the chart and checks that no coloured series pixel lies outside the plot area
    // and that a sample of channel 7 in the middle of the visible time lands where the axes
    // put it.
    void expectDrawnOnTheAxes(const char* state) {
        SCOPED_TRACE(state);
        QApplication::processEvents();
        const QImage shot = chartView()->viewport()->grab().toImage();
        const QRectF plot = plotArea();
        const QRectF inside = plot.adjusted(-1, -1, 1, 1);
        const QRectF legend = view.chart()->legend()->isVisible()
                                  ? chartView()
                                        ->mapFromScene(view.chart()->legend()->sceneBoundingRect())
                                        .boundingRect()
                                  : QRectF();
        // Channels 2..7; white and black are also the chart's own colours.
        const std::array<QRgb, 6> coloured = {qRgb(255, 255, 0), qRgb(255, 0, 255),
                                              qRgb(255, 0, 0),   qRgb(0, 255, 255),
                                              qRgb(0, 255, 0),   qRgb(0, 0, 255)};
        int outside = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QPointF p(x + 0.5, y + 0.5);
                if (!inside.contains(p) && !legend.contains(p) &&
                    std::find(coloured.begin(), coloured.end(), shot.pixel(x, y) | 0xFF000000u) !=
                        coloured.end()) {
                    ++outside;
                }
            }
        }
        EXPECT_EQ(outside, 0) << "series pixels outside the plot area";

        QValueAxis* t = axis(Qt::Horizontal);
        QValueAxis* v = axis(Qt::Vertical);
        const double middle = (t->min() + t->max()) / 2;
        const QLineSeries* s = view.series(7);
        int best = -1;
        for (int k = 0; k < s->count(); ++k) {
            if (s->at(k).y() > 5 && s->at(k).y() < 95 &&
                (best < 0 ||
                 std::abs(s->at(k).x() - middle) < std::abs(s->at(best).x() - middle))) {
                best = k;
            }
        }
        ASSERT_GE(best, 0);
        const QPointF sample = s->at(best);
        ASSERT_GT(sample.x(), t->min());
        ASSERT_LT(sample.x(), t->max());
        const int px = static_cast<int>(std::lround(
            plot.left() + (sample.x() - t->min()) / (t->max() - t->min()) * plot.width()));
        const int py = static_cast<int>(std::lround(
            plot.bottom() - (sample.y() - v->min()) / (v->max() - v->min()) * plot.height()));
        bool found = false;
        for (int dy = -2; dy <= 2 && !found; ++dy) {
            for (int dx = -2; dx <= 2 && !found; ++dx) {
                const QPoint p(px + dx, py + dy);
                found = shot.rect().contains(p) && (shot.pixel(p) | 0xFF000000u) == qRgb(0, 0, 255);
            }
        }
        EXPECT_TRUE(found) << "sample " << best << " (" << sample.x() << ", " << sample.y()
                           << ") not drawn at pixel " << px << ", " << py;
    }

    test::SimLink link;
    test::PromptsScope scope{link.program};
    QTemporaryDir dir;
    TSledDat view{link.port, link.program};
};

TEST_P(TrackingView, AFileOpensIntoTheChartAndTheCursorReadsIt) {
    openFile();
    EXPECT_TRUE(view.fromFile());
    EXPECT_EQ(view.sourceText(), txt(kTextSourceFile) + QStringLiteral("rec.mon"));
    EXPECT_EQ(find<QLabel>("l_titulek")->text(), txt(kTextShowRecentDataExperimental));
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
    EXPECT_EQ(find<QLabel>("l_meritko")->text(),
              txt(kTextScaleS) + QStringLiteral("0d 10h 0m 0s "));

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
    EXPECT_EQ(find<QLabel>("l_meritko")->text(),
              txt(kTextScaleS) + QStringLiteral("0d 0h 16m 40s "));
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

TEST_P(TrackingView, CurvesStayOnTheirAxesThroughZoomPagingAndPanning) {
    openFile();
    auto* zoom = find<QSlider>("TrackBar1");
    auto* scroll = find<QScrollBar>("ScrollBar1");
    keyOn(scroll, Qt::Key_8);  // channel 8 (black) off, so that channel 7 draws on top
    ASSERT_FALSE(view.series(8)->isVisible());
    expectDrawnOnTheAxes("opened");
    keyOn(zoom, Qt::Key_Home);  // the narrowest window
    ASSERT_EQ(view.chartWindow().width, 1000);
    expectDrawnOnTheAxes("zoomed in");
    for (int i = 0; i < 3; ++i) {
        keyOn(scroll, Qt::Key_PageDown);
    }
    ASSERT_GT(axis(Qt::Horizontal)->min(), 0);
    expectDrawnOnTheAxes("paged");
    // Dragged a third of the plot to the left: later samples come into view.
    const QRectF plot = plotArea();
    const QPoint from(static_cast<int>(plot.center().x()), static_cast<int>(plot.center().y()));
    const QPoint to = from - QPoint(static_cast<int>(plot.width() / 3), 0);
    const double before = axis(Qt::Horizontal)->min();
    QWidget* surface = chartView()->viewport();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 4; ++step) {
        QTest::mouseMove(surface, from + (to - from) * step / 4);
    }
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, to);
    ASSERT_GT(axis(Qt::Horizontal)->min(), before);
    expectDrawnOnTheAxes("panned");
    keyOn(zoom, Qt::Key_PageUp);  // wider again
    expectDrawnOnTheAxes("zoomed out");
    view.resize(view.width() + 150, view.height() + 60);
    expectDrawnOnTheAxes("resized");
}

TEST_P(TrackingView, AxesShowRoundTicksAndTheLegendWholeNames) {
    openFile();
    QStringList values;
    QStringList times;
    axisLabels(values, times);
    EXPECT_EQ(values, (QStringList{QStringLiteral("0"), QStringLiteral("25"), QStringLiteral("50"),
                                   QStringLiteral("75"), QStringLiteral("100")}));
    for (int zoomKey : {Qt::Key_Home, Qt::Key_PageUp, Qt::Key_End}) {
        keyOn(find<QSlider>("TrackBar1"), zoomKey);
        axisLabels(values, times);
        ASSERT_GE(times.size(), 3) << zoomKey;
        // Whole seconds, evenly spaced by 1, 2 or 5 times a power of ten, no digit grouping.
        std::vector<long> ticks;
        for (const QString& t : times) {
            bool ok = false;
            ticks.push_back(t.toLong(&ok));
            EXPECT_TRUE(ok) << t.toStdString();
        }
        std::sort(ticks.begin(), ticks.end());
        const long step = ticks[1] - ticks[0];
        ASSERT_GT(step, 0);
        long decade = 1;
        while (decade * 10 <= step) {
            decade *= 10;
        }
        EXPECT_TRUE(step == decade || step == 2 * decade || step == 5 * decade) << step;
        for (std::size_t i = 1; i < ticks.size(); ++i) {
            EXPECT_EQ(ticks[i] - ticks[i - 1], step);
            EXPECT_EQ(ticks[i] % step, 0);
        }
    }
    // Axis numbers as the language writes them.
    EXPECT_EQ(view.chart()->locale().decimalPoint(),
              GetParam() == Language::Czech ? QStringLiteral(",") : QStringLiteral("."));

    // The legend at the window's own size: every shown channel's whole name, and still after
    // the connecting lines went off and on again.
    auto* box = find<QCheckBox>("ch_propoj");
    for (int click = 0; click < 3; ++click) {
        SCOPED_TRACE(click);
        for (int c = 1; c <= kChannelCount; ++c) {
            auto* name = view.findChild<QLabel*>(QStringLiteral("LegendName%1").arg(c));
            ASSERT_NE(name, nullptr);
            EXPECT_EQ(name->isVisible(), view.series(c)->isVisible()) << c;
            if (name->isVisible()) {
                EXPECT_EQ(name->text(), view.series(c)->name());
                EXPECT_FALSE(name->text().isEmpty());
                EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text())) << c;
            }
        }
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
        QApplication::processEvents();
    }
    // Channel 1's white box has an outline that shows on the white window.
    auto* white = view.findChild<QLabel*>(QStringLiteral("LegendBox1"));
    ASSERT_NE(white, nullptr);
    const QImage boxShot = white->grab().toImage();
    EXPECT_EQ(boxShot.pixel(boxShot.width() / 2, boxShot.height() / 2) | 0xFF000000u,
              qRgb(255, 255, 255));
    EXPECT_LT(qGray(boxShot.pixel(0, 0)), 128);
    EXPECT_LT(qGray(boxShot.pixel(boxShot.width() - 1, boxShot.height() - 1)), 128);
}

TEST_P(TrackingView, AFailedLoadLeavesTheRecordingShownWhole) {
    openFile();
    auto* scroll = find<QScrollBar>("ScrollBar1");
    keyOn(scroll, Qt::Key_PageDown);
    const int position = scroll->value();
    const QString value = cell(2, 2);
    const QString time = find<QLabel>("l_casGraf")->text();
    const QString caption = cell(3, 0);
    // Saved as it opened, to compare with what the window holds after each failure.
    const QString before = dir.filePath(QStringLiteral("before.mon"));
    scope.prompts.files = {before};
    keyOn(&view, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QFile::exists(before));
    // Another station's pair, spoilt once in the monitoring file and once in the station file.
    const struct {
        const char* spoilt;
        int keep;
    } cases[] = {{"other.mon", 100}, {"other.con", 40}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.spoilt);
        const QString other = dir.filePath(QStringLiteral("other.mon"));
        StationImage otherStation = link.image;
        otherStation.station.name = "Jina";
        otherStation.channelData(3).text = "Jiny kanal";
        ASSERT_EQ(saveMonitoringPair(other, otherStation, view.recording(), 0, scope.prompts),
                  PairResult::Ok);
        QFile spoilt(dir.filePath(QString::fromLatin1(c.spoilt)));
        ASSERT_TRUE(spoilt.open(QIODevice::ReadWrite));
        ASSERT_TRUE(spoilt.resize(c.keep));
        spoilt.close();

        scope.prompts.shown.clear();
        scope.prompts.files = {other};
        keyOn(&view, Qt::Key_D, Qt::ControlModifier);
        EXPECT_TRUE(scope.prompts.shownError(txt(kTextFileCorrupted)));
        EXPECT_EQ(view.sourceText(), txt(kTextSourceFile) + QStringLiteral("rec.mon"));
        EXPECT_EQ(find<QLabel>("l_nazev")->text(), QStringLiteral("Kotelna Jih"));
        EXPECT_EQ(cell(3, 0), caption);
        EXPECT_EQ(view.series(1)->count(), 600);
        EXPECT_EQ(view.series(3)->name(), QString::fromUtf8("Průtok páry"));
        EXPECT_EQ(scroll->value(), position);
        // The cursor still reads the shown recording.
        keyOn(scroll, Qt::Key_PageUp);
        keyOn(scroll, Qt::Key_PageDown);
        EXPECT_EQ(cell(2, 2), value);
        EXPECT_EQ(find<QLabel>("l_casGraf")->text(), time);
        // Saved again, it is the file it was opened from.
        const QString copy = dir.filePath(QStringLiteral("again.mon"));
        scope.prompts.files = {copy};
        keyOn(&view, Qt::Key_S, Qt::ControlModifier);
        for (const char* ext : {"mon", "con"}) {
            QFile a(dir.filePath(QStringLiteral("before.") + QLatin1String(ext)));
            QFile b(dir.filePath(QStringLiteral("again.") + QLatin1String(ext)));
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            EXPECT_EQ(a.readAll(), b.readAll()) << ext;
        }
    }
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
    EXPECT_EQ(view.sourceText(), txt(kTextSourceFile) + QStringLiteral("copy.mon"));
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
    EXPECT_TRUE(scope.prompts.shownError(txt(kTextFileConNotFound)));
}

TEST_P(TrackingView, FromTheStationItReadsTheConfigurationThenFills) {
    TMonSplash splash(link.port, link.program, view.recording(), {});
    splash.show();
    link.run([&splash] { return splash.transfer().engine(); });
    ASSERT_TRUE(splash.dataReady());
    view.show();
    EXPECT_EQ(view.statusText(), txt(kTextInitializingConnection));
    EXPECT_FALSE(find<QAction>("m_ulozit")->isEnabled());
    EXPECT_TRUE(find<QProgressBar>("ProgressBar1")->isVisible());
    link.run([this] { return view.configReader().engine(); });
    EXPECT_EQ(view.statusText(), txt(kTextDataLoaded));
    EXPECT_TRUE(link.image.station_loaded);
    EXPECT_TRUE(find<QAction>("m_ulozit")->isEnabled());
    EXPECT_TRUE(find<QAction>("m_nacistStanice")->isEnabled());
    EXPECT_FALSE(find<QAction>("m_nacistDisk")->isEnabled());
    EXPECT_FALSE(find<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_TRUE(find<QScrollBar>("ScrollBar1")->isEnabled());
    EXPECT_EQ(view.series(2)->count(), 600);
    EXPECT_EQ(find<QLabel>("l_vyrCislo")->text(), QStringLiteral("2317"));

    // Read again an hour later with the cursor left where it was: its time is that of the
    // samples now shown.
    QApplication::setActiveWindow(&view);
    auto* scroll = find<QScrollBar>("ScrollBar1");
    keyOn(scroll, Qt::Key_PageDown);
    const int position = scroll->value();
    const std::uint32_t before = view.recording().status.station_time;
    link.sim.advance(3600 * 1000);
    bool transferred = false;
    QTimer::singleShot(0, [&] {
        if (auto* again = qobject_cast<TMonSplash*>(QApplication::activeModalWidget())) {
            link.run([again] { return again->transfer().engine(); });
            transferred = again->dataReady();
        }
    });
    keyOn(&view, Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(transferred);
    ASSERT_GE(view.recording().status.station_time, before + 3600);
    ASSERT_EQ(scroll->value(), position);
    const std::uint32_t t = cursorTime(view.recording(), link.image, position);
    EXPECT_EQ(find<QLabel>("l_casGraf")->text(), stationTimeText(t));
    EXPECT_EQ(find<QLabel>("l_datumGraf")->text(), stationDateText(t));
    EXPECT_EQ(find<QLabel>("l_casAkt")->text(),
              stationTimeText(view.recording().status.station_time));
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TrackingView,
                         ::testing::Values(Language::Czech, Language::English));

}  // namespace
}  // namespace pelmo
