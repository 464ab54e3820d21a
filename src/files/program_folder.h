#pragma once

#include <QString>
#include <cstdint>

namespace pelmo {

// The folder "beside the program" in `programDir` where station folders live: that folder
// when it is writable, else the per-user data folder the platform names (created when
// missing), so an installation in a read-only place still keeps its archives. The program
// decides it once, for its ProgramContext.
QString programFolderFor(const QString& programDir);

// An installed program (its folder under /usr) keeps its files with the user, whoever runs
// it: root could write beside it, into /usr/bin. A build run from its tree uses its folder.
bool installedProgramDir(const QString& programDir);
// Where a program keeps what it writes: its own folder when that is writable and it is not
// installed, else `userFolder` (created when missing); the program folder when there is no
// user folder.
QString writableProgramPlace(const QString& programDir, const QString& userFolder);

// `base`/1234.000 for serial number 1234: one folder per station.
QString stationFolder(const QString& base, std::uint16_t serialNumber);
// Creates the station folder (one level); a failure shows up when the file is written.
void makeStationFolder(const QString& folder);

}  // namespace pelmo
