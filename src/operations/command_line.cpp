#include "operations/command_line.h"

#include <QMap>
#include <QRegularExpression>
#include <algorithm>

#include "base/console_prompts.h"
#include "link/station_port.h"
#include "model/station_image.h"

namespace pelmo {

CommandOptions::CommandOptions(const QStringList& args, const QStringList& valued,
                               const QStringList& flags) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QStringLiteral("--"))) {
            error_ = QStringLiteral("unexpected argument: %1").arg(a);
            return;
        }
        const QString name = a.mid(2);
        if (flags.contains(name)) {
            values_.insert(name, QString());
        } else if (valued.contains(name)) {
            if (i + 1 >= args.size()) {
                error_ = QStringLiteral("--%1 needs a value").arg(name);
                return;
            }
            values_.insert(name, args[++i]);
            all_[name] << values_.value(name);
        } else {
            error_ = QStringLiteral("unknown option: %1").arg(a);
            return;
        }
    }
}

CommandOptions::CommandOptions(const QStringList& args, std::span<const OptionSpec> table,
                               bool operands) {
    auto find = [&table](const QString& word) -> const OptionSpec* {
        for (const OptionSpec& o : table) {
            const bool matches =
                word.startsWith(QStringLiteral("--"))
                    ? word.mid(2) == QLatin1String(o.name)
                    : o.shortName != 0 && word.size() == 2 && word[1] == QLatin1Char(o.shortName);
            if (matches) {
                return &o;
            }
        }
        return nullptr;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        // "-5" is a number and "-" the standard stream: words, like anything without a dash.
        const bool option = (a.startsWith(QStringLiteral("--")) && a.size() > 2) ||
                            (a.size() == 2 && a[0] == QLatin1Char('-') && a[1].isLetter());
        if (!option) {
            if (!operands) {
                error_ = QStringLiteral("unexpected argument: %1").arg(a);
                return;
            }
            operands_ << a;
            continue;
        }
        const OptionSpec* spec = find(a);
        if (!spec) {
            error_ = QStringLiteral("unknown option: %1").arg(a);
            return;
        }
        const QString name = QLatin1String(spec->name);
        if (!spec->value) {
            values_.insert(name, QString());
            continue;
        }
        if (i + 1 >= args.size()) {
            error_ = QStringLiteral("--%1 needs a value").arg(name);
            return;
        }
        values_.insert(name, args[++i]);
        all_[name] << values_.value(name);
    }
}

OptionValueKind valueKind(const OptionSpec& option) {
    if (!option.value) {
        return OptionValueKind::None;
    }
    QString v = QLatin1String(option.value);
    // "FILE|-": a file, or standard output.
    if (v.endsWith(QStringLiteral("|-"))) {
        v.chop(2);
    }
    if (v.contains(QLatin1Char('|'))) {
        return OptionValueKind::Choice;
    }
    if (v == QStringLiteral("DEVICE")) {
        return OptionValueKind::Device;
    }
    if (v == QStringLiteral("DIR")) {
        return OptionValueKind::Folder;
    }
    if (v == QStringLiteral("FILE") || v.startsWith(QStringLiteral("FILE."))) {
        return OptionValueKind::File;
    }
    return OptionValueKind::Other;
}

QStringList valueChoices(const OptionSpec& option) {
    return valueKind(option) == OptionValueKind::Choice
               ? QString::fromLatin1(option.value).split(QLatin1Char('|'))
               : QStringList();
}

QString valueExtension(const OptionSpec& option) {
    return valueKind(option) == OptionValueKind::File
               ? QString::fromLatin1(option.value).section(QLatin1Char('.'), 1)
               : QString();
}

QString optionSynopsis(const OptionSpec& option) {
    QString text = QStringLiteral("--") + QLatin1String(option.name);
    if (option.shortName) {
        text = QStringLiteral("-") + QLatin1Char(option.shortName) + QStringLiteral(", ") + text;
    }
    if (option.value) {
        text += QLatin1Char(' ') + QLatin1String(option.value);
    }
    return text;
}

std::optional<int> parseBusAddress(const QString& text) {
    bool ok = false;
    const int address = text.toInt(&ok);
    if (!ok || address < 1 || address > kDefaultBusAddress) {
        return std::nullopt;
    }
    return address;
}

std::vector<int> parseBusAddressList(const QString& text, QString& bad) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    std::vector<int> addresses;
    for (const QString& item : text.split(QLatin1Char(','))) {
        const std::optional<int> a =
            digits.match(item).hasMatch() ? parseBusAddress(item) : std::nullopt;
        if (!a || std::find(addresses.begin(), addresses.end(), *a) != addresses.end()) {
            bad = item;
            return {};
        }
        addresses.push_back(*a);
    }
    return addresses;
}

void TrafficTrace::attach(StationPort& port) {
    port.setTrafficObserver([this](bool outgoing, std::span<const std::uint8_t> bytes) {
        const QByteArray chunk(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
        if (outgoing) {
            flush();
            print(clock_.elapsed(), '>', chunk);
        } else {
            if (pending_.isEmpty()) {
                pendingMs_ = clock_.elapsed();
            }
            pending_ += chunk;
        }
    });
}

void TrafficTrace::flush() {
    if (!pending_.isEmpty()) {
        print(pendingMs_, '<', pending_);
        pending_.clear();
    }
}

void TrafficTrace::print(qint64 ms, char direction, const QByteArray& bytes) {
    writeConsoleLine(out_, QByteArray("[") + QByteArray::number(ms).rightJustified(6, ' ') + "] " +
                               direction + ' ' + bytes.toHex(' ').toUpper());
}

}  // namespace pelmo
