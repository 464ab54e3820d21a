#include "operations/station_backup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_folder.h"
#include "files/station_file.h"

namespace pelmo {

namespace {
QString backupPattern(std::uint16_t serial) {
    return QStringLiteral("backup-%1-*.sta").arg(serial);
}

// Names the backup of the last working configuration while the station stays erased.
QString keepMarker(const QString& folder, std::uint16_t serial) {
    return QDir(folder).filePath(QStringLiteral("backup-%1.keep").arg(serial));
}
}  // namespace

StationBackup::StationBackup(StationPort& port, LinkContext& link, Prompts& prompts,
                             BackupView& view, Options options)
    : prompts_(prompts),
      view_(view),
      options_(std::move(options)),
      loan_(link),
      reader_(port, link, prompts, *this) {}

StationBackup::~StationBackup() = default;

void StationBackup::start(const StationImage& current) {
    image_ = current;
    file_.clear();
    view_.backupStatus(txt(kTextBackingUpTheStation));
    loan_.lend(image_);
    reader_.start();
}

QString StationBackup::fileName(std::uint16_t serial, const QDateTime& time) {
    return QStringLiteral("backup-%1-%2.sta")
        .arg(serial)
        .arg(time.toString(QStringLiteral("yyyyMMdd-HHmmss")));
}

QString StationBackup::freeFileName(const QString& folder, std::uint16_t serial,
                                    const QDateTime& time) {
    // A second backup within the same second must not replace the first; "_02" sorts after
    // the plain name, so the names still sort like the times.
    const QString first = fileName(serial, time);
    const QDir dir(folder);
    QString name = first;
    for (int n = 2; dir.exists(name) && n < 100; ++n) {
        name = first.chopped(4) + QStringLiteral("_%1.sta").arg(n, 2, 10, QLatin1Char('0'));
    }
    return name;
}

void StationBackup::prune(const QString& folder, std::uint16_t serial, int keep) {
    QDir dir(folder);
    // The time stamp in the name sorts like the time itself.
    QStringList names = dir.entryList({backupPattern(serial)}, QDir::Files, QDir::Name);
    std::sort(names.begin(), names.end(), std::greater<>());
    const QString kept = keptBackup(folder, serial);
    for (qsizetype i = keep; i < names.size(); ++i) {
        if (names[i] != kept) {
            dir.remove(names[i]);
        }
    }
}

std::uint16_t StationBackup::serialOf(const QString& backupFile) {
    const QString name = QFileInfo(backupFile).fileName();
    static const QRegularExpression pattern(QStringLiteral("^backup-(\\d{1,5})-.*\\.sta$"));
    const QRegularExpressionMatch m = pattern.match(name);
    const uint serial = m.hasMatch() ? m.captured(1).toUInt() : 0;
    return serial <= 0xFFFF ? static_cast<std::uint16_t>(serial) : 0;
}

QString StationBackup::keptBackup(const QString& folder, std::uint16_t serial) {
    QFile marker(keepMarker(folder, serial));
    if (!marker.open(QIODevice::ReadOnly)) {
        return {};
    }
    // Only a plain backup name of this station counts; anything else is ignored.
    const QString name = QString::fromUtf8(marker.read(256)).trimmed();
    const bool usable = serialOf(name) == serial && QFileInfo(name).fileName() == name &&
                        QFileInfo::exists(QDir(folder).filePath(name));
    return usable ? name : QString();
}

QString StationBackup::programmingEnded(const QString& baseFolder, std::uint16_t serial,
                                        const QString& backupFile, RunEnd end) {
    const QString folder = stationFolder(baseFolder, serial);
    const QString marker = keepMarker(folder, serial);
    if (end == RunEnd::Completed) {
        // The station holds a whole configuration again; the kept backup rotates with the
        // others from now on.
        if (QFile::remove(marker)) {
            prune(folder, serial);
        }
        return {};
    }
    // The first failure after the erase keeps its backup: later ones read a station that
    // was already erased.
    QString kept = keptBackup(folder, serial);
    const QString name = QFileInfo(backupFile).fileName();
    if (kept.isEmpty() && end == RunEnd::FailedAfterErase && serialOf(name) == serial &&
        QFileInfo::exists(QDir(folder).filePath(name))) {
        QSaveFile file(marker);
        if (file.open(QIODevice::WriteOnly) && file.write(name.toUtf8() + '\n') > 0 &&
            file.commit()) {
            kept = name;
        }
    }
    return kept.isEmpty() ? backupFile : QDir(folder).absoluteFilePath(kept);
}

void StationBackup::readCompleted() {
    loan_.giveBack();
    const std::uint16_t serial = image_.cmos.serial_number;
    const QString folder = stationFolder(options_.baseFolder, serial);
    makeStationFolder(folder);
    const QString path = QDir(folder).filePath(freeFileName(folder, serial, options_.clock()));
    const StationFileOptions fileOptions{options_.gasVersion};
    if (saveStationFile(path, image_, fileOptions, prompts_) != StationFileResult::Ok) {
        prompts_.error(txt(kTextTheStationBackupCouldNot).arg(QDir::toNativeSeparators(path)));
        view_.backupEnded(false);
        return;
    }
    file_ = path;
    prune(folder, serial);
    view_.backupStatus(txt(kTextBackupSaved) + QDir::toNativeSeparators(path));
    view_.backupEnded(true);
}

void StationBackup::readFailed() {
    loan_.giveBack();
    view_.backupEnded(false);
}

void StationBackup::readInterrupted() {
    loan_.giveBack();
    view_.backupEnded(false);
}

}  // namespace pelmo
