#include "monitoring/live_tracker.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QValueAxis>
#include <algorithm>
#include <functional>
#include <iterator>

#include "base/decimal_text.h"
#include "base/texts.h"
#include "hex.h"
#include "monitoring/sled_dat_window.h"
#include "scripted_prompts.h"
#include "sim/default_station.h"
#include "sim_link.h"

namespace pelmo {
namespace {

// A READ_LIVE answer with the given time and raw values, sealed as the station seals it.
std::vector<std::uint8_t> liveAnswer(std::uint32_t time, std::array<std::uint16_t, 8> raw) {
    std::vector<std::uint8_t> a(kLiveAnswerLength, 0);
    a[0] = 0x06;
    a[1] = 0x01;
    for (int i = 0; i < 4; ++i) {
        a[static_cast<std::size_t>(5 + i)] = static_cast<std::uint8_t>(time >> (8 * i));
    }
    for (std::size_t i = 0; i < 8; ++i) {
        a[10 + 5 * i] = static_cast<std::uint8_t>(raw[i]);
        a[11 + 5 * i] = static_cast<std::uint8_t>(raw[i] >> 8);
    }
    test::SimLink::reseal(a);
    return a;
}

TEST(LiveAnswer, DecodesTimeAndRawValuesOfAWholeAnswerOnly) {
    const auto a = liveAnswer(0x12345678u, {0, 1, 255, 256, 65534, 65535, 4660, 9});
    ASSERT_TRUE(liveAnswerVerifies(a));
    const auto r = decodeLiveAnswer(a);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->time, 0x12345678u);
    EXPECT_EQ(r->raw, (std::array<std::int32_t, 8>{0, 1, 255, 256, 65534, 65535, 4660, 9}));

