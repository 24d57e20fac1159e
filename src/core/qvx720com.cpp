#include "qvx720com.h"

#include <QElapsedTimer>
#include <QThread>
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

QString QVX720Com::deviceForPort(const QString& port, const QProcessEnvironment& env) {
    static const QRegularExpression re(QStringLiteral("^COM([1-9][0-9]?)$"));
    const auto m = re.match(port);
    if (!m.hasMatch()) return {};
    const QString var = QStringLiteral("QVX720_COM") + m.captured(1);
    const QString mapped = env.value(var).trimmed();
    if (!mapped.isEmpty()) return mapped;
    return QStringLiteral("/dev/ttyS") + QString::number(m.captured(1).toInt() - 1);
}

std::unique_ptr<Transport> QVX720Com::makeTransport() const {
    if (simulateAll_) return simLine_ ? simLine_() : nullptr;
    const QString device = deviceForPort(port_);
    if (device.isEmpty()) return nullptr;
    if (device.compare(QLatin1String("sim"), Qt::CaseInsensitive) == 0)
        return simLine_ ? simLine_() : nullptr;
    return deviceFactory_ ? deviceFactory_(device) : nullptr;
}

qint16 QVX720Com::Comm_PortOpen() {
    Comm_PortClose();
    bool ok = false;
    const int baud = speed_.toInt(&ok);
    if (!ok || baud <= 0) return 0;
    line_ = makeTransport();
    if (!line_) return 0;
    if (!line_->open(baud)) {
        line_.reset();
        return 0;
    }
    baud_ = baud;
    return -1;
}

void QVX720Com::Comm_PortClose() {
    if (line_) line_->close();
    line_.reset();
}

bool QVX720Com::isOpen() const { return line_ && line_->isOpen(); }

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
    if (!isOpen()) return {};
    proto::Request r;
    r.address = oneChar(adr);
    r.subAddress = oneChar(subAdr);
    r.command = oneChar(cmd);
    if (!r.address || !r.subAddress || !r.command) return {};
    if (!toAscii(r.command == 'a' ? QString() : item, r.item) || !toAscii(data, r.data)) return {};
    const std::string frame = proto::encodeRequest(r);
    if (frame.empty()) return {};

    ++transactions_;
    line_->discardInput();
    if (!line_->send(QByteArray::fromRawData(frame.data(), static_cast<qsizetype>(frame.size()))))
        return {};

    const qint64 start = clock_();
    proto::ReplyScanner scanner;
    for (;;) {
        const qint64 left = timeoutMs_ - (clock_() - start);
        if (left <= 0 || !line_->isOpen()) return {};
        const QByteArray bytes = line_->receive(static_cast<int>(left));
        if (bytes.isEmpty()) continue;
        scanner.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        while (auto d = scanner.next()) {
            if (d->good && option_ && !proto::echoMatches(d->text, r)) continue;  // stale reply
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
