// Times the data tracking view on the largest recording a monitoring file can hold: opening
// and drawing it, and moving the cursor step by step. Not a test; it prints its figures:
//   QT_QPA_PLATFORM=offscreen build/bench/chart_bench
#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <numeric>

#include "base/prompts.h"
#include "files/monitoring_file.h"
#include "link/communication.h"
#include "link/in_process_port.h"
#include "monitoring/monitoring_pair.h"
#include "monitoring/sled_dat.h"

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
    pelmo::setPrompts(&quiet);
    QTemporaryDir dir;
    pelmo::StationImage image;
    pelmo::MonitoringRecording recording;
    maximalRecording(image, recording);
    const QString path = dir.filePath(QStringLiteral("max.mon"));
    if (pelmo::saveMonitoringPair(path, image, recording, 0, quiet) != pelmo::PairResult::Ok) {
        return 1;
    }
    std::printf("recording: %zu data bytes, %d samples per channel\n", recording.dataLength(),
                recording.samples(2));

    pelmo::InProcessPort port;
    pelmo::StationImage viewImage;
    pelmo::TxBuffer tx{};
    pelmo::ReceiveState rx;
    pelmo::LinkContext link;
    link.build.image = &viewImage;
    link.tx = &tx;
    link.rx = &rx;
    pelmo::TSledDat view(port, link);
    view.resize(1100, 680);

    QElapsedTimer timer;
    timer.start();
    if (!view.openFromFile(path)) {
        return 1;
    }
    view.show();
    QApplication::processEvents();
    auto* chartView = view.findChild<QChartView*>(QStringLiteral("Chart1"));
    chartView->viewport()->repaint();
    std::printf("open and draw: %lld ms\n", static_cast<long long>(timer.elapsed()));

    auto* scroll = view.findChild<QScrollBar*>(QStringLiteral("ScrollBar1"));
    std::vector<double> steps;
    for (int i = 0; i < 200; ++i) {
        timer.restart();
        scroll->setValue(scroll->value() + scroll->singleStep());
        chartView->viewport()->repaint();
        steps.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(steps.begin(), steps.end());
    std::printf("cursor step: median %.2f ms, 95th percentile %.2f ms, worst %.2f ms (%zu steps)\n",
                steps[steps.size() / 2], steps[steps.size() * 95 / 100], steps.back(),
                steps.size());

    // A narrow window: the next step past its end turns the page and redraws everything.
    auto* zoom = view.findChild<QSlider*>(QStringLiteral("TrackBar1"));
    zoom->setValue(zoom->minimum());
    scroll->setValue(1);
    chartView->viewport()->repaint();
    timer.restart();
    scroll->setValue(view.chartWindow().end + scroll->singleStep());
    chartView->viewport()->repaint();
    std::printf("page turn: %.2f ms\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    pelmo::setPrompts(nullptr);
    return 0;
}
