// The instrument link: link set-up, the link state machine, the poll, the
// start-up scan, re-reads, writes and data clear. The main window owns one
// and its handlers (Timer4_Timer, Monitor_read, mnuClear_Click ...) call in.
#pragma once

#include <QString>
#include <array>
#include <limits>
#include <vector>

#include "link_view.h"
#include "qvx720_inc.h"
#include "qvx720com.h"
#include "reply.h"
#include "settings_store.h"
#include "string_table.h"

namespace qvx {

// Item of poll phase 0..6 for a channel with option word opt.
int pollItem(int phase, qint16 opt);
// Settings items 10..63 that a bulk read sends for the option and type words, in order.
std::vector<int> bulkReadItems(qint16 opt, qint16 type);

// The write-all chain (53 items, input type first) and the write-selected
// chain (51 items, without 18 and 54).
extern const std::array<int, 53> kWriteAllChain;
extern const std::array<int, 51> kWriteSelectChain;

inline constexpr const char* kScanCode = "9865";
inline constexpr const char* kClearCode = "9346";
inline constexpr const char* kProbeItem = "0000";
inline constexpr const char* kAlarmCommandCode = "0051";
// The time-out of the data clear's clear commands.
inline constexpr int kClearTimeoutMs = 500;

// Why the link check failed, in one line: the port, the device it maps to and
// the system's reason the device did not open or failed (deviceError), who
// holds its lock when that was the reason, that another program holds the
// device itself, or that it opened but channel 1 did not acknowledge.
// "COM1 (/dev/ttyUSB0): Permission denied".
QString linkFailureText(const StringTable& strings, const QString& port, const QString& device,
                        const QString& deviceError, const DeviceLock& lock = {});
// Who holds a device's lock, and what to do about a lock left behind; "" when
// the lock was not the cause.
QString deviceLockText(const StringTable& strings, const DeviceLock& lock);

class Link {
public:
    Link(QVX720_INC& s, QVX720Com& com, SettingsStore& store, const StringTable& strings, LinkView& view,
         HistorySink& history);

    // Link set-up: validates the stored port and speed, then opens and checks.
    // "ok" when the link check got an acknowledge, else "".
    QString Link_start();
    QString Link_open(const QString& port, const QString& speed);

    // One tick of the link state machine. A tick never starts while another runs.
    void Timer4_Timer();
    bool inTick() const { return inTick_; }
    // How long the run loop may sleep before a tick has work again (0: at
    // once). The retry state makes at most one link attempt per time-out and,
    // while the dialog waits, sets the line up once per time-out; a closed
    // device is tried once per time-out; with no channel present the poll
    // has nothing to send and ticks once per time-out. Between two steps of
    // the start-up scan or of a data clear it is at least stepGapMs() from
    // the end of the last step.
    qint64 msUntilNextTick() const;
    // The pause after each step of the start-up scan or of a data clear, at
    // a reply time-out of timeOutMs. A step may block for a whole time-out,
    // the window frozen meanwhile; in the pause the run loop takes the input
    // that came and paints its answer. A box opened or closed then needs the
    // window manager's part (a map, an expose) before it shows, which 50 ms
    // covers; whatever still comes late waits for one more step, which at a
    // short time-out is soon, so the pause shrinks with the time-out and
    // costs the scan about a fortieth.
    static int stepGapMs(int timeOutMs);
    // A data clear is under way (its clear commands or its rescan): other
    // line work waits for it or is refused.
    bool dataClearRunning() const { return clear_ != ClearPhase::None; }

    // The poll: at most one transaction.
    void Monitor_read();
    // Stores the value of an acknowledged reply for item of channel ch.
    void ReadDataSet(const QString& reply, int ch, int item);
    // Re-read trigger after a status word or auto-tuning flag poll: tests the
    // held status word (while the channel's last status poll was
    // acknowledged) and the auto-tuning flag.
    void statecomchk(int ch);

    // Start-up scan of all 95 addresses; re-read of ReRead_Ch; data clear.
    // The opening form's bar counts the addresses judged. An address probed
    // while the device was closed is not judged: the scan stops there with
    // the communication error shown and returns false, and the next call
    // goes on from that address. True once every address is judged.
    bool Setdata_read();
    void ReadPara_setflg();
    // The data clear, after the operator's Yes: its clear commands (at a
    // 500 ms time-out) and its rescan (at the operator's time-out) run from
    // the link's ticks, one controller a tick, so the window stays live. A
    // clear command that finds the device closed waits for it, as the
    // rescan does; the window is refreshed after every step.
    void mnuClear_Click();

