// The communication object waits for a begun reply as a whole instead of
// waking up for every byte the line delivers.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include "protocol.h"
#include "qvx720com.h"

using namespace qvx;

namespace {
// A line that delivers the reply byte by byte at the speed of a real line.
class PacedLine final : public Transport {
public:
    explicit PacedLine(int& receives) : receives_(receives) {}
    bool open(int baud) override {
        byteUs_ = 10'000'000 / baud;
        open_ = true;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool send(const QByteArray& b) override {
        const auto r = proto::decodeRequest(std::string_view(b.constData(), b.size())).request;
        reply_ = proto::encodeReply({proto::ACK, r.address, '0', r.command, r.item, "0123"});
        sent_ = 0;
        clock_.start();
        return true;
    }
    QByteArray receive(int timeoutMs) override {
        ++receives_;
        const auto due = [&] { return std::min<qint64>(qint64(reply_.size()), clock_.nsecsElapsed() / 1000 / byteUs_); };
        QElapsedTimer waited;
        waited.start();
        while (due() <= qint64(sent_) && waited.elapsed() < timeoutMs) QThread::usleep(50);
        const qint64 n = due();
        QByteArray out = QByteArray::fromStdString(reply_.substr(sent_, std::size_t(n) - sent_));
        sent_ = std::size_t(n);
        return out;
    }
    void discardInput() override {}

private:
    int& receives_;
    std::string reply_;
    std::size_t sent_ = 0;
    qint64 byteUs_ = 1000;
    QElapsedTimer clock_;
    bool open_ = false;
};
}  // namespace

TEST(ComTiming, ABegunReplyIsAwaitedAsAWhole) {
    int receives = 0;
    QVX720Com com;
    com.setSimulateAllPorts(true);
    com.setSimulatedLine([&] { return std::make_unique<PacedLine>(receives); });
    com.Comm_SetSpeed("9600");
    com.Comm_SetTimeOut(200);
    ASSERT_EQ(com.Comm_PortOpen(), -1);
    const QString reply = com.Comm_Transact(" ", " ", " ", "0080", "", 2);
    ASSERT_EQ(reply.size(), 12);
    EXPECT_EQ(com.Comm_GetData(reply, 1), "0123");
    // One wake-up for the first byte, one after the wait, and at most a few
    // for the last bytes; never one per byte of the 15.
    EXPECT_LE(receives, 5);
}
