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
constexpr int kCmosAnswer = 45;
constexpr int kMeterAnswer = 93;
const QString kOk = QStringLiteral("OK");
}  // namespace

ArchiveSession::ArchiveSession(StationPort& port, LinkContext& link, Prompts* prompts,
                               ArchiveView& view, ArchiveRecordState& state)
    : port_(port), link_(link), prompts_(prompts), view_(view), state_(state) {}

ArchiveSession::ArchiveSession(StationPort& port, ProgramContext& program, ArchiveView& view)
    : ArchiveSession(port, program.link, &program.prompts(), view, program.archiveRecord) {
    baseFolder_ = program.folder;
    gas_ = program.settings.isGasVersion();
    observer_ = program.history;
}

ArchiveSession::~ArchiveSession() = default;

StationImage& ArchiveSession::image() const {
    return link_.build.image ? *link_.build.image : station();
}

Prompts& ArchiveSession::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

void ArchiveSession::begin(Sequence sequence) {
    sequence_ = sequence;
    view_.sequenceRunning(true);
    view_.archiveStatus(txt(118));
    engine_ =
        std::make_unique<TCommunication>([this](int, int failed) { completion(failed); }, nullptr,
                                         sequence == Sequence::Description ? kMessageFinished
                                         : sequence == Sequence::Data      ? kMessageData
                                                                           : kMessageOther,
                                         port_, link_);
    TCommunication::setCurrent(engine_.get());
    send(COMM, 11, kModeExact);
}

void ArchiveSession::send(int request, int expected, int mode) {
    step_ = request;
    engine_->send(request, expected, mode, false);
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
    number_ = archiveNumberForPosition(position, state_.station_seconds);
    if (number_ < 0) {
        return;
    }
    begin(Sequence::Data);
}

bool ArchiveSession::startReset(int position) {
    if (!prompter().yesNo(txt(232))) {
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
    view_.archiveStatus(txt(136));
    prompter().error(txt(136));
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
    view_.archiveStatus(txt(220) + QString::number(number_));
    engine_->acknowledge();
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
        send(READ_ARCHIVE_INFO, 36, kModeExact);
        return;
    }
    // Descriptions complete: this engine goes without END_COMM and the actual state follows.
    engine_.reset();
    view_.archiveStatus(txt(118));
    loadedFromFile_ = false;
    number_ = kArchiveActual;
    startData(kArchivePositionActual);
}

void ArchiveSession::showRecord(std::span<const std::uint8_t> answer) {
    engine_->acknowledge();
    view_.archiveStatus(txt(222));
    if (!decodeArchiveRecord(answer, number_, state_)) {
        decodingFailed(" 7.11: Prepare_arch_data");
        return;
    }
    const Archiv_popis_rec& d = image().archive_description;
    const QString recordTime = isoStationTime(state_.record);
    std::vector<ArchiveEntry>& stored = readRows_;
    stored.clear();
    std::size_t row = 0;
    for (int q = 1; q <= kArchiveQuantities; ++q) {
        const auto i = static_cast<std::size_t>(q - 1);
        if (quantityShown(q, image().meter.variant, d.labels[i], gas_)) {
            const ArchiveRow& shown = grid_[row];
            grid_[row++].value = formatDecimal(state_.values[i], 5);
            stored.push_back({position_, number_, recordTime, static_cast<int>(row), shown.label,
                              shown.unit, state_.values[i]});
        }
    }
    times_ = {QString::fromStdString(timeText(state_.record, TimeTextKind::Time)),
              QString::fromStdString(timeText(state_.record, TimeTextKind::Date)),
              QString::fromStdString(timeText(state_.station, TimeTextKind::Time)),
              QString::fromStdString(timeText(state_.station, TimeTextKind::Date))};
    recordCaption_ = number_ == kArchiveActual ? 247 : 398;
    hasRecord_ = true;
    view_.gridChanged();
    lastRead_ = position_;
    step_ = END_COMM;
    engine_->close();
    engine_.reset();
    sequence_ = Sequence::None;
    // Every record read from the station goes to the history; the file stays the operator's
    // choice.
    if (observer_) {
        observer_->archiveRead(
            image(), state_.station,
            QFileInfo(archiveFileName(position_, state_.station)).completeBaseName(), stored,
            prompter());
    }
    view_.sequenceRunning(false);
    view_.recordRead(position_);
    view_.sequenceEnded(true);
}

