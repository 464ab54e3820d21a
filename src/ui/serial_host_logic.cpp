#include "ui/serial_host_logic.h"

#include <QDateTime>

#include "link/communication.h"
#include "link/request_table.h"

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

SetDateSequence::SetDateSequence(StationPort& port, LinkContext& link, Label label)
    : port_(port), link_(link), label_(std::move(label)) {}

SetDateSequence::~SetDateSequence() = default;

void SetDateSequence::start() {
    engine_ = std::make_unique<TCommunication>([this](int, int failed) { completed(failed); },
                                               nullptr, kMessageData, port_, link_);
    TCommunication::setCurrent(engine_.get());
    state_ = COMM;
    (link_.build.image ? *link_.build.image : station()).current_index = 1;
    engine_->send(COMM, 11, kModeExact, false);
}

void SetDateSequence::completed(int failed) {
    if (state_ == COMM && !failed) {
        state_ = SET_TIME;
        engine_->send(SET_TIME, 0, kModeAck, false);
        return;
    }
    if (state_ == SET_TIME) {
        label_(failed ? QStringLiteral("failed") : QStringLiteral("OK"));
    }
    state_ = END_COMM;
    // The sequence has ended; a kept engine would hold the bus for good.
    engine_.reset();
}

}  // namespace pelmo