    auto shortAnswer = a;
    shortAnswer.pop_back();
    EXPECT_FALSE(liveAnswerVerifies(shortAnswer));
    EXPECT_FALSE(decodeLiveAnswer(shortAnswer));
    auto longAnswer = a;
    longAnswer.push_back(0);
    EXPECT_FALSE(liveAnswerVerifies(longAnswer));
    auto corrupt = a;
    corrupt[20] ^= 1;
    EXPECT_FALSE(liveAnswerVerifies(corrupt));
}

// A steam meter whose circuit 1 reads temperature (channel 1), pressure (2) and flow (3).
StationImage steamImage(int variant) {
    StationImage image = sim::defaultStation(251, 0).image;
    image.meter.variant = variant;
    image.meter.constants[8] = 10;  // saturation band
    image.meter.constants[9] = 2;   // hysteresis
    return image;
}

TEST(LiveValues, RangeEndsAndPlotHeights) {
    definice_PV_udaj_rec d;
    d.value_min = -20;
    d.value_max = 180;
    EXPECT_DOUBLE_EQ(LiveEvaluator::rangeValue(d, 0), -20);
    EXPECT_DOUBLE_EQ(LiveEvaluator::rangeValue(d, 65534), 180);
    EXPECT_DOUBLE_EQ(livePercent(65534), 100);
    EXPECT_DOUBLE_EQ(livePercent(0), 0);

    // Channel 7 is not derived: the gas version shows the range value itself; a channel
    // without a table reads 0.
    StationImage image = steamImage(0);
    image.channel(7).table_present = 1;
    LiveEvaluator evaluate(image, 1);
    EXPECT_DOUBLE_EQ(*evaluate(7, 65534), image.channelData(7).value_max);
    EXPECT_DOUBLE_EQ(*evaluate(7, 0), image.channelData(7).value_min);
    image.channel(8).table_present = 0;
    EXPECT_DOUBLE_EQ(*evaluate(8, 30000), 0.0);
}

TEST(LiveValues, SteamStateThresholdsAroundSaturation) {
    const StationImage image = steamImage(1);
    SteamCalculator calc(image);
    const double p = 0.476;
    const double ts = *calc.saturationTemperature(p, 0, 25);
    ASSERT_NEAR(ts, 150, 1);
    struct Case {
        double below;
        int state;
    };
    // Band 10 and hysteresis 2: flooded below ts − 10, moist below ts − 2, else superheated.
    for (const Case c : {Case{11, 3}, Case{10.001, 3}, Case{10, 2}, Case{3, 2}, Case{2.001, 2},
                         Case{2, 1}, Case{1, 1}, Case{-30, 1}}) {
        EXPECT_EQ(steamState(calc, image.meter, ts - c.below, p), c.state) << c.below;
    }
    EXPECT_EQ(steamStateLetter(1), QStringLiteral("S"));
    EXPECT_EQ(steamStateLetter(2), QStringLiteral("M"));
    EXPECT_EQ(steamStateLetter(3), QStringLiteral("F"));
}

TEST(LiveValues, FloodedCircuitZeroesItsFlowOnlyWithAVariant) {
    for (int variant : {0, 1}) {
        StationImage image = steamImage(variant);
        // Channel 1 at its lowest temperature, channel 2 at its highest pressure: flooded.
        LiveRecord r;
        r.raw = {0, 65534, 40000, 0, 0, 0, 0, 0};
        LiveEvaluator evaluate(image, 1);
        evaluate(1, r.raw[0]);
        evaluate(2, r.raw[1]);
        const auto flow = evaluate(3, r.raw[2]);
        const double t = variant ? image.channelData(1).value_min : 0.0;
        const double p = variant ? image.channelData(2).value_max : 0.0;
        EXPECT_DOUBLE_EQ(evaluate.temperature(), t);  // nothing taken without a variant
        EXPECT_DOUBLE_EQ(evaluate.pressure(), p);
        SteamCalculator calc(image);
        const double x = variant ? 0.0 : LiveEvaluator::rangeValue(image.channelData(3), r.raw[2]);
        const CalcValue expected = calc.gasFlow(3, x, p, t);
        ASSERT_EQ(flow.has_value(), expected.has_value()) << variant;
        if (flow) {
            EXPECT_DOUBLE_EQ(*flow, *expected) << variant;
        }
        const LiveCursor cursor = liveCursor(image, 1, LiveRecords{r}, 0);
        EXPECT_EQ(cursor.states[2], QStringLiteral("F"));
        EXPECT_EQ(cursor.values[2], formatDecimal(0.0, 3));
    }
}

TEST(LiveValues, CursorPastTheRecordsAndChannelsNotInUse) {
    StationImage image = steamImage(1);
    image.channel(6).in_use = 0;
    LiveRecord r;
    r.time = 1000;
    const LiveRecords records{r};
    const LiveCursor on = liveCursor(image, 0, records, 0);
    EXPECT_TRUE(on.onRecord);
    EXPECT_EQ(on.time, 1000u);
    EXPECT_EQ(on.values[5], QStringLiteral("xxx"));
    EXPECT_TRUE(on.states[5].isEmpty());
    for (int p : {1, -1}) {
        const LiveCursor off = liveCursor(image, 0, records, p);
        EXPECT_FALSE(off.onRecord);
        EXPECT_EQ(off.values[0], QStringLiteral("---"));
        EXPECT_EQ(off.values[7], QStringLiteral("---"));
    }
}

TEST(LiveValues, ChartAdvancesByThreeQuartersAtTheWindowEnd) {
    ChartWindow w{kLiveWindowWidth, 400};
    EXPECT_FALSE(advanceLiveChart(w, 399));
    EXPECT_TRUE(advanceLiveChart(w, 400));
    EXPECT_EQ(w.end, 700);
    EXPECT_FALSE(advanceLiveChart(w, 400));
    EXPECT_TRUE(advanceLiveChart(w, 700));
    EXPECT_EQ(w.end, 1000);
}

TEST(LiveValues, CsvHasTimeRawAndValuePerChannelInUse) {
    StationImage image = steamImage(0);
    for (int c = 4; c <= 8; ++c) {
        image.channel(c).in_use = 0;
    }
    LiveRecord r;
    r.time = 0;  // 1980-01-01 00:00:00
    r.raw = {65534, 0, 0, 0, 0, 0, 0, 0};
    const QByteArray csv = liveCsvExport(image, 1, LiveRecords{r, r});
    const QList<QByteArray> lines = csv.split('\n');
    ASSERT_EQ(lines.size(), 4);  // header, two records, the empty rest
    EXPECT_EQ(lines[0].count(','), 6);
    EXPECT_TRUE(lines[0].startsWith("time,"));
    EXPECT_TRUE(lines[1].startsWith("1980-01-01T00:00:00,65534,"));
    EXPECT_EQ(lines[1].count(','), 6);
}

// Records what the tracker shows.
struct RecordingLiveView final : LiveTrackerView {
    void liveStatus(const QString& text) override { status = text; }
    void liveRecord(const LiveRecord&, int index) override { lastIndex = index; }
    void liveConnectionLost() override { ++lost; }
    void liveTrafficNote(const QString& line) override { notes << line; }
    void liveFailed(const QString& message) override { failed = message; }
    QString status;
    int lastIndex = -1;
    int lost = 0;
    QStringList notes;
    QString failed;
};

// The tracker against the in-process simulator, its poll driven tick by tick.
class LiveTracking : public ::testing::Test {
protected:
    LiveTracking() { link.image = sim::defaultStation(251, link.station->now()).image; }

