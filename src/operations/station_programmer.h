#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "link/station_sequence.h"

namespace pelmo {

struct ArchiveRecordState;
class Prompts;
class StationPort;

// What the programming run shows; TProgressForm implements it with widgets, the
// command-line tool by printing.
class ProgrammingView {
public:
    enum class Phase { Initialisation = 1, Erasing = 2, Transfer = 3, Start = 4 };
    enum class Ending { Finished, Refused, Failed };

    virtual ~ProgrammingView() = default;

    virtual void programmingStatus(const QString& text) = 0;  // the whole status text
    virtual void gauge(int position) = 0;
    virtual void phaseDone(Phase phase) = 0;
    // The transfer row's OK label, shown with this caption ("ch.3", "Def.stanice", "OK").
    virtual void transferCaption(const QString& caption) = 0;
    virtual void restartDots() = 0;
    virtual void clearTrafficLog() = 0;
    // Finished: the window stays open; Refused and Failed: the window closes.
    virtual void programmingEnded(Ending ending) = 0;
};

// Writes the station image into the station: COMM, READ_CMOS (a locked station is
// refused; a damaged CMOS block may be restored from its correction file), READ_STATUS,
// ERASE_STATION, SET_TIME, the eight channels, the meter and the station definition,
// WRITE_ADDRESS and RESTART_MEASURING, with an optional read-back compare of every block.
class StationProgrammer final : public StationSequence {
public:
    static constexpr int kGaugeMaximum = 210;
    static constexpr int kMaxCheckFailures = 3;

    struct Options {
        bool checking = true;
        QString programDir;                    // where correction files are looked for
        std::function<void()> completionTone;  // empty: silence
        // Takes the station clock the run reads, as the archive window keeps it; null: none.
        ArchiveRecordState* recordState = nullptr;
    };

    StationProgrammer(StationPort& port, LinkContext& link, Prompts& prompts, ProgrammingView& view,
                      Options options);
    ~StationProgrammer() override;

    void start();

    int step() const { return state_; }
    int gaugePosition() const { return gauge_; }
    int checkFailures() const { return failures_; }
    // Whether this run has sent the erase: a failure after it leaves the station partly
    // programmed.
    bool eraseSent() const { return eraseSent_; }
    // Where the station answers now, for a restore: the address the run writes once
    // WRITE_ADDRESS was answered or is still on its way (abandoned by an interrupt), else the
    // address the run started at.
    int answeringAddress() const;
    // Which dots label the animation fills now (1..4), 0 for none.
    int dotsRow() const;

private:
    void completion(ExchangeResult result) override;
    // Notes the requests after which the station may have lost its configuration or moved.
    void sendStep(Request request);
    void addGauge(int amount);
    void setStatus(const QString& text);
    void appendStatus(const QString& text);
    void fail();
    void refuse();
    void sendChannel();
    // Returns false when the run ended because of too many failed compares.
    bool countFailure();

    void onComm();
    void onCmos();
    void onChannelWritten();
    void onChannelRead();
    void onMeterWritten();
    void onMeterRead();
    void onStationWritten();
    void onStationRead();
    void onRestarted();

    ProgrammingView& view_;
    Options options_;
    int gauge_ = 0;
    std::uint8_t failures_ = 0;
    bool eraseSent_ = false;
    bool addressSent_ = false;
    int startAddress_ = 0;
    QString status_;
};

}  // namespace pelmo
