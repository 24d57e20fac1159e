// The instrument link: link set-up, the link state machine, the poll, the
// start-up scan, re-reads, writes and data clear. The main window owns one
// and its handlers (Timer4_Timer, Monitor_read, mnuClear_Click ...) call in.
// link.cpp holds the set-up, the tick and the transaction; link_poll.cpp,
// link_scan.cpp and link_writes.cpp the rest, each by its concern.
#pragma once

#include <QString>
#include <array>
#include <deque>
#include <limits>
#include <vector>

#include "line_cursor.h"
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
    // has nothing to send and ticks once per time-out. After a tick whose
    // transaction waited out its time-out (a silent controller) it is at
    // least stepGapMs() from the tick's end; after any other, a fortieth of
    // what the tick took, at most that.
    qint64 msUntilNextTick() const;
    // The pause after a step that waited out a reply time-out of timeOutMs.
    // The step held the window frozen meanwhile; in the pause the run loop
    // takes the input that came and paints its answer. A box opened or
    // closed then needs the window manager's part (a map, an expose) before
    // it shows, which 50 ms covers; whatever still comes late waits for one
    // more step, which at a short time-out is soon, so the pause shrinks
    // with the time-out and costs a silent controller about a fortieth.
    static int stepGapMs(int timeOutMs);
    // A data clear is under way (its clear commands or its rescan): other
    // line work waits for it or is refused.
    bool dataClearRunning() const { return clear_ != ClearPhase::None; }
    // Line work of several transactions to one controller is under way (the
    // read of a scanned address, a re-read, a chain, a single write): each
    // tick sends one of its frames until it ends.
    bool lineWorkRunning() const { return work_ != Work::None; }

    // The poll: at most one transaction.
    void Monitor_read();
    // Stores the value of an acknowledged reply for item of channel ch.
    void ReadDataSet(const QString& reply, int ch, int item);
    // Re-read trigger after a status word or auto-tuning flag poll: tests the
    // held status word (while the channel's last status poll was
    // acknowledged) and the auto-tuning flag.
    void statecomchk(int ch);

    // Start-up scan of all 95 addresses, whole (tests and benchmarks; the
    // state machine steps it one transaction a tick). The opening form's bar
    // counts the addresses judged. A frame that found the device closed is
    // not judged: the scan stops there with the communication error shown
    // and returns false, and the next call goes on with that frame. True
    // once every address is judged.
    bool Setdata_read();
    // One step of the re-read at the head of the queue (ReRead_Ch in the
    // slot); it leaves the queue when it ends. True once it has ended, or
    // at once when no re-read is at the head.
    bool ReadPara_setflg();
    // The data clear, after the operator's Yes: its clear commands (at a
    // 500 ms time-out) and its rescan (at the operator's time-out) run from
    // the link's ticks, one frame a tick, so the window stays live. A
    // clear command that finds the device closed waits for it, as the
    // rescan does; the window is refreshed after every step.
    void mnuClear_Click();

    // Writes, one transaction a call; true once the write has ended (at
    // once when the head of the queue is no such write). Each takes its
    // request, with the values it sends, from the head of the queue and
    // leaves the queue when it ends. A controller that misses two
    // replies in a row, or a device that is gone, cuts a chain off: it
    // counts as not taken, and the channel is read back at its next answer.
    bool OneData_write();
    bool AllData_write();
    bool SelectData_write();
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

    // The line checks made so far and the line time they took.
    struct LineCheckCount {
        quint64 checks = 0;
        qint64 ms = 0;
    };
    LineCheckCount lineChecks() const { return checkCount_; }

    // Program folder, for the automatic logging file name.
    void setProgramFolder(const QString& folder) { programFolder_ = folder; }