void ArchiveSession::completion(int failed) {
    if (!engine_) {
        return;
    }
    if (failed) {
        fail();
        return;
    }
    const auto answer = link_.rx->bytes();
    switch (step_) {
        case COMM:
            engine_->acknowledge();
            view_.archiveStatus(txt(118) + kOk);
            if (sequence_ == Sequence::Description) {
                view_.archiveStatus(txt(205));
                send(READ_CMOS, kCmosAnswer, kModeExact);
            } else if (sequence_ == Sequence::Data) {
                view_.archiveStatus(txt(120));
                send(READ_STATUS, 27, kModeExact);
            } else {
                view_.archiveStatus(txt(230));
                send(CLEAR_PARTIAL, 0, kModeAck);
            }
            break;
        case READ_CMOS:
            engine_->acknowledge();
            if (answer.size() < static_cast<std::size_t>(kCmosAnswer)) {
                decodingFailed(" 6.1: CMOS");
                return;
            }
            decodeCmos(answer, image().cmos_raw_identity, image().cmos);
            view_.archiveStatus(txt(120));
            send(READ_STATUS, 27, kModeExact);
            break;
        case READ_STATUS:
            engine_->acknowledge();
            if (sequence_ == Sequence::Description) {
                view_.archiveStatus(txt(138));
                send(READ_METER, kMeterAnswer, kModeExact);
                break;
            }
            if (const auto clock = stationClockFromStatus(answer)) {
                setStationClock(state_, *clock);
            } else {
                decodingFailed(" 7.12: ArchSaveTime");
                return;
            }
            view_.archiveStatus(txt(221));
            image().current_index = static_cast<std::uint16_t>(number_);
            send(READ_ARCHIVE_DATA, 70, kModeAtLeast);
            break;
        case READ_METER:
            engine_->acknowledge();
            if (answer.size() < static_cast<std::size_t>(kMeterAnswer)) {
                decodingFailed(" 6.2: Def. meridla");
                return;
            }
            decodeMeter(answer, image().meter);
            number_ = 1;
            image().current_index = 1;
            view_.archiveStatus(txt(220) + QString::number(number_));
            send(READ_ARCHIVE_INFO, 36, kModeExact);
            break;
        case READ_ARCHIVE_INFO:
            describe(answer);
            break;
        case CLEAR_PARTIAL:
            engine_->acknowledge();
            view_.archiveStatus(txt(221));
            image().current_index = static_cast<std::uint16_t>(number_);
            send(READ_ARCHIVE_DATA, 70, kModeAtLeast);
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
        .filePath(archiveFileName(lastRead_, state_.station));
}

QString ArchiveSession::save() {
    if (!hasRecord_) {
        return {};  // nothing read: an empty record must not replace a good file
    }
    const QString path = archivePath();
    switch (saveArchiveFile(path, encodeArchiveFile(state_, grid_), prompter())) {
        case ArchiveFileResult::Ok:
            view_.archiveStatus(txt(225));
            return path;
        default:
            break;
    }
    view_.archiveStatus(txt(147));
    return {};
}

bool ArchiveSession::load(const QString& path) {
    loadedFromFile_ = true;
    ArchiveFileTexts texts;
    if (loadArchiveFile(path.isEmpty() ? archivePath() : path, prompter(), texts) !=
        ArchiveFileResult::Ok) {
        view_.archiveStatus(txt(146));
        return false;
    }
    grid_ = texts.rows;
    times_ = {texts.recordTime, texts.recordDate, texts.stationTime, texts.stationDate};
    hasRecord_ = true;
    view_.gridChanged();
    view_.archiveStatus(txt(233));
    return true;
}

void ArchiveSession::showStored(const ArchiveFileTexts& texts, int caption) {
    loadedFromFile_ = true;
    grid_ = texts.rows;
    times_ = {texts.recordTime, texts.recordDate, texts.stationTime, texts.stationDate};
    recordCaption_ = caption;
    hasRecord_ = true;
    view_.gridChanged();
    view_.archiveStatus(txt(1223));
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
