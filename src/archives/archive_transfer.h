#pragma once

#include <QString>
#include <memory>

#include "context/program_context.h"
#include "context/reading_observer.h"
#include "files/archive_file.h"
#include "link/station_sequence.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the archive window shows while its sequences run; tests and pelmo-cli implement it
// without widgets.
class ArchiveView {
public:
    virtual ~ArchiveView() = default;

    virtual void archiveStatus(const QString& text) = 0;  // status panel 0
    virtual void sourceFile(const QString& name) = 0;     // status panel 1
    // The description sequence begins: scroll bar to 24, both captions text 226.
    virtual void descriptionStarting() = 0;
    // Scroll bar, read button and menus are disabled while a sequence runs.
    virtual void sequenceRunning(bool running) = 0;
    // Grid cells or time texts changed.
    virtual void gridChanged() = 0;
    // A record was read at `position`: scroll bar focused, "Načteno" takes its caption.
    virtual void recordRead(int position) = 0;
    // A data or reset sequence ended, read or failed.
    virtual void sequenceEnded(bool ok) = 0;
    // A failure that ends the window (the description failed, an answer did not decode).
    virtual void closeRequested() = 0;
    // The reset starts with a fresh traffic log.
    virtual void trafficLogReset() {}
};

// The archive window's logic: the description sequence (COMM, READ_CMOS, READ_STATUS,
// READ_METER, fifteen READ_ARCHIVE_INFO), the data sequence of one scroll-bar position
// (COMM, READ_STATUS, READ_ARCHIVE_DATA, END_COMM), the reset of the intermediate state
// (COMM, CLEAR_PARTIAL, READ_ARCHIVE_DATA, END_COMM), the grid they fill and the archive
// files it is saved to and loaded from.
class ArchiveSession final : public StationSequence {
public:
    enum class Sequence { None, Description, Data, Reset };

    ArchiveSession(StationPort& port, LinkContext& link, Prompts& prompts, ArchiveView& view,
                   ArchiveRecordState& state);
    // Over `program`: its link, prompts and record state, its folder for the station
    // folders, its version, and its history told of every record read.
    ArchiveSession(StationPort& port, ProgramContext& program, ArchiveView& view);
    ~ArchiveSession() override;

    // Folder the station folders are made in (the program folder).
    void setBaseFolder(const QString& folder) { baseFolder_ = folder; }
    // The gas version shows and keeps the gas quantities of an archive.
    void setGasVersion(bool gas) { gas_ = gas; }

    void startDescription();
    // Reads the archive of scroll-bar position 0..33.
    void startData(int position);
    // Asks text 232; on Yes clears the intermediate state and shows it. False when declined.
    bool startReset(int position);

    // The archive file of the last read position, in the station folder.
    QString archivePath() const;
    // Writes it (status 225, or text 147). The path written, empty on failure.
    QString save();
    // Reads the archive file of the last read position, or `path` when given (status 233,
    // or text 146).
    bool load(const QString& path = {});
    // Shows a record kept in the history, as load() shows a file; `caption` is 247 for the
    // actual state, else 398. Status text 1223.
    void showStored(const ArchiveFileTexts& texts, int caption);
    // Asks for a file, then loads it and shows its name in panel 1.
    bool loadFromDisk();

    const ArchiveRows& grid() const { return grid_; }
    QString recordTime() const { return times_[0]; }
    QString recordDate() const { return times_[1]; }
    QString stationTime() const { return times_[2]; }
    QString stationDate() const { return times_[3]; }
    // Text number of the record group's caption: 247 for the actual state, else 398.
    int recordCaption() const { return recordCaption_; }
    int lastReadPosition() const { return lastRead_; }
    bool loadedFromFile() const { return loadedFromFile_; }
    // Whether the grid holds a whole record (read or loaded), so that there is one to save.
    bool hasRecord() const { return hasRecord_; }
    bool resetAllowed() const { return lastRead_ == kArchivePositionPartial; }
    int archiveNumber() const { return number_; }
    int step() const { return StationSequence::state(); }
    Sequence sequence() const { return sequence_; }
    const ArchiveRecordState& state() const { return record_; }
    // The values of the last record read from the station, as the history keeps them.
    const std::vector<ArchiveEntry>& readRows() const { return readRows_; }

private:
    void completion(ExchangeResult result) override;
    void begin(Sequence sequence);
    void describe(std::span<const std::uint8_t> answer);
    void showRecord(std::span<const std::uint8_t> answer);
    void placeDescriptions();
    void fail();
    void decodingFailed(const char* tag);

    ArchiveView& view_;
    ArchiveRecordState& record_;
    QString baseFolder_;
    bool gas_ = false;
    ReadingObserver* observer_ = nullptr;
    Sequence sequence_ = Sequence::None;
    int number_ = 0;
    int position_ = kArchivePositionActual;  // position of the running data or reset sequence
    int nextRow_ = 1;
    int lastRead_ = kArchivePositionActual;
    bool loadedFromFile_ = false;
    bool hasRecord_ = false;
    ArchiveRows grid_;
    std::vector<ArchiveEntry> readRows_;
    std::array<QString, 4> times_;
    int recordCaption_ = 247;
};

}  // namespace pelmo
