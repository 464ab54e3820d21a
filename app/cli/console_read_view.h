#pragma once

#include <QCoreApplication>
#include <cstdio>

#include "cli/cli_session.h"
#include "operations/station_reader.h"

namespace pelmo::cli {

// A configuration read's status texts on `status` (standard output when the read is the
// command's result, standard error when something else follows on standard output); ends
// the event loop with the read's outcome.
class ConsoleReadView final : public StationReadView {
public:
    explicit ConsoleReadView(std::FILE* status) : status_(status) {}

    void readStarting() override {}
    void readStatus(const QString& text) override { printStatus(status_, text); }
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override { QCoreApplication::exit(kExitOk); }
    void readFailed() override { QCoreApplication::exit(kExitStation); }
    void readInterrupted() override { QCoreApplication::exit(kExitStation); }

private:
    std::FILE* status_;
};

}  // namespace pelmo::cli
