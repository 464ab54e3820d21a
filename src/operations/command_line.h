#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace pelmo {

class StationPort;

// Exit codes of pelmo-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStation = 1;  // no answer, bad answer, refused by the station
inline constexpr int kExitUsage = 2;    // bad arguments, unreadable or unwritable files

// "--name value" and "--flag" options after a command word.
class CommandOptions {
public:
    // Parses `args`; `valued` names the options that take a value, `flags` the others.
    // On error `error()` says why.
    CommandOptions(const QStringList& args, const QStringList& valued, const QStringList& flags);

    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    bool has(const QString& name) const { return values_.contains(name); }
    // The last value given for the option.
    QString value(const QString& name) const { return values_.value(name); }
    // Every value given for a repeatable option, in order.
    QStringList values(const QString& name) const { return all_.value(name); }

private:
    QMap<QString, QString> values_;
    QMap<QString, QStringList> all_;
    QString error_;
};

// Prints each datagram written ("> " and hex) and each answer received ("< " and hex) on
// a stream; received bytes are gathered until the next write, so an answer is one line.
// Each line starts with the milliseconds since the trace was made, right-aligned in six
// places: "[   153] > 01 81 ..."; an answer carries the time its first byte came.
class TrafficTrace {
public:
    explicit TrafficTrace(std::FILE* out = stderr) : out_(out) { clock_.start(); }
    ~TrafficTrace() { flush(); }
    void attach(StationPort& port);
    void flush();

private:
    void print(qint64 ms, char direction, const QByteArray& bytes);

    std::FILE* out_;
    QElapsedTimer clock_;
    QByteArray pending_;
    qint64 pendingMs_ = 0;
};

}  // namespace pelmo
