#include "link/serial_port.h"

#include <QFile>
#include <algorithm>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/texts.h"

namespace pelmo {

bool missingDialoutMembership(bool permissionDenied, const QString& deviceGroupName,
                              unsigned deviceGroup, const std::vector<unsigned>& userGroups) {
    return permissionDenied && deviceGroupName == QStringLiteral("dialout") &&
           std::find(userGroups.begin(), userGroups.end(), deviceGroup) == userGroups.end();
}

QString SerialStationPort::accessHint() const {
    struct stat info {};
    const QByteArray path = QFile::encodeName(
        device_.startsWith(QLatin1Char('/')) ? device_ : QStringLiteral("/dev/") + device_);
    if (::stat(path.constData(), &info) != 0) {
        return {};
    }
    // Refused although we may read and write it: another program holds it (its lock file,
    // or an exclusive open).
    if (port_.error() == QSerialPort::PermissionError &&
        ::access(path.constData(), R_OK | W_OK) == 0) {
        return txt(kTextTheSerialPortIs).arg(device_);
    }
    const group* g = ::getgrgid(info.st_gid);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
    std::vector<unsigned> mine{static_cast<unsigned>(::getegid())};
    for (int i = 0; i < n; ++i) {
        mine.push_back(static_cast<unsigned>(groups[static_cast<std::size_t>(i)]));
    }
    if (!missingDialoutMembership(port_.error() == QSerialPort::PermissionError,
                                  g ? QString::fromLocal8Bit(g->gr_name) : QString(),
                                  static_cast<unsigned>(info.st_gid), mine)) {
        return {};
    }
    return txt(kTextYouMayNotOpen).arg(device_);
}

SerialStationPort::SerialStationPort(QObject* parent) : QObject(parent) {
    setClock(steadyClock());
    connect(&port_, &QSerialPort::readyRead, this, &SerialStationPort::readAvailable);
    connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ReadError || e == QSerialPort::WriteError ||
            e == QSerialPort::ResourceError) {
            lineError_ = true;
        }
    });
}

SerialStationPort::~SerialStationPort() {
    port_.close();
}

void SerialStationPort::setDevice(const QString& device) {
    if (device == device_) {
        return;
    }
    close();
    device_ = device;
}

bool SerialStationPort::open() {
    if (port_.isOpen()) {
        return true;
    }
    if (device_.isEmpty()) {
        return false;
    }
    port_.setPortName(device_);
    port_.setBaudRate(QSerialPort::Baud9600);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        return false;
    }
    // DTR stays raised for the station's line driver; RTS belongs to direction control.
    port_.setDataTerminalReady(true);
    enableRs485();
    lineError_ = false;
    emit opened();
    return true;
}

void SerialStationPort::enableRs485() {
    rs485_ = false;
#ifdef __linux__
    serial_rs485 conf{};
    conf.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    // Drivers without RS-485 support (and pseudo-terminals) refuse; the port still works.
    rs485_ = ioctl(static_cast<int>(port_.handle()), TIOCSRS485, &conf) == 0;
#endif
    if (!rs485_) {
        port_.setRequestToSend(false);
    }
}

void SerialStationPort::close() {
    if (port_.isOpen()) {
        port_.close();
        emit closed();
    }
}

bool SerialStationPort::transmit(std::span<const std::uint8_t> data) {
    if (!open()) {
        return false;
    }
    const auto written =
        port_.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size()));
    if (written != static_cast<qint64>(data.size())) {
        return false;
    }
    // Hand the bytes to the driver now rather than at the next event-loop turn, so that the
    // engine's poll timing starts from the real transmission.
    port_.flush();
    noteWritten(data);
    return true;
}

LineStatus SerialStationPort::lineStatus() const {
    LineStatus status;
    status.open = port_.isOpen();
    if (status.open) {
        const auto pins = port_.pinoutSignals();
        status.dsr = pins.testFlag(QSerialPort::DataSetReadySignal);
        status.cts = pins.testFlag(QSerialPort::ClearToSendSignal);
    }
    status.error = lineError_;
    return status;
}

void SerialStationPort::deliverArrived() {
    if (!port_.isOpen()) {
        return;
    }
    // A zero wait reads what the driver holds and emits readyRead at once; having nothing
    // is not an error of the line.
    if (!port_.waitForReadyRead(0)) {
        port_.clearError();
    }
}

void SerialStationPort::readAvailable() {
    // A handler that asks for arrived bytes (deliverArrived) while this delivery runs gets
    // them read into the port's buffer without a second readyRead; they go out here.
    while (port_.bytesAvailable() > 0) {
        const QByteArray bytes = port_.readAll();
        deliver({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                 static_cast<std::size_t>(bytes.size())});
    }
}

}  // namespace pelmo
