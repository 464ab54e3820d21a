// Times the data tracking view on the largest recording a monitoring file can hold: only
// parsing it, opening and drawing it (each the best of three), and moving the cursor step
// by step. Not a test; it prints its figures as name=value lines (bench.sh reads them):
//   QT_QPA_PLATFORM=offscreen build/bench/chart_bench
// With --write FILE.mon it only writes that recording (and its station file) and exits.
#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>

#include "base/prompts.h"
#include "files/monitoring_file.h"
#include "link/communication.h"
#include "link/in_process_port.h"
#include "monitoring/monitoring_pair.h"
#include "monitoring/sled_dat_window.h"

namespace {

class NoPrompts final : public pelmo::Prompts {
public:
    void show(Kind, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(Kind, const QString&) override { return true; }
    QString openFile(const pelmo::FileDialogSpec&) override { return {}; }
    QString saveFile(const pelmo::FileDialogSpec&) override { return {}; }
};

// Eight channels sampled every minute whose lists fill the 65535-byte data section.
void maximalRecording(pelmo::StationImage& image, pelmo::MonitoringRecording& r) {
    const std::size_t total = pelmo::kMaxMonitoringData - pelmo::kChannelCount;
    for (int c = 1; c <= pelmo::kChannelCount; ++c) {
        image.channel(c).in_use = 1;
        image.channel(c).interval = 60;
        image.channel(c).table_present = 1;
        image.channelData(c).value_max = 100;
        image.channelData(c).name = "CH" + std::to_string(c);
        image.channelData(c).text = "Channel " + std::to_string(c);
        const std::size_t length =
            total / pelmo::kChannelCount + (c == 1 ? total % pelmo::kChannelCount : 0);
        auto& l = r.list(c);
        l.assign(pelmo::kSampleListHeader, 0);
        for (std::size_t k = pelmo::kSampleListHeader; k < length; ++k) {
            // A wave per channel, with a missing sample now and then.
            l.push_back(k % 97 == 0 ? 0 : static_cast<std::uint8_t>(30 + (k * (c + 3)) % 200));
        }
        r.status.counts[static_cast<std::size_t>(c - 1)] =
            static_cast<std::uint16_t>(length - pelmo::kSampleListHeader);
    }
    r.status.station_time = 1400000000u;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    NoPrompts quiet;
    QTemporaryDir dir;
    pelmo::StationImage image;
    pelmo::MonitoringRecording recording;
    maximalRecording(image, recording);
    const QStringList args = QApplication::arguments();
    const bool writeOnly = args.size() == 3 && args[1] == QStringLiteral("--write");
    const QString path = writeOnly ? args[2] : dir.filePath(QStringLiteral("max.mon"));
    if (pelmo::saveMonitoringPair(path, image, recording, 0, quiet) != pelmo::PairResult::Ok) {
        return 1;
    }
    if (writeOnly) {
        return 0;
    }
    std::printf("# recording: %zu data bytes, %d samples per channel\n", recording.dataLength(),
                recording.samples(2));

    constexpr int kRuns = 3;
    QElapsedTimer timer;
    double parse = -1;
    for (int i = 0; i < kRuns; ++i) {
        pelmo::StationImage parsedImage;
        pelmo::MonitoringRecording parsed;
        timer.start();
        if (pelmo::loadMonitoringPair(path, parsedImage, parsed, 0, quiet) !=
            pelmo::PairResult::Ok) {
            return 1;
        }
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        parse = parse < 0 ? ms : std::min(parse, ms);
    }
    std::printf("chart_parse_ms=%.2f\n", parse);

    pelmo::InProcessPort port;
    pelmo::ProgramContext program(dir.path(), quiet);

    // Each run a new view, as the program opens one per file.
    double openDraw = -1;
    std::unique_ptr<pelmo::TSledDat> view;
    for (int i = 0; i < kRuns; ++i) {
        view.reset();
        view = std::make_unique<pelmo::TSledDat>(port, program);
        view->resize(1100, 680);
        timer.start();
        if (!view->openFromFile(path)) {
            return 1;
        }
        view->show();
        QApplication::processEvents();
        view->findChild<QChartView*>(QStringLiteral("Chart1"))->viewport()->repaint();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        openDraw = openDraw < 0 ? ms : std::min(openDraw, ms);
    }
    std::printf("chart_open_draw_ms=%.2f\n", openDraw);

    auto* chartView = view->findChild<QChartView*>(QStringLiteral("Chart1"));
    auto* scroll = view->findChild<QScrollBar*>(QStringLiteral("ScrollBar1"));
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        timer.restart();
        scroll->setValue(scroll->value() + scroll->singleStep());
        chartView->viewport()->repaint();
        steps.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    std::printf("cursor_median_ms=%.2f\ncursor_p95_ms=%.2f\ncursor_worst_ms=%.2f\n",
                steps[steps.size() / 2], steps[steps.size() * 95 / 100], steps.back());

    // A narrow window: the next step past its end turns the page and redraws everything.
    auto* zoom = view->findChild<QSlider*>(QStringLiteral("TrackBar1"));
    zoom->setValue(zoom->minimum());
    scroll->setValue(1);
    chartView->viewport()->repaint();
    timer.restart();
    scroll->setValue(view->chartWindow().end + scroll->singleStep());
    chartView->viewport()->repaint();
    std::printf("page_turn_ms=%.2f\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    view.reset();
    return 0;
}