    // Lets the engine finish an outstanding COMM.
    void settleEngine() {
        for (int i = 0; i < 1000 && tracker.engine() && tracker.engine()->waiting(); ++i) {
            link.sim.advance(kPollIntervalMs);
            tracker.engine()->poll();
        }
    }
    void open() {
        tracker.start();
        settleEngine();
        ASSERT_TRUE(tracker.polling());
    }
    void ticks(int n, int ms = LiveTracker::kTickMs) {
        for (int i = 0; i < n; ++i) {
            link.sim.advance(ms);
            tracker.tick();
        }
    }
    std::vector<std::string> requests() const { return link.requests(); }

    test::SimLink link;
    RecordingLiveView view;
    test::ScriptedPrompts prompts;
    LiveTracker tracker{link.port, link.context, prompts, view};
};

TEST_F(LiveTracking, OneRecordPerSecondAfterComm) {
    open();
    ticks(5);
    const auto live = link.station->liveRaw();
    ticks(1);
    // The first tick finds the COMM answer and asks; every later one takes a record.
    EXPECT_EQ(tracker.records().size(), 5u);
    EXPECT_EQ(view.lastIndex, 4);
    EXPECT_EQ(view.status, txt(kTextDataRefreshEllipsis) + QStringLiteral("OK"));
    EXPECT_EQ(view.notes.count(QStringLiteral("|SLEDdat2")), 5);
    EXPECT_EQ(tracker.failedPolls(), 0);
    const auto r = requests();
    ASSERT_GE(r.size(), 6u);
    EXPECT_EQ((std::vector<std::string>(r.begin(), r.begin() + 5)),
              (std::vector<std::string>{"COMM", "ACK", "READ_LIVE", "ACK", "READ_LIVE"}));
    EXPECT_EQ(*tracker.startTime(), tracker.records().front().time);
    EXPECT_EQ(*tracker.lastTime(), tracker.records().back().time);
    EXPECT_EQ(tracker.records().back().time - tracker.records().front().time, 4u);
    for (std::size_t i = 0; i < live.size(); ++i) {
        EXPECT_EQ(tracker.records().back().raw[i], live[i]) << i;
    }
    // A follower that keeps nothing holds the newest record only.
    tracker.setKeepRecords(false);
    ticks(2);
    EXPECT_EQ(tracker.records().size(), 1u);
    EXPECT_EQ(tracker.taken(), 7);
}

TEST_F(LiveTracking, AnAnswerWithTheSameStationTimeAddsNoRecord) {
    open();
    ticks(1);
    ticks(8, 250);  // four answers a second: two seconds of station time
    EXPECT_EQ(tracker.records().size(), 2u);
    EXPECT_EQ(tracker.records()[1].time, tracker.records()[0].time + 1);
}

TEST_F(LiveTracking, SixSilentPollsReopenTheLinkAndTrackingRecovers) {
    // An answer comes as its request is written, so a tick judges the request of the tick
    // before it.
    auto silent = [this](bool on) { link.station->faults().settings().silent = on; };
    open();
    ticks(2);
    silent(true);
    ticks(5);  // one answer still on its way, then four failures
    EXPECT_EQ(tracker.failedPolls(), 4);
    silent(false);
    ticks(2);  // the fifth failure, then an answer: the count starts again
    EXPECT_EQ(tracker.failedPolls(), 0);
    silent(true);
    ticks(6);
    EXPECT_EQ(view.lost, 0);
    EXPECT_EQ(tracker.failedPolls(), 5);
    ticks(1);
    EXPECT_EQ(view.lost, 1);
    EXPECT_EQ(view.status, txt(kTextErrorConnectiongToDevice));
    EXPECT_EQ(tracker.failedPolls(), 0);
    EXPECT_EQ(requests().back(), "COMM");
    // While COMM waits for its answer the ticks leave the bus alone.
    const std::size_t written = link.port.writes().size();
    tracker.tick();
    EXPECT_EQ(link.port.writes().size(), written);
    EXPECT_TRUE(tracker.polling());

    silent(false);
    settleEngine();
    EXPECT_EQ(requests().back(), "ACK");
    const std::size_t before = tracker.records().size();
    ticks(3);
    EXPECT_EQ(tracker.records().size(), before + 2);
    EXPECT_EQ(requests().back(), "READ_LIVE");
}

TEST_F(LiveTracking, AFailedReopeningLetsThePollTryAgain) {
    open();
    link.station->faults().settings().silent = true;
    ticks(6);
    settleEngine();  // COMM gives up after its repetitions
    EXPECT_TRUE(tracker.polling());
    ticks(6);
    EXPECT_EQ(view.lost, 2);
}

// Wherever the poll stands when it is stopped, END_COMM goes out once the line is the host's
// again (never into an answer still coming), it is the last block written and the station
// leaves its session. Right after stop() it may still be held: whoever stops the poll must
// let the port's time run on (the event loop, the command's drain). On a paced line.
TEST(LiveTrackerStop, EndCommWaitsForTheLineAndIsWrittenLast) {
    using Reach = std::function<void(test::SimLink&, LiveTracker&)>;
    auto settle = [](test::SimLink& link, LiveTracker& t) {
        for (int i = 0; i < 1000 && t.engine() && t.engine()->waiting(); ++i) {
            link.sim.advance(kPollIntervalMs);
            t.engine()->poll();
        }
    };
    // Three polls; `thenMs` later the tracker is stopped.
    auto polls = [settle](int thenMs) -> Reach {
        return [settle, thenMs](test::SimLink& link, LiveTracker& t) {
            t.start();
            settle(link, t);
            for (int i = 0; i < 3; ++i) {
                link.sim.advance(LiveTracker::kTickMs);
                t.tick();
            }
            link.sim.advance(thenMs);
        };
    };
    const std::pair<const char*, Reach> cases[] = {
        {"a poll's answer still crossing the line", polls(0)},
        {"a poll's answer just in", polls(60)},
        {"COMM's answer still coming", [](test::SimLink&, LiveTracker& t) { t.start(); }},
        {"the link opened after a silent attempt",
         [settle](test::SimLink& link, LiveTracker& t) {
             link.station->faults().settings().silent = true;
             t.start();
             for (int i = 0; i < kPollsPerAttempt; ++i) {
                 link.sim.advance(kPollIntervalMs);
                 t.engine()->poll();
             }
             link.station->faults().settings().silent = false;
             settle(link, t);
         }},
    };
    for (const auto& [name, reach] : cases) {
        SCOPED_TRACE(name);
        test::SimLink link;
        link.image = sim::defaultStation(251, link.station->now()).image;
        link.sim.setPaced(true);
        // What crossed the line and when, in both directions.
        struct Crossing {
            std::int64_t ms;
            bool written;
            std::string hex;
        };
        std::vector<Crossing> line;
        link.port.setTrafficObserver([&](bool written, std::span<const std::uint8_t> bytes) {
            line.push_back({link.sim.elapsedMs(), written, test::toHex(bytes)});
        });
        RecordingLiveView view;
        test::ScriptedPrompts prompts;
        LiveTracker tracker(link.port, link.context, prompts, view);
        reach(link, tracker);
        ASSERT_NE(link.bus.session(), nullptr);
        tracker.stop();
        tracker.tick();  // a tick that was already due changes nothing
        for (int ms = 0; ms < 200; ++ms) {
            link.sim.advance(1);
            link.port.service();
        }
        const auto end = std::find_if(line.begin(), line.end(), [](const Crossing& c) {
            return c.written && c.hex.starts_with("01 40 0E ");
        });
        ASSERT_NE(end, line.end());
        // After its last answer byte the station needs its turnaround before it listens.
        const auto answered = std::find_if(std::make_reverse_iterator(end), line.rend(),
                                           [](const Crossing& c) { return !c.written; });
        ASSERT_NE(answered, line.rend());
        EXPECT_GE(end->ms, answered->ms + 4);
        // Only END_COMM's acknowledgement follows it.
        ASSERT_EQ(line.end() - end, 2);
        EXPECT_FALSE(end[1].written);
        EXPECT_EQ(end[1].hex, "06");
        EXPECT_EQ(link.bus.session(), nullptr);
    }
}

// The tracking view in its live mode, offscreen, in both languages.
class LiveTrackingView : public ::testing::TestWithParam<Language> {
protected:
    LiveTrackingView() { setLanguage(GetParam()); }
    ~LiveTrackingView() override { setLanguage(Language::Czech); }

