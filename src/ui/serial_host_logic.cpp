#include "ui/serial_host_logic.h"

#include <QDateTime>

namespace pelmo {

int portNumberFromName(const QString& name) {
    if (name.size() < 4) {
        return 0;
    }
    bool ok = false;
    const int n = name.mid(3).toInt(&ok, 10);
    return ok ? n : -1;
}

TrafficLog::TrafficLog(QString path) : file_(std::move(path)) {}

void TrafficLog::setMode(Mode mode) {
    mode_ = mode;
    if (mode_ == Mode::Off) {
        file_.close();
    }
}

QString TrafficLog::format(std::span<const std::uint8_t> bytes, Mode mode) {
    QString out;
    for (std::uint8_t b : bytes) {
        if (mode == Mode::Printable && b >= 0x20 && b < 0x7F) {
            out.append(QChar(b));
        } else {
            out.append(QStringLiteral("<%1>").arg(b, 2, 16, QLatin1Char('0')).toUpper());
        }
    }
    return out;
}

void TrafficLog::clear() {
    file_.close();
    QFile::resize(file_.fileName(), 0);
}

void TrafficLog::record(bool outgoing, std::span<const std::uint8_t> bytes) {
    if (mode_ == Mode::Off) {
        return;
    }
    if (!file_.isOpen() && !file_.open(QIODevice::Append | QIODevice::Text)) {
        return;  // a log that cannot be written must never stop the traffic
    }
    const QString line = QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz")) +
                         (outgoing ? QStringLiteral(" > ") : QStringLiteral(" < ")) +
                         format(bytes, mode_) + QLatin1Char('\n');
    file_.write(line.toLatin1());
    file_.flush();
}

void TrafficLog::note(const QString& text) {
    if (mode_ == Mode::Off) {
        return;
    }
    if (!file_.isOpen() && !file_.open(QIODevice::Append | QIODevice::Text)) {
        return;
    }
    file_.write((text + QLatin1Char('\n')).toLatin1());
    file_.flush();
}

SetDateSequence::SetDateSequence(StationPort& port, LinkContext& link, Prompts& prompts,
                                 Label label)
    : StationSequence(port, link, prompts), label_(std::move(label)) {}

SetDateSequence::~SetDateSequence() = default;

void SetDateSequence::start() {
    begin();
    image().current_index = 1;
    send(COMM);
}

void SetDateSequence::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (state_ == COMM && !failed) {
        send(SET_TIME);
        return;
    }
    if (state_ == SET_TIME) {
        label_(failed ? QStringLiteral("failed") : QStringLiteral("OK"));
    }
    // The sequence has ended; a kept engine would hold the bus for good.
    release();
}

}  // namespace pelmo
