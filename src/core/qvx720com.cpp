#include "qvx720com.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <QRegularExpression>

#include "protocol.h"
#include "serial_transport.h"

namespace qvx {

namespace {
// One Latin-1 character of a QString argument, or 0 when it has none.
char oneChar(const QString& s) {
    if (s.size() != 1 || s.front().unicode() > 0x7E) return 0;
    return static_cast<char>(s.front().unicode());
}

bool toAscii(const QString& s, std::string& out) {
    out.clear();
    for (QChar c : s) {
        if (c.unicode() > 0x7E) return false;
        out += static_cast<char>(c.unicode());
    }
    return true;
}
}  // namespace

QVX720Com::QVX720Com()
    : deviceFactory_([](const QString& device) { return std::make_unique<SerialTransport>(device); }),
      clock_([] {
          static QElapsedTimer t = [] {
              QElapsedTimer e;
              e.start();
              return e;
          }();
          return t.elapsed();
      }) {}

QVX720Com::~QVX720Com() { Comm_PortClose(); }

QString QVX720Com::deviceForPort(const QString& port, const QProcessEnvironment& env, const QString& storedDevice) {
    static const QRegularExpression re(QStringLiteral("^COM([1-9][0-9]?)$"));
    const auto m = re.match(port);
    if (!m.hasMatch()) return {};
    const QString var = QStringLiteral("QVX720_COM") + m.captured(1);
    // A bare name ("ttyUSB0", "pts/3") leads where the serial library takes it.
    const auto located = [](const QString& name) {
        return name.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0 ? name : serialDeviceLocation(name);
    };
    const QString mapped = env.value(var).trimmed();
    if (!mapped.isEmpty()) return located(mapped);
    const QString stored = storedDevice.trimmed();
    if (!stored.isEmpty()) return located(stored);
    return QStringLiteral("/dev/ttyS") + QString::number(m.captured(1).toInt() - 1);
}

std::unique_ptr<Transport> QVX720Com::makeTransport() {
    device_.clear();
    if (simulateAll_) {
        device_ = QStringLiteral("sim");
        return simLine_ ? simLine_() : nullptr;
    }
    device_ = deviceForPort(port_, QProcessEnvironment::systemEnvironment(),
                            storedDevice_ ? storedDevice_(port_) : QString());
    if (device_.isEmpty()) return nullptr;
    if (device_.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0) return simLine_ ? simLine_() : nullptr;
    return deviceFactory_ ? deviceFactory_(device_) : nullptr;
}

qint16 QVX720Com::Comm_PortOpen() {
    Comm_PortClose();
    keepLineError(false);
    bool ok = false;
    const int baud = speed_.toInt(&ok);
    if (!ok || baud <= 0) return 0;
    line_ = makeTransport();
    if (!line_) return 0;
    baud_ = baud;
    lastOpenAttempt_ = clock_();
    // A device that does not open is kept: transactions try it again.
    if (!line_->open(baud)) {
        keepLineError(true);
        return 0;
    }
    lineUp_ = true;
    return -1;
}

void QVX720Com::Comm_PortClose() {
    if (line_) line_->close();
    line_.reset();
    lineUp_ = false;
}

bool QVX720Com::isOpen() const { return line_ && line_->isOpen(); }

qint64 QVX720Com::msUntilReopen() const {
    if (!lineDown()) return 0;
    return std::max<qint64>(0, lastOpenAttempt_ + timeoutMs_ - clock_());
}

bool QVX720Com::lineReady() {
    if (line_->isOpen()) return true;
    if (lineUp_) lineFailed();  // failed between transactions
    const qint64 now = clock_();
    if (now - lastOpenAttempt_ < timeoutMs_) return false;
    lastOpenAttempt_ = now;
    ++reopenAttempts_;
    line_->close();
    if (!line_->open(baud_)) {
        keepLineError(true);
        return false;
    }
    lineUp_ = true;
    keepLineError(false);
    qInfo("%s (%s): the device is open again", qUtf8Printable(port_), qUtf8Printable(device_));
    return true;
}

void QVX720Com::keepLineError(bool failed) {
    lineError_ = failed ? line_->lastError() : QString();
    lineLock_ = failed ? line_->lockRefusal() : DeviceLock();
}

void QVX720Com::lineFailed() {
    keepLineError(true);
    line_->close();
    // The first attempt to open it again comes a time-out later, as every other.
    lastOpenAttempt_ = clock_();
    if (lineUp_)
        qWarning("%s (%s): the device failed (%s); it is closed and opened again when it comes back",
                 qUtf8Printable(port_), qUtf8Printable(device_), qUtf8Printable(lineError_));
    lineUp_ = false;
}

void QVX720Com::Comm_SetTimeOut(qint32 ms) {
    if (ms > 0) timeoutMs_ = ms;
}
void QVX720Com::Comm_SetPort(const QString& port) { port_ = port; }
void QVX720Com::Comm_SetSpeed(const QString& speed) { speed_ = speed; }
void QVX720Com::Comm_SetOption(bool on) { option_ = on; }

void QVX720Com::Comm_PreRead1() {
    if (isOpen()) line_->discardInput();
}
void QVX720Com::Comm_PreRead2() {}

QString QVX720Com::Comm_GetData(const QString& reply, qint32 field) const {
    if (field != 1 || reply.size() < 12) return {};
    return reply.mid(8, 4);
}

QString QVX720Com::Comm_Transact(const QString& adr, const QString& subAdr, const QString& cmd,
                                 const QString& item, const QString& data, qint16 /*mode*/) {
    reachedLine_ = false;
    if (beforeTransaction_) beforeTransaction_();
    if (!line_) return {};  // no port opened
    proto::Request r;
    r.address = oneChar(adr);
    r.subAddress = oneChar(subAdr);
    r.command = oneChar(cmd);
    if (!r.address || !r.subAddress || !r.command) return {};
    if (!toAscii(r.command == 'a' ? QString() : item, r.item) || !toAscii(data, r.data)) return {};
    const std::string frame = proto::encodeRequest(r);
    if (frame.empty()) return {};

    ++transactions_;
    // A closed device takes nothing: the transaction ends at once.
    if (!lineReady()) return {};
    line_->discardInput();
    if (!line_->send(QByteArray::fromRawData(frame.data(), static_cast<qsizetype>(frame.size())))) {
        lineFailed();
        return {};
    }

    const qint64 start = clock_();
    proto::ReplyScanner scanner;
    for (;;) {
        // A device that failed during the wait, the last one included, is
        // gone: that is never a silent controller.
        if (!line_->isOpen()) {
            lineFailed();
            return {};
        }
        const qint64 left = timeoutMs_ - (clock_() - start);
        if (left <= 0) {
            reachedLine_ = true;  // a silent controller
            return {};
        }
        const QByteArray bytes = line_->receive(static_cast<int>(left));
        if (bytes.isEmpty()) continue;
        scanner.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        while (auto d = scanner.next()) {
            if (d->good && option_ && !proto::echoMatches(d->text, r)) continue;  // stale reply
            reachedLine_ = true;
            return QString::fromLatin1(d->text.data(), static_cast<qsizetype>(d->text.size()));
        }
        // A reply has begun: the rest of it cannot come sooner than the line
        // carries it, so wait for it instead of waking up for every byte.
        const std::size_t have = scanner.buffered();
        if (have > 0 && have < proto::kReplyFrameSize && baud_ > 0) {
            const qint64 us = qint64(proto::kReplyFrameSize - have - 2) * 10 * 1000000 / baud_;
            const qint64 leftUs = (timeoutMs_ - (clock_() - start)) * 1000;
            if (us >= 300 && us < leftUs) QThread::usleep(static_cast<unsigned long>(us));
        }
    }
}

}  // namespace qvx
