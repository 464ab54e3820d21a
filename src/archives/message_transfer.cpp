#include "archives/message_transfer.h"

#include <QDir>
#include <new>

#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_folder.h"
#include "link/block_codecs.h"
#include "link/status_answer.h"

namespace pelmo {

namespace {
constexpr int kCmosAnswer = 45;
}  // namespace

MessageTransfer::MessageTransfer(StationPort& port, LinkContext& link, Prompts* prompts,
                                 MessageView& view, ArchiveRecordState& state)
    : port_(port), link_(link), prompts_(prompts), view_(view), state_(state) {}

MessageTransfer::MessageTransfer(StationPort& port, ProgramContext& program, MessageView& view)
    : MessageTransfer(port, program.link, &program.prompts(), view, program.archiveRecord) {
    baseFolder_ = program.folder;
    observer_ = program.history;
}

MessageTransfer::~MessageTransfer() = default;

StationImage& MessageTransfer::image() const {
    return link_.build.image ? *link_.build.image : station();
}

Prompts& MessageTransfer::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

void MessageTransfer::setStatus(const QString& text) {
    status_ = text;
    view_.messageStatus(status_);
}

void MessageTransfer::send(int request, int expected, bool ackFirst) {
    step_ = request;
    const int mode = request == READ_MESSAGES ? kModeAtLeast : kModeExact;
    engine_->send(request, expected, mode, ackFirst);
}

void MessageTransfer::start() {
    bytes_.clear();
    table_ = {};
    firstBlock_ = true;
    view_.transferRunning(true);
    setStatus(txt(118));
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completion(failed); },
                                               nullptr, kMessageFinished, port_, link_);
    TCommunication::setCurrent(engine_.get());
    send(COMM, 11, false);
}

void MessageTransfer::abandon() {
    engine_.reset();
}

void MessageTransfer::showStored(std::span<const std::uint8_t> log) {
    bytes_.assign(log.begin(), log.end());
    table_ = fillMessageTable(bytes_);
    view_.tableFilled();
    setStatus(txt(1223));
}

void MessageTransfer::end(bool ok) {
    view_.transferRunning(false);
    if (engine_) {
        engine_->close();
        engine_.reset();
    }
    if (ok && observer_) {
        observer_->messageLogRead(image(), state_.station, bytes_, prompter());
    }
    view_.transferEnded(ok);
}

void MessageTransfer::error(const char* tag) {
    // The error box ends the transfer: nothing more is sent and the window closes.
    engine_.reset();
    view_.transferRunning(false);
    reportGeneralError(prompter(), tag);
    view_.transferEnded(false);
}

void MessageTransfer::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        view_.transferRunning(false);
        engine_->close();
        engine_.reset();
        setStatus(txt(136));
        prompter().error(txt(136));
        view_.transferEnded(false);
        return;
    }
    engine_->acknowledge();
    const auto answer = link_.rx->bytes();
    switch (step_) {
        case COMM:
            setStatus(txt(205));
            send(READ_CMOS, kCmosAnswer, false);
            break;
        case READ_CMOS:
            if (answer.size() < static_cast<std::size_t>(kCmosAnswer)) {
                error(" 9.1: CMOS");
                return;
            }
            decodeCmos(answer, image().cmos_raw_identity, image().cmos);
            setStatus(txt(120));
            send(READ_STATUS, 27, false);
            break;
        case READ_STATUS:
            if (const auto clock = stationClockFromStatus(answer)) {
                setStationClock(state_, *clock);
            } else {
                error(" 9.12: Arch_save_time");
                return;
            }
            setStatus(txt(235));
            send(READ_MESSAGES, 6, false);
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
                engine_.reset();
                view_.transferRunning(false);
                prompter().error(txt(263));
                view_.transferEnded(false);
                return;
            }
            setStatus(status_ + QStringLiteral("OK"));
            firstBlock_ = false;
            if (block->more) {
                send(READ_MESSAGES, 6, true);
                setStatus(txt(141));
                return;
            }
            step_ = kFinished;
            table_ = fillMessageTable(bytes_);
            if (table_.tailError) {
                error(" 9.14: Hlaseni stanice");
                return;
            }
            view_.tableFilled();
            setStatus(txt(141));
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
            setStatus(txt(225));
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
