// Every station sequence under every fault the simulator can play: each ends in its failure
// report, within a bounded number of polls, with no engine waiting and no timer running, and
// with the files that were there before left byte for byte.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>

#include "archives/archive_transfer.h"
#include "archives/message_transfer.h"
#include "base/texts.h"
#include "bus/address_search.h"
#include "bus/alarm_limits.h"
#include "bus/flying_measurement.h"
#include "bus/hardware_info.h"
#include "bus/maximum_reader.h"
#include "bus/meter_limits.h"
#include "bus/registers_reader.h"
#include "fault_matrix.h"
#include "files/monitoring_file.h"
#include "files/program_settings.h"
#include "monitoring/live_tracker.h"
#include "monitoring/mon_transfer.h"
#include "operations/channel_upload.h"
#include "operations/station_locker.h"
#include "operations/station_programmer.h"
#include "operations/station_reader.h"
#include "scripted_prompts.h"
#include "sequence_views.h"
#include "sim/default_station.h"
#include "sim_link.h"
#include "ui/serial_host_logic.h"

namespace pelmo {
namespace {

using test::Fault;

// 15 March 2025, 10:00, as the archive tests use.
const std::uint32_t kMarch25 = timeCodeFromCalendar(25, 3, 15, 10, 0, 0);

// Enough simulated time for the slowest sequence to give up four times over.
constexpr int kPollLimit = 60000;

// The number of the operator text `text` begins with (the longest match), then +"what
// follows it"; a text from no table stays in quotes.
std::string textCode(const QString& text) {
    std::string best;
    int bestLength = 0;
    for (int n = 1; n < 1400; ++n) {
        const QString t = tableText(n, Language::English);
        if (t.isEmpty() || !text.startsWith(t) || t.size() < bestLength) {
            continue;
        }
        // Texts that read the same are told apart by neither language: name them all.
        best = t.size() == bestLength ? best + "/" + std::to_string(n) : std::to_string(n);
        bestLength = static_cast<int>(t.size());
    }
    if (best.empty()) {
        return "\"" + text.toStdString() + "\"";
    }
    if (bestLength == text.size()) {
        return best;
    }
    return best + "+\"" + text.mid(bestLength).toStdString() + "\"";
}

// What a sequence showed: its prompts, its ending and its last status.
struct Outcome {
    std::vector<std::string> events;
    std::string status;
    void event(const std::string& e) { events.push_back(e); }
    void setStatus(const QString& s) { status = textCode(s); }
};

// One sequence on the campaign's bus. prepare() runs without faults (a sequence that needs
// a station read first, a window already open); start() begins the sequence under test.
class SequenceRun {
public:
    virtual ~SequenceRun() = default;
    virtual void prepare() {}
    virtual void start() = 0;
    // Its timers besides the engine's: called every poll with the simulated milliseconds
    // since start(), to fire what is due.
    virtual void timers(int /*elapsedMs*/) {}
    virtual TCommunication* engine() const = 0;
    // A timer of its own still running.
    virtual bool timerActive() const { return false; }
    // The sequence has nothing more to do (its engine gone or idle, no timer due).
    bool idle() const {
        const TCommunication* e = engine();
        return (!e || !e->waiting()) && !timerActive();
    }
    Outcome out;
};

class Bench {
public:
    explicit Bench(const QString& folder) : folder_(folder) {}

    test::SimLink link{kMarch25};
    test::ScriptedPrompts prompts;
    QString folder() const { return folder_; }

