#include "operations/station_backup.h"

#include <QDir>
#include <QFileInfo>
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
}  // namespace

StationBackup::StationBackup(StationPort& port, LinkContext& link, Prompts* prompts,
                             BackupView& view, Options options)
    : prompts_(prompts),
      view_(view),
      options_(std::move(options)),
      link_(link),
      reader_(port, link_, prompts, *this) {
    link_.build.image = &image_;
}

StationBackup::~StationBackup() = default;

Prompts& StationBackup::prompter() const {
    return prompts_ ? *prompts_ : prompts();
}

void StationBackup::start(const StationImage& current) {
    image_ = current;
    file_.clear();
    view_.backupStatus(txt(1010));
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
    for (qsizetype i = keep; i < names.size(); ++i) {
        dir.remove(names[i]);
    }
}

void StationBackup::readCompleted() {
    const std::uint16_t serial = image_.cmos.serial_number;
    const QString folder = stationFolder(options_.baseFolder, serial);
    makeStationFolder(folder);
    const QString path = QDir(folder).filePath(freeFileName(folder, serial, options_.clock()));
    const StationFileOptions fileOptions{options_.gasVersion};
    if (saveStationFile(path, image_, fileOptions, prompter()) != StationFileResult::Ok) {
        prompter().error(txt(1014).arg(QDir::toNativeSeparators(path)));
        view_.backupEnded(false);
        return;
    }
    file_ = path;
    prune(folder, serial);
    view_.backupStatus(txt(1011) + QDir::toNativeSeparators(path));
    view_.backupEnded(true);
}

void StationBackup::readFailed() {
    view_.backupEnded(false);
}

void StationBackup::readInterrupted() {
    view_.backupEnded(false);
}

}  // namespace pelmo
