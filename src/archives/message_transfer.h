#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "archives/message_log.h"
#include "context/program_context.h"
#include "context/reading_observer.h"
#include "files/archive_file.h"
#include "link/station_sequence.h"

namespace pelmo {

class Prompts;
class StationPort;

// What the messages window shows while the log is read.
class MessageView {
public:
    virtual ~MessageView() = default;
    virtual void messageStatus(const QString& text) = 0;
    // The "Data" menu is disabled while the transfer runs.
    virtual void transferRunning(bool running) = 0;
    virtual void tableFilled() = 0;
    // The transfer ended: read, or failed (the window closes after a failure).
    virtual void transferEnded(bool ok) = 0;
};

// Reads the station's message log: COMM, READ_CMOS, READ_STATUS, then READ_MESSAGES block by
// block while the station announces more, then END_COMM; fills the message table and
// exports it to Hlaseni.dat.
class MessageTransfer final : public StationSequence {
public:
    MessageTransfer(StationPort& port, LinkContext& link, Prompts& prompts, MessageView& view,
                    ArchiveRecordState& state);
    // Over `program`: its link, prompts and record state, its folder for the station
    // folders, and its history told of every log read.
    MessageTransfer(StationPort& port, ProgramContext& program, MessageView& view);
    ~MessageTransfer() override;

    void start();
    // Shows a log kept in the history instead of reading the station (status text 1223).
    void showStored(std::span<const std::uint8_t> log);
    // Closing the window abandons a running transfer: nothing more is sent.
    void abandon();

    // Folder the station folders are made in (the program folder).
    void setBaseFolder(const QString& folder) { baseFolder_ = folder; }
    // Hlaseni.dat in the station folder.
    QString defaultExportPath() const;
    // Writes the table to `path`, or to the default file when empty (status 225). The path
    // written, empty on failure.
    QString exportTo(const QString& path = {});
    // Asks for a file name with the save dialog, then exports.
    QString exportWithDialog();

    const MessageTable& table() const { return table_; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    int step() const { return state_; }

private:
    void completion(ExchangeResult result) override;
    void setStatus(const QString& text);
    void end(bool ok);
    void error(const char* tag);

    MessageView& view_;
    ArchiveRecordState& record_;
    QString baseFolder_;
    ReadingObserver* observer_ = nullptr;
    bool firstBlock_ = true;
    QString status_;
    std::vector<std::uint8_t> bytes_;
    MessageTable table_;
};

}  // namespace pelmo
