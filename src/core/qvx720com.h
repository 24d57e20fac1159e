// The communication object: every exchange with the controllers goes through
// one of these. It never throws; a transaction that fails or cannot be made
// returns the empty text (reply class none).
//
// A device that fails while open (unplugged, hung up, a read or write error)
// is closed. Until it opens again, each transaction tries to reopen the same
// device, at most once per reply time-out, and otherwise ends at once with no
// reply: nothing can go out, so there is nothing to wait for. The run loop
// paces itself by msUntilReopen() meanwhile. A reopened device starts with
// empty buffers; nothing meant for the failed one is sent to it. A device that
// is open but silent keeps the blocking wait of the reply time-out.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <memory>

#include "transport.h"

namespace qvx {

class QVX720Com {
public:
    using LineFactory = std::function<std::unique_ptr<Transport>()>;
    using DeviceFactory = std::function<std::unique_ptr<Transport>(const QString& device)>;
    // Monotonic milliseconds; tests substitute a virtual clock.
    using Clock = std::function<qint64()>;
    // The device kept in the settings for a port ("" when none).
    using StoredDevice = std::function<QString(const QString& port)>;

    QVX720Com();
    ~QVX720Com();
    QVX720Com(const QVX720Com&) = delete;
    QVX720Com& operator=(const QVX720Com&) = delete;

    // One request and its reply: address character, second address, command
    // (" " read, "P" write, "a", "q"), item code, data, mode. Returns the
    // 12-character reply text, a text led by ESC for a corrupt reply, or "".
    QString Comm_Transact(const QString& adr, const QString& subAdr, const QString& cmd,
                          const QString& item, const QString& data, qint16 mode);
    // Field 1 is the data field of a reply (characters 9..12), "" when shorter.
    QString Comm_GetData(const QString& reply, qint32 field) const;
    void Comm_SetTimeOut(qint32 ms);
    void Comm_SetPort(const QString& port);
    void Comm_SetSpeed(const QString& speed);
    qint16 Comm_PortOpen();
    void Comm_PortClose();
    void Comm_PreRead1();
    void Comm_PreRead2();
    void Comm_SetOption(bool on);

    // Where the ports lead. "COMn" maps to $QVX720_COMn when set (a device path
    // or the word "sim"), else to the stored device of the port, else to
    // /dev/ttyS<n-1>. A bare device name is mapped as the serial library maps
    // it ("ttyUSB0" -> "/dev/ttyUSB0"); symlinks are resolved when it opens.
    static QString deviceForPort(const QString& port,
                                 const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                                 const QString& storedDevice = QString());
    void setStoredDevice(StoredDevice lookup) { storedDevice_ = std::move(lookup); }
    // The built-in simulated line, used for "sim" and when every port is simulated.
    void setSimulatedLine(LineFactory factory) { simLine_ = std::move(factory); }
    void setSimulateAllPorts(bool on) { simulateAll_ = on; }
    // How a device path becomes a transport (tests substitute their own).
    void setDeviceFactory(DeviceFactory factory) { deviceFactory_ = std::move(factory); }
    void setClock(Clock clock) { clock_ = std::move(clock); }
    // Called as each transaction begins, before anything is sent: the point
    // where a long run of transactions (the start-up scan) can be cut short.
    void setBeforeTransaction(std::function<void()> hook) { beforeTransaction_ = std::move(hook); }

    int timeOut() const { return timeoutMs_; }
    // The object's monotonic clock, in milliseconds.
    qint64 clockMs() const { return clock_(); }
    const QString& port() const { return port_; }
    const QString& speed() const { return speed_; }
    bool option() const { return option_; }
    bool isOpen() const;
    // The port was opened but its device is closed now: it failed, or did not
    // open, and has not opened again.
    bool lineDown() const { return line_ && !lineUp_; }
    // While the line is down: milliseconds until a transaction may try to
    // reopen the device (0 when it may now). 0 while the line is up.
    qint64 msUntilReopen() const;
    // The last transaction's request went out and the device stayed open
    // until its reply or its time-out: a missing reply then means the
    // controller was silent, not that the device was gone.
    bool lastReachedLine() const { return reachedLine_; }
    // The device of the last Comm_PortOpen ("sim" for the simulated line,
    // "" when the port maps to none).
    const QString& device() const { return device_; }
    // The system's text for why the device could not be opened or failed
    // since the last successful open; "" when it has not.
    const QString& lineError() const { return lineError_; }
    // Who holds the device's lock when that was why it did not open.
    const DeviceLock& lineLock() const { return lineLock_; }
    // Number of transactions made since creation (for statistics and tests).
    quint64 transactions() const { return transactions_; }
    // Attempts to open the device again after it had failed.
    quint64 reopenAttempts() const { return reopenAttempts_; }

private:
    std::unique_ptr<Transport> makeTransport();
    // True when the line is open, if need be after one reopen attempt (at
    // most one per time-out).
    bool lineReady();
    // Closes a line whose device has failed and keeps the system's reason.
    void lineFailed();
    // Keeps the device's reason for its last failure ("" and no lock: none).
    void keepLineError(bool failed);

    std::unique_ptr<Transport> line_;
    LineFactory simLine_;
    DeviceFactory deviceFactory_;
    Clock clock_;
    StoredDevice storedDevice_;
    std::function<void()> beforeTransaction_;
    bool simulateAll_ = false;
    QString port_ = QStringLiteral("COM1");
    QString speed_ = QStringLiteral("9600");
    int timeoutMs_ = 200;
    int baud_ = 0;
    bool option_ = false;
    QString device_;
    QString lineError_;
    DeviceLock lineLock_;
    qint64 lastOpenAttempt_ = 0;
    bool lineUp_ = false;  // the device opened and has not been found failed since
    bool reachedLine_ = false;
    quint64 transactions_ = 0;
    quint64 reopenAttempts_ = 0;
};

}  // namespace qvx
