#include "operations/command_line.h"

#include <QMap>

#include "base/console_prompts.h"
#include "link/station_port.h"

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
