#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace pelmo::test {

// Starts `program` (stationsim) and gives the device it prints on its first line; empty when
// it did not start or printed nothing within ten seconds.
inline QString startAndReadDevice(QProcess& process, const QString& program,
                                  const QStringList& args) {
    process.start(program, args);
    if (!process.waitForStarted(5000)) {
        return {};
    }
    const QDeadlineTimer deadline(10000);
    while (!process.canReadLine() && !deadline.hasExpired()) {
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return QString::fromLocal8Bit(process.readLine()).trimmed();
}

// Ends a process with SIGTERM, as an operator's Ctrl+C or a service stop would.
inline void terminate(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        process.waitForFinished(5000);
    }
}

struct ProcessResult {
    int code = -1;  // -1 when the process crashed or did not end within a minute
    QString out;
    QString err;
};

// Runs `program` to its end; it keeps its own timing (the engine runs in real time there).
inline ProcessResult runToEnd(
    const QString& program, const QStringList& args,
    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(program, args);
    ProcessResult result;
    const bool ended = p.waitForFinished(60000);
    result.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(p.readAllStandardError());
    if (ended && p.exitStatus() == QProcess::NormalExit) {
        result.code = p.exitCode();
    }
    return result;
}

}  // namespace pelmo::test
