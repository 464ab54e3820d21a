#include "archives/archive_transfer.h"

#include <QDir>
#include <QFileInfo>

#include "archives/archive_logic.h"
#include "base/cp1250.h"
#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_folder.h"
#include "files/station_time_iso.h"
#include "link/block_codecs.h"
#include "link/status_answer.h"

namespace pelmo {

namespace {
const QString kOk = QStringLiteral("OK");
}  // namespace

ArchiveSession::ArchiveSession(StationPort& port, LinkContext& link, Prompts& prompts,
                               ArchiveView& view, ArchiveRecordState& state)
    : StationSequence(port, link, prompts), view_(view), record_(state) {}

ArchiveSession::ArchiveSession(StationPort& port, ProgramContext& program, ArchiveView& view)
    : ArchiveSession(port, program.link, program.prompts(), view, program.archiveRecord) {
    baseFolder_ = program.folder;
    gas_ = program.settings.isGasVersion();
    observer_ = program.history;
}

ArchiveSession::~ArchiveSession() = default;

void ArchiveSession::begin(Sequence sequence) {
    sequence_ = sequence;
    view_.sequenceRunning(true);
    view_.archiveStatus(txt(kTextInitializingConnection));
    StationSequence::begin();
    send(COMM);
}

void ArchiveSession::startDescription() {
    view_.descriptionStarting();
    nextRow_ = 1;
    begin(Sequence::Description);
}

void ArchiveSession::startData(int position) {
    if (loadedFromFile_) {
        hasRecord_ = false;
        grid_ = {};
        view_.sourceFile({});
        placeDescriptions();
        view_.gridChanged();
    }
    position_ = position;
    number_ = archiveNumberForPosition(position, record_.station_seconds);
    if (number_ < 0) {
        return;
    }
    begin(Sequence::Data);
}

bool ArchiveSession::startReset(int position) {
    if (!prompter().yesNo(txt(kTextResetPartialValues))) {
        return false;
    }
    view_.trafficLogReset();
    position_ = position;
    number_ = kArchivePartial;
    begin(Sequence::Reset);
    return true;
}

void ArchiveSession::placeDescriptions() {
    const Archiv_popis_rec& d = image().archive_description;
    nextRow_ = 1;
    for (int q = 1; q <= kArchiveQuantities; ++q) {
        const auto i = static_cast<std::size_t>(q - 1);
        if (quantityShown(q, image().meter.variant, d.labels[i], gas_)) {
            ArchiveRow& row = grid_[static_cast<std::size_t>(nextRow_ - 1)];
            row.label = fromCp1250(d.labels[i]);
            row.unit = fromCp1250(d.units[i]);
            ++nextRow_;
        }
    }
}

void ArchiveSession::fail() {
    view_.archiveStatus(txt(kTextErrorConnectiongToDevice));
    reportConnectionError();
    const Sequence s = sequence_;
    if (engine_) {
        if (s != Sequence::Description) {
            engine_->close();
        }
        engine_.reset();
    }
    sequence_ = Sequence::None;
    view_.sequenceRunning(false);
    if (s == Sequence::Description) {
        view_.closeRequested();
    } else {
        view_.sequenceEnded(false);
    }
}

void ArchiveSession::decodingFailed(const char* tag) {
    // The error box ends the sequence: nothing more is sent, the window goes.
    engine_.reset();
    sequence_ = Sequence::None;
    reportGeneralError(prompter(), tag);
    view_.closeRequested();
}

void ArchiveSession::describe(std::span<const std::uint8_t> answer) {
    view_.archiveStatus(txt(kTextTransferingArchiveDataNo) + QString::number(number_));
    acknowledge();
    std::string label;
    std::string unit;
    if (number_ < 1 || number_ > kArchiveQuantities ||
        !decodeArchiveDescription(answer, label, unit)) {
        decodingFailed(" 6.10: Prepare_Arch");
        return;
    }
    const auto i = static_cast<std::size_t>(number_ - 1);
    image().archive_description.labels[i] = label;
    image().archive_description.units[i] = unit;
    if (quantityShown(number_, image().meter.variant, label, gas_)) {
        ArchiveRow& row = grid_[static_cast<std::size_t>(nextRow_ - 1)];
        row.label = fromCp1250(label);
        row.unit = fromCp1250(unit);
        ++nextRow_;
        view_.gridChanged();
    }
    if (++number_ <= kArchiveQuantities) {
        image().current_index = static_cast<std::uint16_t>(number_);
        send(READ_ARCHIVE_INFO);
        return;
    }
    // Descriptions complete: this engine goes without END_COMM and the actual state follows.
    engine_.reset();
    view_.archiveStatus(txt(kTextInitializingConnection));
    loadedFromFile_ = false;
    number_ = kArchiveActual;
    startData(kArchivePositionActual);
}

void ArchiveSession::showRecord(std::span<const std::uint8_t> answer) {
    acknowledge();
    view_.archiveStatus(txt(kTextArchiveTransferCompleted));
    if (!decodeArchiveRecord(answer, number_, record_)) {
        decodingFailed(" 7.11: Prepare_arch_data");
        return;
    }
    const Archiv_popis_rec& d = image().archive_description;
    const QString recordTime = isoStationTime(record_.record);
    std::vector<ArchiveEntry>& stored = readRows_;
    stored.clear();
    std::size_t row = 0;
    for (int q = 1; q <= kArchiveQuantities; ++q) {
        const auto i = static_cast<std::size_t>(q - 1);
        if (quantityShown(q, image().meter.variant, d.labels[i], gas_)) {
            const ArchiveRow& shown = grid_[row];
            grid_[row++].value = formatDecimal(record_.values[i], 5);
            stored.push_back({position_, number_, recordTime, static_cast<int>(row), shown.label,
                              shown.unit, record_.values[i]});
        }
    }
    times_ = {QString::fromStdString(timeText(record_.record, TimeTextKind::Time)),
              QString::fromStdString(timeText(record_.record, TimeTextKind::Date)),
              QString::fromStdString(timeText(record_.station, TimeTextKind::Time)),
              QString::fromStdString(timeText(record_.station, TimeTextKind::Date))};
    recordCaption_ = number_ == kArchiveActual ? 247 : 398;
    hasRecord_ = true;
    view_.gridChanged();
    lastRead_ = position_;
    closeAndRelease();
    sequence_ = Sequence::None;
    // Every record read from the station goes to the history; the file stays the operator's
    // choice.
    if (observer_) {
        observer_->archiveRead(
            image(), record_.station,
            QFileInfo(archiveFileName(position_, record_.station)).completeBaseName(), stored,
            prompter());
    }
    view_.sequenceRunning(false);
    view_.recordRead(position_);
    view_.sequenceEnded(true);
}

void ArchiveSession::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        fail();
        return;
    }
    const auto answer = this->answer();
    switch (state_) {
        case COMM:
            acknowledge();
            view_.archiveStatus(txt(kTextInitializingConnection) + kOk);
            if (sequence_ == Sequence::Description) {
                view_.archiveStatus(txt(kTextReadingCMOS));
                send(READ_CMOS);
            } else if (sequence_ == Sequence::Data) {
                view_.archiveStatus(txt(kTextRetrievingStationInfo));
                send(READ_STATUS);
            } else {
                view_.archiveStatus(txt(kTextDeletingPartialValues));
                send(CLEAR_PARTIAL);
            }
            break;
        case READ_CMOS:
            acknowledge();
            if (answer.size() < static_cast<std::size_t>(kCmosAnswerLength)) {
                decodingFailed(" 6.1: CMOS");
                return;
            }
            decodeCmos(answer, image().cmos_raw_identity, image().cmos);
            view_.archiveStatus(txt(kTextRetrievingStationInfo));
            send(READ_STATUS);
            break;
        case READ_STATUS:
            acknowledge();
            if (sequence_ == Sequence::Description) {
                view_.archiveStatus(txt(kTextRetrievingMeterData));
                send(READ_METER);
                break;
            }
            if (const auto clock = stationClockFromStatus(answer)) {
                setStationClock(record_, *clock);
            } else {
                decodingFailed(" 7.12: ArchSaveTime");
                return;
            }
            view_.archiveStatus(txt(kTextTransferingArchiveData));
            image().current_index = static_cast<std::uint16_t>(number_);
            send(READ_ARCHIVE_DATA);
            break;
        case READ_METER:
            acknowledge();
            if (answer.size() < static_cast<std::size_t>(kMeterAnswerLength)) {
                decodingFailed(" 6.2: Def. meridla");
                return;
            }
            decodeMeter(answer, image().meter);
            number_ = 1;
            image().current_index = 1;
            view_.archiveStatus(txt(kTextTransferingArchiveDataNo) + QString::number(number_));
            send(READ_ARCHIVE_INFO);
            break;
        case READ_ARCHIVE_INFO:
            describe(answer);
            break;
        case CLEAR_PARTIAL:
            acknowledge();
            view_.archiveStatus(txt(kTextTransferingArchiveData));
            image().current_index = static_cast<std::uint16_t>(number_);
            send(READ_ARCHIVE_DATA);
            break;
        case READ_ARCHIVE_DATA:
            showRecord(answer);
            break;
        default:
            break;
    }
}

