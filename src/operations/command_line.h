#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

namespace pelmo {

class StationPort;

// Exit codes of pelmo-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStation = 1;  // no answer, bad answer, refused by the station
inline constexpr int kExitUsage = 2;    // bad arguments, unreadable or unwritable files

// One option of a command: what its parser accepts, its help line and what the shell
// completion offers for its value, all from one place.
struct OptionSpec {
    const char* name;   // the long name without "--"
    char shortName;     // 'q' for -q; 0 when there is none
    const char* value;  // the value's placeholder, nullptr for a flag (see valueKind)
    const char* help;   // one line; nullptr keeps the option out of help and completion
};

// What the completion offers for an option's value, read from its placeholder: DEVICE is a
// serial device, DIR a folder, FILE or FILE.ext a file, "a|b|c" one of the words.
enum class OptionValueKind { None, Device, Folder, File, Choice, Other };
OptionValueKind valueKind(const OptionSpec& option);
// The words of a choice placeholder ("cs|en" gives cs and en); empty for other kinds.
QStringList valueChoices(const OptionSpec& option);
// The extension a FILE.ext placeholder asks for ("sta"), empty for any file.
QString valueExtension(const OptionSpec& option);
// "-q, --quiet" or "--out FILE": the option as help shows it.
QString optionSynopsis(const OptionSpec& option);

// "--name value", "--flag" and "-x" options after a command word.
class CommandOptions {
public:
    // Parses `args`; `valued` names the options that take a value, `flags` the others.
    // On error `error()` says why.
    CommandOptions(const QStringList& args, const QStringList& valued, const QStringList& flags);
    // Parses `args` against a command's option table. With `operands`, words that are not
    // options are collected in order (a negative number is a word, not an option) instead of
    // being refused.
    CommandOptions(const QStringList& args, std::span<const OptionSpec> table,
                   bool operands = false);

    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }
    bool has(const QString& name) const { return values_.contains(name); }
    // The last value given for the option.
    QString value(const QString& name) const { return values_.value(name); }
    // Every value given for a repeatable option, in order.
    QStringList values(const QString& name) const { return all_.value(name); }
    QStringList operands() const { return operands_; }

private:
    QStringList operands_;
    QMap<QString, QString> values_;
    QMap<QString, QStringList> all_;
    QString error_;
};

// A station address as an option gives it (--address, --from, --to): a decimal number
// 1..251 as QString::toInt reads it; nullopt otherwise.
std::optional<int> parseBusAddress(const QString& text);
// A list of addresses (--addresses 3,17,42): each item digits only, 1..251 and given once,
// in the order given. Empty, with `bad` naming the first item refused, when any is refused.
std::vector<int> parseBusAddressList(const QString& text, QString& bad);

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
