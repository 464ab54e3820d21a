#pragma once

#include <QByteArray>

namespace pelmo {

class AppShell;

// Measurement runs for bench.sh, chosen by the PELMO_BENCH environment variable; built into
// bench/pelmo_bench only, never into the shipped pelmo. At the first moment the event loop
// is idle after the main window shows, standard output gets "bench idle <CLOCK_MONOTONIC ns>
// cpu_us=<processor time so far>"; then
//   idle        the program exits;
//   read        a full read of the station runs, "bench read ok" (or "failed") follows;
//   open:FILE   FILE (a .mon recording) opens in the data tracking view, which closes once
//               it has drawn and is idle, "bench open ok" (or "failed") follows;
// and the program exits (0 on success). Messages go to standard error instead of boxes.
// Returns false for an unknown mode.
bool armBenchHooks(AppShell& shell, const QByteArray& mode);

}  // namespace pelmo