    template <typename T>
    T* find(const char* name) {
        return view.findChild<T*>(QString::fromLatin1(name));
    }
    QString cell(int row, int column) {
        return find<QTableWidget>("StringGrid1")->item(row, column)->text();
    }
    QValueAxis* axis() {
        return qobject_cast<QValueAxis*>(view.chart()->axes(Qt::Horizontal).front());
    }
    void open() {
        view.openLive();
        view.show();
        QApplication::processEvents();
        link.run([this] { return view.configReader().engine(); });
        LiveTracker& t = view.liveTracker();
        for (int i = 0; i < 1000 && t.engine() && t.engine()->waiting(); ++i) {
            link.sim.advance(kPollIntervalMs);
            t.engine()->poll();
        }
        ASSERT_TRUE(t.polling());
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) {
            link.sim.advance(LiveTracker::kTickMs);
            view.liveTracker().tick();
        }
    }

    test::SimLink link;
    test::PromptsScope scope{link.program};
    QTemporaryDir dir;
    TSledDat view{link.port, link.program};
};

TEST_P(LiveTrackingView, FollowsTheStationAndTheCursorReadsTheRecords) {
    open();
    EXPECT_EQ(find<QLabel>("l_titulek")->text(),
              QString::fromUtf8("Sledování dat stanice (experimentální)"));
    EXPECT_EQ(cell(0, 1), txt(kTextReaded));
    EXPECT_FALSE(find<QWidget>("TrackBar1")->isVisible());
    EXPECT_FALSE(find<QAction>("m_ulozit")->isVisible());
    EXPECT_TRUE(find<QAction>("m_exportCsv")->isEnabled());
    EXPECT_EQ(find<QScrollBar>("ScrollBar1")->maximum(), kLiveCursorMaximum);

    ticks(11);
    const LiveRecords& records = view.liveTracker().records();
    ASSERT_EQ(records.size(), 10u);
    const auto latest = liveValueTexts(link.image, 0, records.back());
    for (int c = 1; c <= kChannelCount; ++c) {
        EXPECT_EQ(cell(c, 1), latest[static_cast<std::size_t>(c - 1)]) << c;
    }
    EXPECT_EQ(cell(5, 1), QStringLiteral("xxx"));
    EXPECT_EQ(find<QLabel>("l_casAkt")->text(), stationTimeText(records.back().time));
    EXPECT_EQ(view.series(1)->count(), 10);
    EXPECT_DOUBLE_EQ(view.series(2)->at(9).y(), livePercent(records[9].raw[1]));

    auto* scroll = find<QScrollBar>("ScrollBar1");
    scroll->setValue(3);
    const LiveCursor at3 = liveCursor(link.image, 0, records, 3);
    EXPECT_EQ(cell(1, 2), at3.values[0]);
    EXPECT_EQ(cell(3, 4), at3.states[2]);
    EXPECT_FALSE(cell(3, 4).isEmpty());
    EXPECT_EQ(find<QLabel>("l_casGraf")->text(), stationTimeText(records[3].time));
    EXPECT_EQ(view.cursorSeries()->at(0).x(), 3);
    scroll->setValue(10);
    EXPECT_EQ(cell(1, 2), QStringLiteral("---"));
    EXPECT_EQ(find<QLabel>("l_casGraf")->text(), QStringLiteral(" -- : -- : -- "));

    const QString csv = dir.filePath(QStringLiteral("live.csv"));
    scope.prompts.files = {csv};
    find<QAction>("m_exportCsv")->trigger();
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), liveCsvExport(link.image, 0, records));
}

