// A byte line to the controllers: a serial port or the simulated bank.
#pragma once

#include <QByteArray>

namespace qvx {

class Transport {
public:
    virtual ~Transport() = default;
    // Opens the line at the given speed (bits per second, 8N1).
    virtual bool open(int baud) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends all bytes and returns once they have left the port.
    virtual bool send(const QByteArray& bytes) = 0;
    // Waits at most timeoutMs for input and returns what has arrived (empty on
    // time-out). Never spins: the wait sleeps until bytes come or time is up.
    virtual QByteArray receive(int timeoutMs) = 0;
    // Drops whatever input is pending.
    virtual void discardInput() = 0;
};

}  // namespace qvx
