// The controller line on a serial device (a real port or a pseudo-terminal).
#pragma once

#include <QSerialPort>
#include <QString>

#include "transport.h"

namespace qvx {

class SerialTransport final : public Transport {
public:
    explicit SerialTransport(QString device);
    ~SerialTransport() override;

    bool open(int baud) override;
    void close() override;
    bool isOpen() const override;
    bool send(const QByteArray& bytes) override;
    QByteArray receive(int timeoutMs) override;
    void discardInput() override;

    const QString& device() const { return device_; }
    QString lastError() const { return port_.errorString(); }

private:
    QString device_;
    QSerialPort port_;
};

}  // namespace qvx
