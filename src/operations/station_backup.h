#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

#include "link/communication.h"
#include "model/station_image.h"
#include "operations/station_reader.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the backup read shows: the main window's status line, or the command line.
class BackupView {
public:
    virtual ~BackupView() = default;
    virtual void backupStatus(const QString& text) = 0;
    // ok: the station was read and `StationBackup::file()` holds it.
    virtual void backupEnded(bool ok) = 0;
};

// Reads the station's whole configuration with the read sequence into an image of its own
// (the image about to be programmed stays as it is) and saves it as a station file in the
// station folder, backup-<serial>-<yyyymmdd-hhmmss>.sta, keeping the newest 20 per station.
class StationBackup final : private StationReadView {
public:
    static constexpr int kKept = 20;

    struct Options {
        QString baseFolder;  // where the station folders live
        bool gasVersion = false;
        std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    };

    StationBackup(StationPort& port, LinkContext& link, Prompts& prompts, BackupView& view,
                  Options options);
    ~StationBackup() override;

    // `current` gives the bus address and the memory settings the read starts from.
    void start(const StationImage& current);
    void interrupt() { reader_.interrupt(); }
    bool running() const { return reader_.running(); }
    TCommunication* engine() const { return reader_.engine(); }
    QString file() const { return file_; }

    static QString fileName(std::uint16_t serial, const QDateTime& time);
    // fileName(), or with "_02", "_03"... when a backup of that second is in `folder`.
    static QString freeFileName(const QString& folder, std::uint16_t serial, const QDateTime& time);
    // Removes all but the newest `keep` backups of the station from `folder`, never the one
    // kept for a station a failed run left erased.
    static void prune(const QString& folder, std::uint16_t serial, int keep = kKept);
    // After a programming run of the station `serial` that made `backupFile` (empty: none):
    // a run that failed after the erase keeps that backup of the working station until a
    // run programs the station completely, however many backups of the erased station come
    // in between. A run that failed before the erase changes nothing.
    enum class RunEnd { Completed, FailedBeforeErase, FailedAfterErase };
    static RunEnd runEnd(bool completed, bool eraseSent) {
        return completed ? RunEnd::Completed
                         : (eraseSent ? RunEnd::FailedAfterErase : RunEnd::FailedBeforeErase);
    }
    // Returns the backup to program back after a failure: the kept one of the working
    // station, else `backupFile`; empty after a completed run.
    static QString programmingEnded(const QString& baseFolder, std::uint16_t serial,
                                    const QString& backupFile, RunEnd end);
    // The backup kept that way for the station in `folder`, or an empty string.
    static QString keptBackup(const QString& folder, std::uint16_t serial);
    // The serial number a backup's file name carries, 0 for another name.
    static std::uint16_t serialOf(const QString& backupFile);

private:
    void readStarting() override {}
    void readStatus(const QString&) override {}
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override;
    void readFailed() override;
    void readInterrupted() override;

    Prompts& prompts_;
    BackupView& view_;
    Options options_;
    StationImage image_;
    ImageLoan loan_;
    StationReader reader_;
    QString file_;
};

}  // namespace pelmo
