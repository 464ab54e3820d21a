#pragma once

// pelmo-cli against stationsim, both as real processes on a pseudo-terminal. For suites that
// define STATIONSIM_PATH and PELMO_CLI_PATH.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>

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
        if (childSetup) {
            p.setChildProcessModifier(childSetup);
        }
        p.start(QStringLiteral(PELMO_CLI_PATH), args);
        const bool ended = p.waitForFinished(180000);
        EXPECT_TRUE(ended) << args.join(QLatin1Char(' ')).toStdString();
        rawOut = p.readAllStandardOutput();
        out = QString::fromLocal8Bit(rawOut);
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

    // The lines --trace printed in `text` going one way ('>' written, '<' received), each
    // without its "[    ms] > " lead; the lead's form is checked on the way.
    static QStringList traced(const QString& text, char direction = '>') {
        static const QRegularExpression lead(QStringLiteral("^\\[ *(\\d+)\\] ([<>]) (.*)$"));
        QStringList lines;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = lead.match(line);
            if (m.hasMatch() && m.captured(2) == QLatin1Char(direction)) {
                EXPECT_GE(m.capturedStart(3), 11) << line.toStdString();
                lines << m.captured(3);
            }
        }
        return lines;
    }

    // A file's bytes, empty when it cannot be read; a relative path is inside `dir`.
    QByteArray read(const QString& path) const {
        QFile f(QDir(dir.path()).filePath(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Run in the child before pelmo-cli starts (limits, standard streams), when set.
    std::function<void()> childSetup;
    QByteArray rawOut;  // standard output's bytes, as they came
    QProcess sim;
    QString device;
    QString out;
    QString err;
    QTemporaryDir dir;
};

}  // namespace pelmo::test