    // Writes.
    void OneData_write();
    void AllData_write();
    void SelectData_write();
    qint16 OptionChk(const QString& code) const;

    // Start-up state, step 5: resume logging when it ran at the last exit.
    void resumeLogging();

    // Communication-condition dialog OK: stores port, speed and time-out choice.
    void commDialogOk(const QString& port, const QString& speed, int timeoutChoice);

    // The channel's settings shown may not be the controller's (a write
    // without its read-back, a chain link not taken): it is re-read at its
    // next answer.
    bool reReadWanted(int ch) const { return reReadWanted_.at(std::size_t(ch)); }
    // Re-reads of a channel that left items unanswered on an open line. A
    // controller that keeps doing so gets kReReadTries of them for each
    // reason its settings were to be read again.
    static constexpr int kReReadTries = 3;

    // Program folder, for the automatic logging file name.
    void setProgramFolder(const QString& folder) { programFolder_ = folder; }

private:
    // The tick's work, under the re-entrancy guard.
    void step();
    // One transaction to channel ch; NoReply_flg := false once it returns.
    QString transact(int ch, const QString& cmd, const QString& item, const QString& data, qint16 mode);
    // Acts on a reply by its class; on acknowledge stores item (when >= 0)
    // before the panel says "OK". keyCheck: a NAK with error "5" shows the
    // key-operation message instead of a history entry.
    ReplyClass judge(const QString& reply, int ch, int storeItem, bool keyCheck);
    // Reads the channel's settings; false when a link went without a reply.
    bool bulkRead(int ch);
    // Probes one address and reads a present controller; false when the
    // device was closed on the way, so the address is to be probed again.
    bool scanChannel(int ch);
    // Scans at most `addresses` addresses from where the scan stands.
    enum class ScanStep { Done, Going, DeviceClosed };
    ScanStep scanAddresses(int addresses);
    // One step of a data clear: one clear command, or one address of its rescan.
    void dataClearStep();
    // The clear command to channel ch (clearNext_), at its own time-out; the
    // data clear moves on to the next channel only once it went out.
    void sendClearCommand(int ch);
    // Logging boxes after a scan: an absent channel's box is shown disabled
    // and clear, a present one's as the operator chose it.
    void showLogBoxes();
    bool anyPresent() const;
    // The last transaction found the device closed: nothing went out, so a
    // missing reply says nothing of the controller.
    bool deviceWasClosed() const;
    // A step of a scan or clear found the device closed: the panel and the
    // communication error say so while it waits for the device.
    void showDeviceWait(int ch);
    // The channel's settings are to be read again at its next answer: a new
    // reason, so it gets its full count of tries.
    void wantReRead(int ch);
    ReplyClass sendChainLink(int ch, int k);
    // A chain ends: a link the controller did not take (no reply, a NAK, a
    // damaged reply) leaves the channel to be re-read at its next answer.
    void chainDone(int ch, bool allTaken);
    // Carries out a single write kept aside around a chain; its channel, or
    // -1 when none is pending.
    int runKeptWrite(DeferredWrite& kept);

    QVX720_INC& s_;
    QVX720Com& com_;
    SettingsStore& store_;
    const StringTable& strings_;
    LinkView& view_;
    HistorySink& history_;
    QString programFolder_;
    bool inTick_ = false;
    // When the retry state last ran and when a link check last opened the
    // device (the object's clock).
    static constexpr qint64 kLongAgo = std::numeric_limits<qint64>::min() / 2;
    qint64 lastRetryTick_ = kLongAgo;
    qint64 lastLinkCheck_ = kLongAgo;
    // Per channel: the last status poll was acknowledged.
    std::array<bool, kChannels> statusAcked_{};
    std::array<bool, kChannels> reReadWanted_{};
    // Re-reads in a row, for the same reason, that left items unanswered.
    std::array<int, kChannels> reReadTries_{};
    // A second re-read asked for while one was queued (single writes kept
    // before and after a chain, on two channels).
    int nextReRead_ = -1;
    // The scan's next address; a data clear's scan that waits for the device
    // goes on from the monitoring ticks.
    int scanNext_ = 0;
    // Transactions that found the device closed.
    quint64 deviceClosedMisses_ = 0;
    // The data clear: where it stands and the next channel of its clear
    // commands.
    enum class ClearPhase { None, Commands, Rescan };
    ClearPhase clear_ = ClearPhase::None;
    int clearNext_ = 0;
    // When a tick last found nothing to poll (the object's clock).
    qint64 lastIdleTick_ = kLongAgo;
    // When the last tick returned (the object's clock).
    qint64 lastTickEnd_ = kLongAgo;
};

}  // namespace qvx