private:
    // The tick's work, under the re-entrancy guard.
    void step();
    // One transaction to channel ch; NoReply_flg := false once it returns.
    QString transact(int ch, const QString& cmd, const QString& item, const QString& data, qint16 mode);
    // ---- whether the line answers
    // A frame went out and got no reply: the controller is silent, or the
    // line. A check (a PV poll of a controller that has answered) tells
    // which; its answer is had at the next step, so a miss costs one
    // answered transaction more, and a silent line no more than a time-out a
    // step.
    enum class Heard { Yes, No, DeviceClosed };
    // The controller to ask: while the line answers, the one that answered
    // last; while it is silent, each that has answered in turn. -1: none but
    // except (or those probed without a reply and not yet judged); the
    // controller a scan reads is asked itself when nobody else can be.
    int checkTarget(int except) const;
    Heard checkLine(int except);
    // A miss of the poll or of line work outside a scan: asks at the next
    // step. With nobody else to ask the line counts as silent at once.
    void doubtMiss(int ch);
    // The check of such a miss: the controller is silent itself (it shows no
    // measured value until it answers), or the line is.
    void settleDoubt();
    // A controller that misses while the line answers: its measured values
    // show nothing until its poll reads them again; its settings stay.
    void silentItself(int ch);
    // A miss taken as the controller's own: it is asked in no check until it
    // answers again.
    void missCounted(int ch);
    // The records wait while a miss waits for its check.
    void noteDeciding();
    // A miss that waits for its check shows nothing yet.
    void undecidedMiss();
    // How long unanswered probes run before the line is checked: a check
    // costs at most a fortieth of the wait, and comes after one time-out at
    // the least.
    qint64 checkSpanMs() const;
    // Acts on a reply by its class; on acknowledge stores item (when >= 0)
    // before the panel says "OK". keyCheck: a NAK with error "5" shows the
    // key-operation message instead of a history entry.
    ReplyClass judge(const QString& reply, int ch, int storeItem, bool keyCheck);
    // One step of the scan from where it stands: the probe of the next
    // address, or one frame of a present controller's read.
    enum class ScanStep { Done, Going, DeviceClosed };
    enum class CursorStep { Going, Ended, Cut, DeviceClosed };
    ScanStep scanStep();
    // The scan's check after a run of unanswered probes, or after a miss in
    // a controller's read: the line answered (the probes found empty
    // addresses, the miss was the controller's) or was silent (they are
    // probed again, the frame sent again, once it answers).
    ScanStep settleScanDoubt();
    // What a frame of a controller's read came to, for the scan.
    ScanStep afterScanFrame(int ch, CursorStep step);
    // The read of the scanned address ended (cut: the controller was left
    // after two missing replies); the scan moves to the next address.
    void finishScanAddress(int ch, bool cut);
    // walked: the address judged was the walk's (not one probed again), so
    // the walk moves on.
    ScanStep nextScanAddress(bool walked);
    // One step of a data clear: one clear command, or one step of its rescan.
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
    // A chain ends: a link the controller did not take (no reply, a NAK, a
    // damaged reply) leaves the channel to be re-read at its next answer.
    // The chain leaves the queue, and the transfer's panel empties with the
    // last chain.
    void chainDone(int ch, bool allTaken);
    // One step of the chain at the head of the queue.
    bool chainStep();
    // The head of the queue, started, when it is of the kind asked for and
    // not under way yet; else null, with the slot showing what waits.
    const LineRequest* takeHead(bool (*kind)(qint16 state));
    // Starts a single write taken from the queue; false when it ended at once
    // (an absent channel).
    bool startSingle(const LineRequest& request);
    // A write of item of channel ch is still to go out: what a read brings
    // for it is not stored over the operator's value.
    bool writePending(int ch, int item) const;
    bool chainCovers(qint16 state, int item) const;
    void singleDone();
    // A re-read of the channel, queued behind what was asked before it.
    void askReRead(int ch);

    // Line work under way, stepped by the cursor.
    enum class Work { None, Scan, ReRead, Chain, Single };
    void startWork(Work work, int ch, std::vector<CursorFrame> frames);
    void endWork();
    // Sends the cursor's next frame and acts on its reply.
    CursorStep cursorStep();
    void skipUnchosenLinks();
    // The frames of a controller's read after its probe: the words and the
    // scan's commands; its settings follow the "q" frame.
    static std::vector<CursorFrame> scanFrames();
    std::vector<CursorFrame> settingFrames(int ch) const;

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
    // A controller whose read was left before its words were read: the
    // rest of its read starts with them.
    std::array<bool, kChannels> wordsUnread_{};
    Work work_ = Work::None;
    LineCursor cursor_;
    LineRequest single_;
    // The values the running chain sends, by item index.
    std::vector<qint16> chainValues_;
    // The scan's next address; a data clear's scan that waits for the device
    // goes on from the monitoring ticks. kChannels: the walk is over, the
    // rounds of the addresses probed while the line was silent go on.
    int scanNext_ = 0;
    std::vector<int> damagedProbes_;  // probed again after the walk
    bool readFromWalk_ = true;        // the read under way is of the walk's address
    std::array<bool, kChannels> probeDamaged_{};  // answered the probe with a damaged reply
    // Probed without a reply since the line last answered, and how long
    // that took: empty addresses once a check is answered.
    std::vector<int> unsure_;
    qint64 unsureMs_ = 0;
    // Probed while the line was silent: probed again, first, once it answers.
    std::deque<int> reprobe_;
    // What waits for a check at the next step: a miss of the poll or of
    // line work (doubtCh_), and in a scan, a run of unanswered probes or a
    // miss in a controller's read (the cursor as it was before that frame,
    // and what the miss came to if it was the controller's own).
    enum class ScanDoubt { None, Probes, Read };
    int doubtCh_ = -1;
    ScanDoubt scanDoubt_ = ScanDoubt::None;
    LineCursor doubtCursor_;
    CursorStep doubtStep_ = CursorStep::Going;
    // Who answered: last, ever since the start (the link check's Ch01
    // included); the last check's controller.
    int lastAnswerer_ = -1;
    std::array<bool, kChannels> answered_{};
    int lastCheckTarget_ = -1;
    // What the last transaction took, and the last answered one.
    qint64 lastTransactMs_ = 0;
    qint64 answeredMs_ = 0;
    LineCheckCount checkCount_;
    // The data clear: where it stands and the next channel of its clear
    // commands.
    enum class ClearPhase { None, Commands, Rescan };
    ClearPhase clear_ = ClearPhase::None;
    int clearNext_ = 0;
    // When a tick last found nothing to poll (the object's clock).
    qint64 lastIdleTick_ = kLongAgo;
    // When the last tick returned and how long it took (the object's
    // clock); whether a transaction in it waited out its time-out.
    qint64 lastTickEnd_ = kLongAgo;
    qint64 lastTickMs_ = 0;
    bool tickWaited_ = false;
};

}  // namespace qvx
