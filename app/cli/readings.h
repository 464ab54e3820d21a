#pragma once

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <vector>

#include "cli/cli_session.h"

namespace pelmo::cli {

// The readings of the station at the session's bus address as the archive, messages and monitor
// commands run them, shared with collect. Each returns an exit code.

// The positions `archive --all` (or --position P) reads, in reading order.
std::vector<int> archivePositionsToRead(bool all, int position);

// Runs the description sequence (which ends with the actual state), then the data sequence
// of each further position in `wanted` (the first entry may be the actual state), saving
// each requested record in the station folder under `baseFolder`. The saved paths go to
// stdout, or to stderr when quiet; `records` collects the records' JSON.
int readArchives(Session& session, const std::vector<int>& wanted, const QString& baseFolder,
                 bool quiet, QJsonArray* records);

// Reads the message log and writes its export to `out`, or Hlaseni.dat in the station folder
// under `baseFolder`; `path` receives the file written, `document` the log's JSON.
int readMessages(Session& session, const QString& baseFolder, const QString& out, bool quiet,
                 QString& path, QJsonObject* document = nullptr);

// Copies the monitoring buffers, reads the configuration and writes `out` (.mon) with its
// companion station file; with `out` empty, Monitoring.mon in the station folder under
// `baseFolder`. With `document`, the file name goes to stderr and the recording's JSON there.
int readMonitoring(Session& session, const QString& out, const QString& baseFolder = {},
                   QJsonObject* document = nullptr);
inline constexpr char kCollectMonitoringName[] = "Monitoring.mon";

}  // namespace pelmo::cli
