#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "operations/station_programmer.h"
#include "operations/station_reader.h"

namespace pelmo::test {

// Records what the read sequence shows, as the main window would.
struct RecordingReadView final : StationReadView {
    void readStarting() override { ++starts; }
    void readStatus(const QString& text) override { statuses.push_back(text); }
    void channelDecoded(int channel) override { channels.push_back(channel); }
    void stationDecoded() override { ++stations; }
    void readCompleted() override { outcome = "completed"; }
    void readFailed() override { outcome = "failed"; }
    void readInterrupted() override { outcome = "interrupted"; }
    bool completed() const { return outcome == "completed"; }

    int starts = 0;
    int stations = 0;
    std::vector<QString> statuses;
    std::vector<int> channels;
    std::string outcome;
};

// Records what the programming run shows.
struct RecordingProgrammingView final : ProgrammingView {
    void programmingStatus(const QString& text) override { statuses.push_back(text); }
    void gauge(int position) override { gauges.push_back(position); }
    void phaseDone(Phase) override {}
    void transferCaption(const QString& caption) override { captions.push_back(caption); }
    void restartDots() override {}
    void clearTrafficLog() override { ++logClears; }
    void programmingEnded(Ending e) override { ending = e; }
    bool finished() const { return ending == Ending::Finished; }

    std::vector<QString> statuses;
    std::vector<int> gauges;
    std::vector<QString> captions;
    int logClears = 0;
    std::optional<Ending> ending;
};

}  // namespace pelmo::test