    // Polls until `engine` is gone or idle; fault free.
    void settle(const std::function<TCommunication*()>& engine) {
        for (int i = 0; i < kPollLimit; ++i) {
            TCommunication* e = engine();
            if (!e || !e->waiting()) {
                return;
            }
            link.sim.advance(kPollIntervalMs);
            e->poll();
        }
        ADD_FAILURE() << "preparation did not settle";
    }
    void readStation() {
        test::RecordingReadView v;
        StationReader r(link.port, link.context, prompts, v);
        r.start();
        settle([&r] { return r.engine(); });
        ASSERT_TRUE(v.completed());
    }

private:
    QString folder_;
};

// --- the sequences ---------------------------------------------------------------------

class ReadRun final : public SequenceRun, public StationReadView {
public:
    explicit ReadRun(Bench& b) : reader_(b.link.port, b.link.context, b.prompts, *this) {}
    void start() override { reader_.start(); }
    TCommunication* engine() const override { return reader_.engine(); }
    void readStarting() override {}
    void readStatus(const QString& t) override { out.setStatus(t); }
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override { out.event("completed"); }
    void readFailed() override { out.event("failed"); }
    void readInterrupted() override { out.event("interrupted"); }

private:
    StationReader reader_;
};

class ProgramRun final : public SequenceRun, public ProgrammingView {
public:
    explicit ProgramRun(Bench& b) : b_(b) {}
    void prepare() override { b_.readStation(); }
    void start() override {
        StationProgrammer::Options o;
        o.checking = true;
        o.programDir = b_.folder();
        programmer_ = std::make_unique<StationProgrammer>(b_.link.port, b_.link.context, b_.prompts,
                                                          *this, o);
        programmer_->start();
    }
    TCommunication* engine() const override {
        return programmer_ ? programmer_->engine() : nullptr;
    }
    void programmingStatus(const QString& t) override { out.setStatus(t.split('\n').back()); }
    void gauge(int) override {}
    void phaseDone(Phase) override {}
    void transferCaption(const QString&) override {}
    void restartDots() override {}
    void clearTrafficLog() override {}
    void programmingEnded(Ending e) override {
        out.event(e == Ending::Finished ? "finished" : e == Ending::Refused ? "refused" : "failed");
    }

private:
    Bench& b_;
    std::unique_ptr<StationProgrammer> programmer_;
};

class LockRun final : public SequenceRun, public LockView {
public:
    explicit LockRun(Bench& b) : b_(b), locker_(b.link.port, b.link.context, b.prompts, *this) {}
    void start() override {
        b_.prompts.answers = {true};
        locker_.start();
    }
    TCommunication* engine() const override { return locker_.engine(); }
    void lockStatus(const QString& t) override { out.setStatus(t); }
    void stationIdentified() override {}
    void lockEnded(Ending e) override {
        static const char* names[] = {"locked", "not locked", "already locked", "declined",
                                      "failed"};
        out.event(names[static_cast<int>(e)]);
    }

private:
    Bench& b_;
    StationLocker locker_;
};

class UploadRun final : public SequenceRun, public ChannelUploadView {
public:
    explicit UploadRun(Bench& b) : b_(b), upload_(b.link.port, b.link.context, b.prompts, *this) {}
    void prepare() override { b_.readStation(); }
    void start() override { upload_.start(3); }
    TCommunication* engine() const override { return upload_.engine(); }
    void uploadStatus(const QString& t) override { out.setStatus(t); }
    void uploadProgress(int) override {}
    void uploadEnded() override { out.event("ended"); }
    void closeEditor() override { out.event("editor closed"); }

private:
    Bench& b_;
    ChannelUpload upload_;
};

class ArchiveRun final : public SequenceRun, public ArchiveView {
public:
    enum class Kind { Description, Data, Reset };
    ArchiveRun(Bench& b, Kind kind)
        : b_(b), kind_(kind), session_(b.link.port, b.link.context, b.prompts, *this, state_) {
        session_.setBaseFolder(b.folder());
    }
    void prepare() override {
        // The window is open on a record saved before: a failure must leave its file.
        if (kind_ != Kind::Description) {
            session_.startDescription();
            b_.settle([this] { return session_.engine(); });
        }
        if (kind_ != Kind::Description) {
            session_.startData(kind_ == Kind::Reset ? kArchivePositionPartial : 3);
            b_.settle([this] { return session_.engine(); });
            ASSERT_FALSE(session_.save().isEmpty());
        }
        out = Outcome{};
    }
    void start() override {
        switch (kind_) {
            case Kind::Description:
                session_.startDescription();
                break;
            case Kind::Data:
                session_.startData(3);
                break;
            case Kind::Reset:
                b_.prompts.answers = {true};
                session_.startReset(kArchivePositionPartial);
                break;
        }
    }
    TCommunication* engine() const override { return session_.engine(); }
    void archiveStatus(const QString& t) override { out.setStatus(t); }
    void sourceFile(const QString&) override {}
    void descriptionStarting() override {}
    void sequenceRunning(bool) override {}
    void gridChanged() override {}
    void recordRead(int p) override { out.event("read " + std::to_string(p)); }
    void sequenceEnded(bool ok) override { out.event(ok ? "ended ok" : "ended failed"); }
    void closeRequested() override { out.event("window closed"); }

private:
    Bench& b_;
    Kind kind_;
    ArchiveRecordState state_;
    ArchiveSession session_;
};

class MessagesRun final : public SequenceRun, public MessageView {
public:
    explicit MessagesRun(Bench& b)
        : b_(b), transfer_(b.link.port, b.link.context, b.prompts, *this, state_) {
        transfer_.setBaseFolder(b.folder());
    }
    void prepare() override {
        transfer_.start();
        b_.settle([this] { return transfer_.engine(); });
        ASSERT_FALSE(transfer_.exportTo().isEmpty());
        out = Outcome{};
    }
    void start() override { transfer_.start(); }
    TCommunication* engine() const override { return transfer_.engine(); }
    void messageStatus(const QString& t) override { out.setStatus(t); }
    void transferRunning(bool) override {}
    void tableFilled() override {}
    void transferEnded(bool ok) override { out.event(ok ? "ended ok" : "ended failed"); }

private:
    Bench& b_;
    ArchiveRecordState state_;
    MessageTransfer transfer_;
};

class MonitoringRun final : public SequenceRun, public MonTransferView {
public:
    explicit MonitoringRun(Bench& b)
        : transfer_(b.link.port, b.link.context, b.prompts, *this, recording_) {}
    void start() override { transfer_.start(); }
    TCommunication* engine() const override { return transfer_.engine(); }
    void transferStatus(const QString& t) override { out.setStatus(t); }
    void viewStatus(const QString&) override {}
    void viewSource(const QString&) override {}
    void expectedCounts(const std::array<std::uint16_t, kChannelCount>&) override {}
    void receivedCount(int, int) override {}
    void gaugeMaximum(int) override {}
    void gauge(int) override {}
    void trafficNote(const QString&) override {}
    void transferEnded(bool ready) override { out.event(ready ? "data ready" : "no data"); }

private:
    MonitoringRecording recording_;
    MonTransfer transfer_;
};

class LiveRun final : public SequenceRun, public LiveTrackerView {
public:
    // Followed for this long, then stopped as closing the view stops it.
    static constexpr int kFollowMs = 20000;
    explicit LiveRun(Bench& b) : tracker_(b.link.port, b.link.context, b.prompts, *this) {}
    void start() override { tracker_.start(); }
    void timers(int elapsedMs) override {
        if (elapsedMs >= kFollowMs) {
            if (!stopped_) {
                stopped_ = true;
                tracker_.stop();
                out.event(tracker_.records().empty() ? "no record" : "records kept");
            }
            return;
        }
        if (tracker_.polling() && elapsedMs % LiveTracker::kTickMs == 0) {
            tracker_.tick();
        }
    }
    bool timerActive() const override { return !stopped_; }
    TCommunication* engine() const override { return tracker_.engine(); }
    void liveStatus(const QString& t) override { out.setStatus(t); }
    void liveRecord(const LiveRecord&, int) override {}
    void liveConnectionLost() override {
        if (!lost_) {
            out.event("connection lost");
        }
        lost_ = true;
    }
    void liveTrafficNote(const QString&) override {}
    void liveFailed(const QString& m) override { out.event("failed " + textCode(m)); }

private:
    LiveTracker tracker_;
    bool stopped_ = false;
    bool lost_ = false;
};

class SearchRun final : public SequenceRun, public AddressSearchView {
public:
    explicit SearchRun(Bench& b)
        : search_(b.link.port, b.link.context, b.prompts, *this, 249, 251) {}
    void start() override { search_.start(); }
    void timers(int) override {
        if (search_.pausing()) {
            search_.pauseElapsed();
        }
    }
    bool timerActive() const override { return search_.pausing(); }
    TCommunication* engine() const override { return search_.engine(); }
    void searchStatus(const QString& t) override { out.setStatus(t); }
    void probing(int) override {}
    void addressAnswered(int, int) override {}
    void stationFound(int, int a, const QString&) override {
        out.event("found " + std::to_string(a));
    }
    void searchEnded() override { out.event("ended"); }

private:
    AddressSearch search_;
};

class RegistersRun final : public SequenceRun, public RegistersView {
public:
    explicit RegistersRun(Bench& b) : reader_(b.link.port, b.link.context, b.prompts, *this) {}
    void start() override { reader_.read(false); }
    TCommunication* engine() const override { return reader_.engine(); }
    void registersStatus(const QString& t) override { out.setStatus(t); }
    void clearTrafficLog() override {}
    void readRunning(bool) override {}
    void registersRead(const RegisterValues&) override { out.event("values"); }
    void registersEnded(Ending e) override { out.event(e == Ending::Read ? "read" : "failed"); }

private:
    RegistersReader reader_;
};

class AlarmRun final : public SequenceRun, public AlarmLimitsView {
public:
    AlarmRun(Bench& b, bool save)
        : b_(b), save_(save), limits_(b.link.port, b.link.context, b.prompts, *this) {}
    void prepare() override {
        if (save_) {
            limits_.read();
            b_.settle([this] { return limits_.engine(); });
            out = Outcome{};
        }
    }
    void start() override { save_ ? limits_.save(1) : limits_.read(); }
    TCommunication* engine() const override { return limits_.engine(); }
    void alarmStatus(const QString& t) override { out.setStatus(t); }
    void configurationRead() override { out.event("read"); }
    void channelSaved() override { out.event("saved"); }
    void progressStep(int) override {}
    void alarmFailed() override { out.event("failed"); }

private:
    Bench& b_;
    bool save_;
    AlarmLimits limits_;
};

class MeterRun final : public SequenceRun, public MeterLimitsView {
public:
    MeterRun(Bench& b, bool write)
        : b_(b), write_(write), limits_(b.link.port, b.link.context, b.prompts, *this) {}
    void prepare() override {
        if (write_) {
            limits_.read();
            b_.settle([this] { return limits_.engine(); });
            const definice_meridla_rec& m = b_.link.image.meter;
            ASSERT_TRUE(checkMeterLimits(meterLimitValues1(m), meterLimitValues2(m), false,
                                         b_.prompts, entry_));
            out = Outcome{};
        }
    }
    void start() override { write_ ? limits_.write(entry_) : limits_.read(); }
    TCommunication* engine() const override { return limits_.engine(); }
    void meterStatus(const QString& t) override { out.setStatus(t); }
    void meterRead() override { out.event("read"); }
    void meterWritten() override { out.event("written"); }
    void meterFailed(bool closing) override { out.event(closing ? "failed, closing" : "failed"); }

private:
    Bench& b_;
    bool write_;
    MeterLimitEntry entry_;
    MeterLimits limits_;
};

class HardwareRun final : public SequenceRun, public HardwareInfoView {
public:
    explicit HardwareRun(Bench& b) : reader_(b.link.port, b.link.context, b.prompts, *this) {}
    void start() override { reader_.start(); }
    TCommunication* engine() const override { return reader_.engine(); }
    void hardwareStatus(const QString& t) override { out.setStatus(t); }
    void stationDecoded() override {}
    void hardwareEnded(Ending e) override { out.event(e == Ending::Read ? "read" : "failed"); }

private:
    HardwareInfoReader reader_;
};

class MaximumRun final : public SequenceRun, public MaximumView {
public:
    explicit MaximumRun(Bench& b) : reader_(b.link.port, b.link.context, b.prompts, *this) {}
    void start() override { reader_.start(); }
    TCommunication* engine() const override { return reader_.engine(); }
    void maximumStatus(const QString& t) override { out.setStatus(t); }
    void maximumRead(const MaximumValues&) override { out.event("values"); }
    void maximumEnded(Ending e) override { out.event(e == Ending::Read ? "read" : "failed"); }

private:
    MaximumReader reader_;
};

class FlyRun final : public SequenceRun, public FlyView {
public:
    enum class Kind { Setup, Start, Retrieve };
    FlyRun(Bench& b, Kind kind)
        : b_(b), kind_(kind), fly_(b.link.port, b.link.context, b.prompts, *this) {}
    void prepare() override {
        if (kind_ == Kind::Setup) {
            return;
        }
        fly_.setup();
        b_.settle([this] { return fly_.engine(); });
        b_.link.image.meter.interval_p1 = 2;  // a short measurement
        if (kind_ == Kind::Retrieve) {
            fly_.startMeasurement(1, 1, true);
            b_.settle([this] { return fly_.engine(); });
        }
        out = Outcome{};
    }
    void start() override {
        if (kind_ == Kind::Setup) {
            fly_.setup();
        } else if (kind_ == Kind::Start) {
            fly_.startMeasurement(1, 1, true);
        }
    }
    void timers(int elapsedMs) override {
        if (fly_.timer().isActive() && elapsedMs % FlyingMeasurement::kTickMs == 0) {
            fly_.tick();
        }
    }
    bool timerActive() const override { return fly_.phase() == Phase::Measuring; }
    TCommunication* engine() const override { return fly_.engine(); }
    void flyStatus(const QString& t) override { out.setStatus(t); }
    void setupDone() override { out.event("setup done"); }
    void gaugeStep() override {}
    void resultsRead(const FlyValues&) override { out.event("results"); }
    void phaseChanged(Phase p) override {
        static const char* names[] = {"idle", "starting", "measuring", "retrieving"};
        if (p != Phase::Starting && p != Phase::Retrieving) {
            out.event(names[static_cast<int>(p)]);
        }
    }
    void flyFailed(bool closing) override { out.event(closing ? "failed, closing" : "failed"); }
    void flyBroken() override { out.event("broken"); }

private:
    Bench& b_;
    Kind kind_;
    FlyingMeasurement fly_;
};

class SetDateRun final : public SequenceRun {
public:
    explicit SetDateRun(Bench& b)
        : date_(b.link.port, b.link.context, b.prompts,
                [this](const QString& label) { out.event("label " + label.toStdString()); }) {}
    void start() override { date_.start(); }
    TCommunication* engine() const override { return date_.engine(); }

private:
    SetDateSequence date_;
};

using Factory = std::function<std::unique_ptr<SequenceRun>(Bench&)>;

template <typename T, typename... A>
Factory make(A... a) {
    return [=](Bench& b) { return std::make_unique<T>(b, a...); };
}

const std::map<std::string, Factory>& factories() {
    static const std::map<std::string, Factory> f = {
        {"read", make<ReadRun>()},
        {"program", make<ProgramRun>()},
        {"lock", make<LockRun>()},
        {"channel upload", make<UploadRun>()},
        {"archive description", make<ArchiveRun>(ArchiveRun::Kind::Description)},
        {"archive record", make<ArchiveRun>(ArchiveRun::Kind::Data)},
        {"intermediate reset", make<ArchiveRun>(ArchiveRun::Kind::Reset)},
        {"messages", make<MessagesRun>()},
        {"monitoring", make<MonitoringRun>()},
        {"live", make<LiveRun>()},
        {"search", make<SearchRun>()},
        {"registers", make<RegistersRun>()},
        {"alarm limits read", make<AlarmRun>(false)},
        {"alarm limits save", make<AlarmRun>(true)},
        {"meter limits read", make<MeterRun>(false)},
        {"meter limits write", make<MeterRun>(true)},
        {"hardware", make<HardwareRun>()},
        {"maximum", make<MaximumRun>()},
        {"fly setup", make<FlyRun>(FlyRun::Kind::Setup)},
        {"fly start", make<FlyRun>(FlyRun::Kind::Start)},
        {"fly retrieve", make<FlyRun>(FlyRun::Kind::Retrieve)},
        {"set date", make<SetDateRun>()},
    };
    return f;
}

// --- the campaign ----------------------------------------------------------------------

using Snapshot = std::map<QString, QByteArray>;

Snapshot snapshot(const QString& folder) {
    Snapshot s;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        s[QDir(folder).relativeFilePath(path)] = f.open(QIODevice::ReadOnly) ? f.readAll() : "?";
    }
    return s;
}

sim::FaultSettings faultSettings(Fault fault, const std::string& request) {
    sim::FaultSettings f;
    switch (fault) {
        case Fault::Silent:
            f.silent = true;
            break;
        case Fault::CorruptTrailer:
            f.corruptEvery = 1;
            break;
        case Fault::DropByte:
            f.dropByte.set();
            break;
        case Fault::ExtraByte:
            f.extraByte.set();
            break;
        case Fault::LateAnswer:
            f.delayMs = test::kLateAnswerMs;
            break;
        case Fault::Delay:
            f.delayMs = test::kFaultDelayMs;
            break;
        case Fault::ShortBuffer:
            f.shortBuffer = sim::ShortBuffer::Always;
            break;
        case Fault::NoAnswer:
            f.noAnswer.set(static_cast<std::size_t>(*sim::requestByName(request)));
            break;
    }
    return f;
}

std::string describe(const Outcome& o, const test::ScriptedPrompts& prompts) {
    std::string s;
    for (const auto& p : prompts.shown) {
        static const char kinds[] = {'E', 'W', 'I', 'Q'};
        s += kinds[static_cast<int>(p.kind)];
        s += textCode(p.text) + "; ";
    }
    for (const auto& e : o.events) {
        s += e + "; ";
    }
    return s + "status " + (o.status.empty() ? std::string("-") : o.status);
}

struct Case {
    const test::SequenceFaults* sequence;
    Fault fault;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.sequence->name << " / " << test::faultName(c.fault);
}

std::vector<Case> cases() {
    std::vector<Case> out;
    for (const auto& s : test::faultMatrix()) {
        for (Fault f : test::kFaults) {
            if (!s.expected(f).empty()) {
                out.push_back({&s, f});
            }
        }
    }
    return out;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    std::string n = info.param.sequence->name + "_" + test::faultName(info.param.fault);
    for (char& c : n) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return n;
}

class FaultCampaign : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        setLanguage(Language::English);
        // Files a previous session left: none of them may change.
        QDir().mkpath(dir.filePath(QStringLiteral("2317.000")));
        for (const char* name : {"settings.ini", "2317.000/backup-2317-20250301-080000.sta",
                                 "2317.000/Hlaseni.dat", "readings.mon", "readings.con"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray("kept as it was: ") + name);
        }
    }
    QTemporaryDir dir;
};

