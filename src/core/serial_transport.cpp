#include "serial_transport.h"

#include <termios.h>

namespace qvx {

SerialTransport::SerialTransport(QString device) : device_(std::move(device)) {}

SerialTransport::~SerialTransport() { close(); }

bool SerialTransport::open(int baud) {
    close();
    port_.setPortName(device_);
    if (!port_.open(QIODevice::ReadWrite)) return false;
    const bool ok = port_.setBaudRate(baud) && port_.setDataBits(QSerialPort::Data8) &&
                    port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        port_.close();
        return false;
    }
    port_.clear();
    return true;
}

void SerialTransport::close() {
    if (port_.isOpen()) port_.close();
}

bool SerialTransport::isOpen() const { return port_.isOpen(); }

bool SerialTransport::send(const QByteArray& bytes) {
    if (!port_.isOpen()) return false;
    if (port_.write(bytes) != bytes.size()) return false;
    while (port_.bytesToWrite() > 0)
        if (!port_.waitForBytesWritten(1000)) return false;
    // The time-out counts from the moment the request has left the port.
    ::tcdrain(static_cast<int>(port_.handle()));
    return true;
}

QByteArray SerialTransport::receive(int timeoutMs) {
    if (!port_.isOpen()) return {};
    if (port_.bytesAvailable() == 0 && !port_.waitForReadyRead(timeoutMs)) return {};
    return port_.readAll();
}

void SerialTransport::discardInput() {
    if (!port_.isOpen()) return;
    port_.readAll();
    port_.clear(QSerialPort::Input);
}

}  // namespace qvx
