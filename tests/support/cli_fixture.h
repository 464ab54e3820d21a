#pragma once

// pelmo-cli against stationsim, both as real processes on a pseudo-terminal. For suites that
// define STATIONSIM_PATH and PELMO_CLI_PATH.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "processes.h"

namespace pelmo::test {

class CliAgainstSimulator : public ::testing::Test {
protected:
    // Starts `stationsim --fast` with `args`.
    void startSimulator(const QStringList& args) {
        device = startAndReadDevice(sim, QStringLiteral(STATIONSIM_PATH),
                                    QStringList{QStringLiteral("--fast")} + args);
        ASSERT_TRUE(device.startsWith(QStringLiteral("/dev/")));
    }
    void TearDown() override { terminate(sim); }

    // Runs pelmo-cli to its end (it keeps its own real timing); gives its exit code, -1 when
    // it crashed or did not end, and keeps what it printed in `out` and `err`.
    int cli(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(environment);
        p.start(QStringLiteral(PELMO_CLI_PATH), args);
        const bool ended = p.waitForFinished(180000);
        EXPECT_TRUE(ended) << args.join(QLatin1Char(' ')).toStdString();
        out = QString::fromLocal8Bit(p.readAllStandardOutput());
        err = QString::fromLocal8Bit(p.readAllStandardError());
        return ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    // A command line of words without blanks; %1 stands for the device, %2 for the folder.
    int cli(const char* line) {
        return cli(QString::fromLatin1(line)
                       .replace(QStringLiteral("%1"), device)
                       .replace(QStringLiteral("%2"), dir.path())
                       .split(QLatin1Char(' ')));
    }

    // A file's bytes, empty when it cannot be read; a relative path is inside `dir`.
    QByteArray read(const QString& path) const {
        QFile f(QDir(dir.path()).filePath(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess sim;
    QString device;
    QString out;
    QString err;
    QTemporaryDir dir;
};

}  // namespace pelmo::test
