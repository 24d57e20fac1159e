// The controller line on a serial device (a real port or a pseudo-terminal).
#pragma once

#include <QSerialPort>
#include <QString>
#include <cerrno>

#include "transport.h"

namespace qvx {

class SerialTransport final : public Transport {
public:
    explicit SerialTransport(QString device);
    ~SerialTransport() override;

    // Opens the device and asks its driver for low-latency mode (best effort).
    bool open(int baud) override;
    void close() override;
    // False once the device has failed (hang-up, read or write error).
    bool isOpen() const override;
    bool send(const QByteArray& bytes) override;
    QByteArray receive(int timeoutMs) override;
    void discardInput() override;
    QString lastError() const override { return error_; }

    const QString& device() const { return device_; }

private:
    void fail(int err = EIO);

    QString device_;
    QSerialPort port_;
    QString error_;
    bool failed_ = false;
};

}  // namespace qvx