TEST_P(FaultCampaign, EndsInItsFailureReportAndLeavesNothingBehind) {
    const Case c = GetParam();
    Bench bench(dir.path());
    std::unique_ptr<SequenceRun> run = factories().at(c.sequence->name)(bench);
    // A second station on the bus for the search; it gets the same faults.
    if (c.sequence->name == "search") {
        bench.link.bus.addStation(250);
    }
    run->prepare();
    ASSERT_FALSE(HasFatalFailure());
    bench.prompts.shown.clear();
    const Snapshot before = snapshot(dir.path());

    const sim::FaultSettings faults = faultSettings(c.fault, c.sequence->noAnswer);
    for (int address : {250, 251}) {
        if (sim::SimStation* s = bench.link.bus.station(address)) {
            s->addFaults(faults);
        }
    }
    run->start();
    constexpr int kTurnaroundStepMs = 4;
    int elapsed = 0;
    for (int polls = 0; polls < kPollLimit && !run->idle(); ++polls) {
        // The port's own timer in the program: a block held for the turnaround goes once the
        // line is free, a few milliseconds into the poll.
        bench.link.sim.advance(kTurnaroundStepMs);
        bench.link.port.service();
        bench.link.sim.advance(kPollIntervalMs - kTurnaroundStepMs);
        elapsed += kPollIntervalMs;
        if (TCommunication* e = run->engine(); e && e->waiting()) {
            e->poll();
        }
        run->timers(elapsed);
    }
    // Late answers still on their way reach nobody: the sequence stays where it ended.
    bench.link.sim.advance(2 * test::kFaultDelayMs);
    EXPECT_TRUE(run->idle()) << "still running after " << elapsed << " ms";
    EXPECT_EQ(describe(run->out, bench.prompts), c.sequence->expected(c.fault));
    EXPECT_EQ(snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(EverySequence, FaultCampaign, ::testing::ValuesIn(cases()), caseName);

// Answers later than one attempt: the answer to an earlier attempt must not be taken for
// the next request's, which shifted every channel block by one (the read still "completed").
TEST(LateAnswers, AreNotTakenForTheNextRequestsAnswer) {
    const StationImage want = sim::defaultStation(251, kMarch25).image;
    for (int delay : {test::kLateAnswerMs, 1300, 2000}) {
        SCOPED_TRACE(delay);
        Bench bench(QString{});
        bench.link.station->faults().settings().delayMs = delay;
        test::RecordingReadView view;
        StationReader reader(bench.link.port, bench.link.context, bench.prompts, view);
        reader.start();
        bench.settle([&reader] { return reader.engine(); });
        ASSERT_TRUE(view.completed());
        for (int n = 1; n <= kChannelCount; ++n) {
            EXPECT_EQ(bench.link.image.channel(n).memory, want.channel(n).memory) << n;
            EXPECT_EQ(bench.link.image.channel(n).interval, want.channel(n).interval) << n;
        }
        EXPECT_EQ(bench.link.image.meter.meter_number, want.meter.meter_number);
        EXPECT_EQ(bench.link.image.station.name, want.station.name);
    }
}

// The matrix in docs/fault-campaign.md is the table above, so it cannot drift from what runs.
TEST(FaultMatrix, TheCampaignPageShowsTheTable) {
    QFile page(QStringLiteral(PELMO_FAULT_CAMPAIGN_PATH));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(page.readAll());
    const QString table = QString::fromStdString(test::faultMatrixMarkdown());
    if (qEnvironmentVariableIsSet("PELMO_PRINT_FAULT_MATRIX")) {
        std::printf("%s", table.toStdString().c_str());
    }
    EXPECT_TRUE(text.contains(table)) << "docs/fault-campaign.md lacks the fault matrix; print it "
                                         "with PELMO_PRINT_FAULT_MATRIX=1";
    // Every sequence in the table has a run.
    for (const auto& s : test::faultMatrix()) {
        EXPECT_TRUE(factories().count(s.name)) << s.name;
    }
}

}  // namespace
}  // namespace pelmo