TEST_P(LiveTrackingView, TheFourHundredthRecordMovesTheAxisAndTheSeriesStaySmall) {
    open();
    ticks(400);
    EXPECT_EQ(axis()->min(), 0);
    EXPECT_EQ(axis()->max(), 400);
    ticks(1);
    EXPECT_EQ(axis()->min(), 300);
    EXPECT_EQ(axis()->max(), 700);
    ticks(3300);
    EXPECT_EQ(view.liveTracker().records().size(), 3700u);
    EXPECT_EQ(axis()->min(), 3600);
    // Only the shown part of the axis is charted; paging back refills it from the records.
    EXPECT_LE(view.series(1)->count(), 402);
    EXPECT_EQ(view.series(1)->at(view.series(1)->count() - 1).x(), 3699);
    // Past the first hour the cursor still reaches the newest record.
    auto* scroll = find<QScrollBar>("ScrollBar1");
    EXPECT_EQ(scroll->maximum(), 3700);
    scroll->setValue(5);
    EXPECT_EQ(view.series(1)->at(0).x(), std::max(0.0, axis()->min() - 1));
}

TEST_P(LiveTrackingView, ClosingMidPollEndsTheLinkAndDropsTheRecords) {
    open();
    ticks(4);
    find<QPushButton>("b_zavrit")->click();
    link.settle();
    EXPECT_FALSE(view.liveTracker().polling());
    EXPECT_TRUE(view.liveTracker().records().empty());
    EXPECT_EQ(link.requests().back(), "END_COMM");
    EXPECT_TRUE(scope.prompts.shown.empty());
}

TEST_P(LiveTrackingView, ClosingDuringTheConfigurationReadStartsNoPoll) {
    view.openLive();
    view.show();
    QApplication::processEvents();
    link.sim.advance(kPollIntervalMs);
    view.close();
    EXPECT_EQ(view.configReader().engine(), nullptr);
    EXPECT_EQ(view.liveTracker().engine(), nullptr);
    EXPECT_FALSE(view.liveTracker().polling());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, LiveTrackingView,
                         ::testing::Values(Language::Czech, Language::English));

}  // namespace
}  // namespace pelmo
