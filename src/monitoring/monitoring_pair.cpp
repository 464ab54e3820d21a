#include "monitoring/monitoring_pair.h"

#include <QFileInfo>

#include "base/file_access.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "files/station_file.h"
#include "link/time_code.h"
#include "monitoring/sample_values.h"

namespace pelmo {

namespace {

// How a write ended, as the view reports it: an unopenable file has had its file error box,
// a failed write shows the text of `failure` (146 for the pair, 385 for an export).
// The file error box has been shown for a failure.
PairResult written(WriteResult result, PairResult failure) {
    switch (result) {
        case WriteResult::Ok:
            return PairResult::Ok;
        case WriteResult::OpenFailed:
            return PairResult::FileError;
        case WriteResult::WriteFailed:
            break;
    }
    return failure;
}

}  // namespace

PairResult loadMonitoringPair(const QString& path, StationImage& image,
                              MonitoringRecording& recording, int version, Prompts& prompts) {
    const QString companion = companionStationFile(path);
    if (!QFileInfo(companion).isFile()) {
        prompts.error(txt(kTextFileConNotFound));
        return PairResult::NoCompanion;
    }
    resetNewStation(image);
    recording.clear();
    switch (loadStationFile(companion, image, {isGasVersion(version)}, prompts)) {
        case StationFileResult::Ok:
            break;
        case StationFileResult::Corrupt:
            prompts.error(txt(kTextFileCorrupted));
            return PairResult::Corrupt;
        default:
            return PairResult::FileError;
    }
    switch (loadMonitoringFile(path, recording, prompts)) {
        case MonitoringFileResult::Ok:
            return PairResult::Ok;
        case MonitoringFileResult::OpenFailed:
            return PairResult::FileError;
        default:
            prompts.error(txt(kTextFileCorrupted));
            return PairResult::Corrupt;
    }
}

PairResult decodeMonitoringPair(const QByteArray& mon, const QByteArray& con, StationImage& image,
                                MonitoringRecording& recording, int version, Prompts& prompts) {
    resetNewStation(image);
    recording.clear();
    if (!decodeStationFile(con, image, {isGasVersion(version)}) ||
        !decodeMonitoringFile(mon, recording)) {
        prompts.error(txt(kTextFileCorrupted));
        return PairResult::Corrupt;
    }
    return PairResult::Ok;
}

PairResult saveMonitoringPair(const QString& path, StationImage& image,
                              const MonitoringRecording& recording, int version, Prompts& prompts) {
    QByteArray mon;
    if (!encodeMonitoringFile(recording, mon)) {
        prompts.error(txt(kTextFileCorrupted));
        return PairResult::Corrupt;
    }
    return written(writeFilesAtomically({{path, mon},
                                         {companionStationFile(path),
                                          encodeStationFile(image, {isGasVersion(version)})}},
                                        prompts),
                   PairResult::Corrupt);
}

std::optional<std::vector<ExportLine>> monitoringLines(const MonitoringRecording& recording,
                                                       const StationImage& image, int version) {
    SampleEvaluator evaluate(image, version);
    return monitoringExportLines(recording, image,
                                 [&evaluate](int c, std::uint8_t b) { return evaluate(c, b); });
}

PairResult exportMonitoring(const QString& path, const StationImage& image,
                            const MonitoringRecording& recording, ExportFormat format,
                            const TextExportOptions& options, int version, Prompts& prompts) {
    const auto lines = monitoringLines(recording, image, version);
    if (!lines) {
        prompts.error(txt(kTextDataExportError));
        return PairResult::ExportError;
    }
    const QByteArray bytes = format == ExportFormat::Csv
                                 ? monitoringCsvExport(image, *lines)
                                 : monitoringTextExport(image, *lines, options, systemLocalTime());
    return written(writeFileAtomically(path, bytes, prompts), PairResult::ExportError);
}

}  // namespace pelmo