QString ArchiveSession::archivePath() const {
    return QDir(stationFolder(baseFolder_, image().cmos.serial_number))
        .filePath(archiveFileName(lastRead_, record_.station));
}

QString ArchiveSession::save() {
    if (!hasRecord_) {
        return {};  // nothing read: an empty record must not replace a good file
    }
    const QString path = archivePath();
    switch (saveArchiveFile(path, encodeArchiveFile(record_, grid_), prompter())) {
        case ArchiveFileResult::Ok:
            view_.archiveStatus(txt(kTextDataSaved));
            return path;
        default:
            break;
    }
    view_.archiveStatus(txt(kTextErrorWritingOutputFile));
    return {};
}

bool ArchiveSession::load(const QString& path) {
    loadedFromFile_ = true;
    ArchiveFileTexts texts;
    if (loadArchiveFile(path.isEmpty() ? archivePath() : path, prompter(), texts) !=
        ArchiveFileResult::Ok) {
        view_.archiveStatus(txt(kTextFileCorrupted));
        return false;
    }
    grid_ = texts.rows;
    times_ = {texts.recordTime, texts.recordDate, texts.stationTime, texts.stationDate};
    hasRecord_ = true;
    view_.gridChanged();
    view_.archiveStatus(txt(kTextArchiveLoaded));
    return true;
}

void ArchiveSession::showStored(const ArchiveFileTexts& texts, int caption) {
    loadedFromFile_ = true;
    grid_ = texts.rows;
    times_ = {texts.recordTime, texts.recordDate, texts.stationTime, texts.stationDate};
    recordCaption_ = caption;
    hasRecord_ = true;
    view_.gridChanged();
    view_.archiveStatus(txt(kTextStoredInTheHistory));
}

bool ArchiveSession::loadFromDisk() {
    FileDialogSpec spec;
    spec.filter = QStringLiteral("Archiv (*.dat)|*.dat");
    spec.defaultExtension = QStringLiteral("dat");
    spec.initialDir = QFileInfo(archivePath()).absolutePath();
    const QString path = prompter().openFile(spec);
    if (path.isEmpty()) {
        return false;
    }
    if (!load(path)) {
        return false;
    }
    view_.sourceFile(QFileInfo(path).fileName());
    return true;
}

}  // namespace pelmo
