#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <vector>

#include "link/station_port.h"

namespace pelmo {

// Whether a port refused for lack of permission is a dialout device its user is not
// allowed to: the device's group is named "dialout" and is none of the user's groups.
bool missingDialoutMembership(bool permissionDenied, const QString& deviceGroupName,
                              unsigned deviceGroup, const std::vector<unsigned>& userGroups);

// The PC's serial port at 9600 Bd 8N1, opened at the first write. On drivers that support
// it the kernel drives RS-485 direction control (RTS raised only while sending).
class SerialStationPort final : public QObject, public StationPort {
    Q_OBJECT
public:
    explicit SerialStationPort(QObject* parent = nullptr);
    ~SerialStationPort() override;

    // Device path or system port name (e.g. /dev/ttyUSB0, ttyS0); takes effect at the next
    // opening, so a change closes an open port.
    void setDevice(const QString& device);
    QString device() const { return device_; }

    bool open() override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    LineStatus lineStatus() const override;
    void deliverArrived() override;

    // Whether the last opening switched the driver into RS-485 mode.
    bool rs485Active() const { return rs485_; }
    QString lastError() const { return port_.errorString(); }
    // After a failed opening: how to gain access when the device belongs to the dialout
    // group and this user is not in it; empty otherwise.
    QString accessHint() const;

signals:
    void opened();
    void closed();

protected:
    bool transmit(std::span<const std::uint8_t> data) override;

private:
    void readAvailable();
    void enableRs485();

    // pinoutSignals() is not const in Qt.
    mutable QSerialPort port_;
    QString device_;
    bool rs485_ = false;
    bool lineError_ = false;
};

}  // namespace pelmo
