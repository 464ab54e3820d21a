#include "archives/message_transfer.h"

#include <QDir>
#include <new>

#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_folder.h"
#include "link/block_codecs.h"
#include "link/status_answer.h"

namespace pelmo {

MessageTransfer::MessageTransfer(StationPort& port, LinkContext& link, Prompts& prompts,
                                 MessageView& view, ArchiveRecordState& state)
    : StationSequence(port, link, prompts), view_(view), record_(state) {}

MessageTransfer::MessageTransfer(StationPort& port, ProgramContext& program, MessageView& view)
    : MessageTransfer(port, program.link, program.prompts(), view, program.archiveRecord) {
    baseFolder_ = program.folder;
    observer_ = program.history;
}

MessageTransfer::~MessageTransfer() = default;

void MessageTransfer::setStatus(const QString& text) {
    status_ = text;
    view_.messageStatus(status_);
}

void MessageTransfer::start() {
    bytes_.clear();
    table_ = {};
    firstBlock_ = true;
    view_.transferRunning(true);
    setStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void MessageTransfer::abandon() {
    releaseEngine();
}

void MessageTransfer::showStored(std::span<const std::uint8_t> log) {
    bytes_.assign(log.begin(), log.end());
    table_ = fillMessageTable(bytes_);
    view_.tableFilled();
    setStatus(txt(kTextStoredInTheHistory));
}

void MessageTransfer::end(bool ok) {
    view_.transferRunning(false);
    closeEngine();
    if (ok && observer_) {
        observer_->messageLogRead(image(), record_.station, bytes_, prompter());
    }
    view_.transferEnded(ok);
}

void MessageTransfer::error(const char* tag) {
    // The error box ends the transfer: nothing more is sent and the window closes.
    releaseEngine();
    view_.transferRunning(false);
    reportGeneralError(prompter(), tag);
    view_.transferEnded(false);
}

void MessageTransfer::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        view_.transferRunning(false);
        closeEngine();
        setStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        view_.transferEnded(false);
        return;
    }
    acknowledge();
    const auto answer = this->answer();
    switch (state_) {
        case COMM:
            setStatus(txt(kTextReadingCMOS));
            send(READ_CMOS);
            break;
        case READ_CMOS:
            if (answer.size() < static_cast<std::size_t>(kCmosAnswerLength)) {
                error(" 9.1: CMOS");
                return;
            }
            decodeCmos(answer, image().cmos_raw_identity, image().cmos);
            setStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            if (const auto clock = stationClockFromStatus(answer)) {
                setStationClock(record_, *clock);
            } else {
                error(" 9.12: Arch_save_time");
                return;
            }
            setStatus(txt(kTextTransferingSystemMessages));
            send(READ_MESSAGES);
            break;
        case READ_MESSAGES: {
            const auto block = messageBlock(answer, firstBlock_);
            if (!block) {
                error(" 9.13: Save_Data");
                return;
            }
            try {
                bytes_.insert(bytes_.end(), block->data.begin(), block->data.end());
            } catch (const std::bad_alloc&) {
                bytes_ = {};
                releaseEngine();
                view_.transferRunning(false);
                prompter().error(txt(kTextNotEnoughMemory));
                view_.transferEnded(false);
                return;
            }
            setStatus(status_ + QStringLiteral("OK"));
            firstBlock_ = false;
            if (block->more) {
                sendContinuation(READ_MESSAGES);
                setStatus(txt(kTextDataLoaded));
                return;
            }
            state_ = kFinished;
            table_ = fillMessageTable(bytes_);
            if (table_.tailError) {
                error(" 9.14: Hlaseni stanice");
                return;
            }
            view_.tableFilled();
            setStatus(txt(kTextDataLoaded));
            end(true);
            break;
        }
        default:
            break;
    }
}

QString MessageTransfer::defaultExportPath() const {
    return QDir(stationFolder(baseFolder_, image().cmos.serial_number))
        .filePath(QString::fromLatin1(kMessageExportName));
}

QString MessageTransfer::exportTo(const QString& path) {
    const QString target = path.isEmpty() ? defaultExportPath() : path;
    switch (exportMessages(target, messageExportRows(table_), prompter())) {
        case MessageExportResult::Ok:
            setStatus(txt(kTextDataSaved));
            return target;
        case MessageExportResult::WriteFailed:
        case MessageExportResult::OpenFailed:
            break;
    }
    return {};
}

QString MessageTransfer::exportWithDialog() {
    FileDialogSpec spec;
    spec.filter = QStringLiteral("Hlaseni (*.dat)|*.dat");
    spec.defaultExtension = QStringLiteral("dat");
    spec.confirmOverwrite = true;
    const QString path = prompter().saveFile(spec);
    if (path.isEmpty()) {
        return {};
    }
    return exportTo(path);
}

}  // namespace pelmo
