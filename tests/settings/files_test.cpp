// The setting-value file windows, the channel-name window and the
// alarm-colour window, and the main window's menu entries that open them.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include "maindisp.h"
#include "setting_files.h"
#include "settings_store.h"
#include "subdisp_alarm.h"
#include "subdisp_allsaveload.h"
#include "subdisp_chname.h"
#include "subdisp_saveload.h"
#include "test_support.h"
#include "transfer.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace qvx {
namespace {

using Answer = UiSeam::Answer;

const QString kKanji = QString::fromUtf8("\xE6\xB8\xA9");  // one ideograph, two bytes in a double-byte code page

ChannelBlock sequence(int base) {
    ChannelBlock b{};
    for (int i = 0; i < kFileItems; ++i) b[std::size_t(i)] = qint16(base + i * 3);
    return b;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        folder = dir.path();
        QDir(folder).mkpath(QStringLiteral("Setdata"));
        state = QVX720_INC();
        ui = test::ScriptedUi();
        panel4.clear();
        chnameReads = 0;
        fillParaAddr(state);
        state.Write_Request.Com_State = Com_Monitor;
        for (int ch = 0; ch < kChannels; ++ch) {
            state.Monitor_Data.Connect_Code(ch) = 0x21;
            storeChannelBlock(state, ch, sequence(ch * 10));
        }
    }

    QString setdata(const QString& name) const { return QDir(folder).filePath(QStringLiteral("Setdata/") + name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile f(setdata(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QStringList texts() const {
        QStringList out;
        for (const auto& b : ui.boxes) out << b.text;
        return out;
    }

    // The channels of the chains queued, in order.
    std::vector<int> queuedChains() const {
        std::vector<int> out;
        for (const LineRequest& r : state.Write_Request.Line_Queue.requests())
            if (r.isChain()) out.push_back(r.ch);
        return out;
    }

    FileWindowHooks hooks() {
        FileWindowHooks h;
        h.programFolder = folder;
        h.setStatusPanel4 = [this](const QString& t) { panel4.push_back(t); };
        h.chnameRead = [this] { ++chnameReads; };
        return h;
    }

    bool appReady = (test::app(), true);  // before the members that need it
    QTemporaryDir dir;
    QString folder;
    StringTable strings = test::numberedTable();
    QVX720_INC state;
    test::ScriptedUi ui;
    SettingsStore store{dir.filePath(QStringLiteral("store.ini"))};
    std::vector<QString> panel4;
    int chnameReads = 0;
};

// ---- one channel ---------------------------------------------------------------------

class SaveLoadTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        d = std::make_unique<SubDisp_SaveLoad>(state, strings, ui, hooks());
        QStringList names;
        for (int ch = 0; ch < kChannels; ++ch) names << channelName(store, ch);
        d->setChannelNames(names);
    }
    void select(int left, int right) {
        d->SaveLoad_CHname[0]->setCurrentIndex(left);
        d->SaveLoad_CHname[1]->setCurrentIndex(right);
    }
    std::unique_ptr<SubDisp_SaveLoad> d;
};

TEST_F(SaveLoadTest, CopyAndItsRefusals) {
    struct Case {
        const char* name;
        int src, dst;
        bool srcPresent, dstPresent, dstTuning;
        const char* box;  // nullptr: none
    };
    const Case cases[] = {
        {"copied", 2, 7, true, true, false, nullptr},
        {"onto itself", 7, 7, true, true, false, nullptr},
        {"no source controller", 2, 7, false, true, false, "T501"},
        {"no target controller", 2, 7, true, false, false, "T502"},
        {"target auto-tuning", 2, 7, true, true, true, "T503"},
        {"no selection", -1, 7, true, true, false, nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        ui.boxes.clear();
        if (c.src >= 0) state.Monitor_Data.Connect_Code(c.src) = c.srcPresent ? 0x21 : 0;
        if (c.dst != c.src) state.Monitor_Data.Connect_Code(c.dst) = c.dstPresent ? 0x21 : 0;
        state.Monitor_Data.StatusData(c.dst) = c.dstTuning ? qint16(0x0800) : qint16(0);
        const auto before = state.ParaData;
        select(c.src, c.dst);
        d->Command1[0]->click();
        const bool allowed = c.box == nullptr && c.src >= 0;
        if (c.box) {
            EXPECT_EQ(texts(), QStringList{QString::fromLatin1(c.box)}) << c.name;
            EXPECT_EQ(ui.boxes[0].title, QString()) << c.name;
        } else {
            EXPECT_TRUE(ui.boxes.empty()) << c.name;
        }
        if (allowed) {
            EXPECT_EQ(channelBlock(state, c.dst), channelBlock(state, c.src)) << c.name;
            EXPECT_EQ(state.ParaData(c.dst, 9), before(c.dst, 9)) << c.name;
            EXPECT_EQ(state.Write_Request.Com_State, Com_WriteAll) << c.name;
            EXPECT_EQ(state.Write_Request.Com_Ch, c.dst) << c.name;
            EXPECT_EQ(panel4, std::vector<QString>{QStringLiteral("T453")}) << c.name;
        } else {
            EXPECT_TRUE(state.ParaData == before) << c.name;
            EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor) << c.name;
            EXPECT_TRUE(panel4.empty()) << c.name;
        }
    }
}

TEST_F(SaveLoadTest, CopyQueuesBehindAPendingTransferWithoutWaiting) {
    queueChain(state, 50, Com_WriteAll);
    for (int k = 10; k <= 63; ++k) state.ParaData(2, k) = qint16(k + 1000);
    select(2, 7);
    d->Command1[0]->click();
    EXPECT_EQ(queuedChains(), (std::vector<int>{50, 7}));
    EXPECT_EQ(state.Write_Request.Com_Ch, 50);  // the transfer asked first goes first
    EXPECT_EQ(channelBlock(state, 7), channelBlock(state, 2));
    state.ParaData(7, 10) = 5;  // a read that lands meanwhile does not change what goes out
    EXPECT_EQ(state.Write_Request.Line_Queue.requests().back().values.at(10), 1010);
}

TEST_F(SaveLoadTest, Save) {
    struct Case {
        const char* name;
        int ch;
        bool tuning;
        QString chosen;      // empty: cancelled
        QByteArray existing;  // empty: no such file
        std::deque<Answer> answers;
        QStringList boxes;
        bool dialogShown;
        bool written;
    };
    const QString a = setdata(QStringLiteral("oven.dat"));
    const QString gone = setdata(QStringLiteral("gone/oven.dat"));
    const QString whyNot = QStringLiteral("T940 %1 No such file or directory").arg(setdata(QStringLiteral("gone")));
    const Case cases[] = {
        {"new file", 4, false, a, {}, {}, {}, true, true},
        {"folder gone: says why", 4, false, gone, {}, {}, {whyNot}, true, false},
        {"no extension typed", 4, false, setdata(QStringLiteral("oven")), {}, {}, {}, true, true},
        {"overwrite: yes", 4, false, a, "old", {Answer::Yes}, {"T507"}, true, true},
        {"overwrite: no", 4, false, a, "old", {Answer::No}, {"T507", "T508"}, true, false},
        {"cancelled", 4, false, QString(), {}, {}, {}, true, false},
        {"auto-tuning", 4, true, a, {}, {}, {"T506"}, false, false},
        {"no selection", -1, false, a, {}, {}, {}, false, false},
        {"absent channel saves what the model holds", 4, false, a, {}, {}, {}, true, true},
    };
    for (const Case& c : cases) {
        SetUp();
        QFile::remove(a);
        if (!c.existing.isEmpty()) write(QStringLiteral("oven.dat"), c.existing);
        if (std::string(c.name).starts_with("absent")) state.Monitor_Data.Connect_Code(4) = 0;
        state.Monitor_Data.StatusData(4) = c.tuning ? qint16(0x0801) : qint16(1);
        ui.boxes.clear();
        ui.fileDialogs.clear();
        ui.answers = c.answers;
        ui.fileNames = {c.chosen};
        select(c.ch, 0);
        d->Command1[2]->click();
        EXPECT_EQ(texts(), c.boxes) << c.name;
        ASSERT_EQ(ui.fileDialogs.size(), c.dialogShown ? 1u : 0u) << c.name;
        if (c.dialogShown) {
            const UiSeam::FileDialogRequest& r = ui.fileDialogs[0];
            EXPECT_EQ(r.mode, UiSeam::FileDialogMode::Save) << c.name;
            EXPECT_EQ(QDir(r.initialFolder), QDir(QDir(folder).filePath(QStringLiteral("Setdata")))) << c.name;
            EXPECT_EQ(r.filter, QStringLiteral("*.dat(data file)|*.dat")) << c.name;
            EXPECT_EQ(r.defaultSuffix, QStringLiteral("dat")) << c.name;
        }
        const QByteArray expected = formatChannelFile(channelBlock(state, 4));
        if (c.written)
            EXPECT_EQ(fileBytes(a), expected) << c.name;
        else
            EXPECT_EQ(fileBytes(a), c.existing) << c.name;
        EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor) << c.name;
    }
    // The next save dialog starts at the name chosen last.
    ui.fileNames = {QString()};
    d->Command1[2]->click();
    ASSERT_EQ(ui.fileDialogs.size(), 2u);
    EXPECT_EQ(ui.fileDialogs[1].fileName, a);
}

TEST_F(SaveLoadTest, LoadStoresOnlyAWholeValidFile) {
    const QByteArray valid = formatChannelFile(sequence(-50));
    EXPECT_LE(valid.size(), 300);
    ChannelBlock wideValues{};
    for (int i = 0; i < kFileItems; ++i) wideValues[std::size_t(i)] = i % 2 ? qint16(1000 + i) : qint16(-200);
    const QByteArray wide = formatChannelFile(wideValues);
    EXPECT_GT(wide.size(), 300);
    QByteArray page = valid;
    page.replace(0, 9, "\"PAGE\"");
    const QString missing = QStringLiteral("T941 %1 No such file or directory").arg(setdata(QStringLiteral("in.dat")));
    struct Case {
        const char* name;
        QByteArray bytes;  // empty: the file is missing
        int ch;
        std::deque<Answer> answers;
        QStringList boxes;
        bool loaded;
        ChannelBlock values = sequence(-50);  // when loaded
    };
    const Case cases[] = {
        {"valid", valid, 12, {Answer::Yes}, {"T509"}, true},
        {"any first field", page, 12, {Answer::Yes}, {"T509"}, true},
        {"no line end after the last value", valid.chopped(2), 12, {Answer::Yes}, {"T509"}, true},
        {"four-digit values, longer than 300 bytes", wide, 12, {Answer::Yes}, {"T509"}, true, wideValues},
        {"no to the confirmation", valid, 12, {Answer::No}, {"T509"}, false},
        {"an all-channels file", formatAllChannelsFile(QVX720_INC{}), 12, {Answer::Yes}, {"T509", "T510"}, false},
        {"ends early", valid.left(120), 12, {Answer::Yes}, {"T509", "T510"}, false},
        {"not a number", QByteArray(valid).replace("\r\n-47\r\n", "\r\n-4x7\r\n"), 12, {Answer::Yes},
         {"T509", "T510"}, false},
        {"missing file: says why", QByteArray(), 12, {Answer::Yes}, {"T509", missing}, false},
        {"no selection", valid, -1, {Answer::Yes}, {"T509"}, false},
    };
    for (const Case& c : cases) {
        SetUp();
        const QString path = setdata(QStringLiteral("in.dat"));
        QFile::remove(path);
        if (!c.bytes.isEmpty()) write(QStringLiteral("in.dat"), c.bytes);
        ui.boxes.clear();
        ui.answers = c.answers;
        ui.fileNames = {path};
        select(c.ch, 0);
        const auto before = state.ParaData;
        d->Command1[3]->click();
        EXPECT_EQ(texts(), c.boxes) << c.name;
        if (c.loaded) {
            EXPECT_EQ(channelBlock(state, c.ch), c.values) << c.name;
            EXPECT_EQ(state.Write_Request.Com_State, Com_WriteAll) << c.name;
            EXPECT_EQ(state.Write_Request.Com_Ch, c.ch) << c.name;
            EXPECT_EQ(panel4, std::vector<QString>{QStringLiteral("T453")}) << c.name;
        } else {
            EXPECT_TRUE(state.ParaData == before) << c.name;
            EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor) << c.name;
            EXPECT_TRUE(panel4.empty()) << c.name;
        }
    }
}

TEST_F(SaveLoadTest, CloseRefreshesNamesAndHides) {
    d->show();
    d->Command1[1]->click();
    EXPECT_EQ(chnameReads, 1);
    EXPECT_FALSE(d->isVisible());
}

// ---- all channels --------------------------------------------------------------------

class AllSaveLoadTest : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        d = std::make_unique<SubDisp_AllSaveLoad>(state, strings, ui, hooks());
    }
    bool buttonsEnabled() const {
        for (QPushButton* b : d->Command1)
            if (!b->isEnabled()) return false;
        return true;
    }
    std::unique_ptr<SubDisp_AllSaveLoad> d;
};

TEST_F(AllSaveLoadTest, Save) {
    const QString path = setdata(QStringLiteral("all.dat"));
    ui.fileNames = {path};
    d->Command1[0]->click();
    EXPECT_EQ(fileBytes(path), formatAllChannelsFile(state));
    EXPECT_TRUE(ui.boxes.empty());

    ui.answers = {Answer::No};
    ui.fileNames = {path};
    storeChannelBlock(state, 3, sequence(1));
    d->Command1[0]->click();
    EXPECT_EQ(texts(), (QStringList{"T507", "T508"}));
    EXPECT_NE(fileBytes(path), formatAllChannelsFile(state));

    ui.boxes.clear();
    state.Monitor_Data.StatusData(94) = 0x0800;
    d->Command1[0]->click();
    EXPECT_EQ(texts(), QStringList{"T506"});
    EXPECT_EQ(ui.fileDialogs.size(), 2u);  // refused before the file dialog
}

TEST_F(AllSaveLoadTest, LoadRefusalsChangeNothing) {
    QVX720_INC other;
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(other, ch, sequence(-ch));
    const QByteArray valid = formatAllChannelsFile(other);
    ChannelBlock wideValues{};
    wideValues.fill(-20000);
    struct Case {
        const char* name;
        QByteArray bytes;  // empty: missing
        bool tuning;
        std::deque<Answer> answers;
        QString chosen;
        QStringList boxes;
        size_t dialogs;
    };
    const QString path = setdata(QStringLiteral("all.dat"));
    const QString missing = QStringLiteral("T941 %1 No such file or directory").arg(path);
    const Case cases[] = {
        {"no to the confirmation", valid, false, {Answer::No}, path, {"T536"}, 0},
        {"dialog cancelled", valid, false, {Answer::Yes}, QString(), {"T536"}, 1},
        {"a one-channel file", formatChannelFile(sequence(0)), false, {Answer::Yes}, path, {"T536", "T532"}, 1},
        {"a long one-channel file", formatChannelFile(wideValues), false, {Answer::Yes}, path, {"T536", "T532"}, 1},
        {"a long one-channel file while auto-tuning", formatChannelFile(wideValues), true, {Answer::Yes}, path,
         {"T536", "T532"}, 1},
        {"auto-tuning", valid, true, {Answer::Yes}, path, {"T536", "T533"}, 1},
        {"94 blocks", valid.left(valid.lastIndexOf("\"QVX-720\"")), false, {Answer::Yes}, path,
         {"T536", "T532"}, 1},
        {"bad field in the last block", QByteArray(valid).replace(valid.size() - 6, 1, "z"), false, {Answer::Yes},
         path, {"T536", "T532"}, 1},
        {"missing file: says why", QByteArray(), false, {Answer::Yes}, path, {"T536", missing}, 1},
    };
    for (const Case& c : cases) {
        SetUp();
        QFile::remove(path);
        if (!c.bytes.isEmpty()) write(QStringLiteral("all.dat"), c.bytes);
        state.Monitor_Data.StatusData(50) = c.tuning ? qint16(0x0800) : qint16(0);
        ui.boxes.clear();
        ui.fileDialogs.clear();
        ui.answers = c.answers;
        ui.fileNames = {c.chosen};
        const auto before = state.ParaData;
        d->Command1[1]->click();
        EXPECT_EQ(texts(), c.boxes) << c.name;
        EXPECT_EQ(ui.fileDialogs.size(), c.dialogs) << c.name;
        EXPECT_TRUE(state.ParaData == before) << c.name;
        EXPECT_EQ(state.Write_Request.Com_State, Com_Monitor) << c.name;
        EXPECT_TRUE(state.Write_Request.Line_Queue.empty()) << c.name;
        EXPECT_TRUE(buttonsEnabled()) << c.name;
        EXPECT_FALSE(d->loading()) << c.name;
        EXPECT_TRUE(d->Label1[1]->isHidden()) << c.name;
    }
}

TEST_F(AllSaveLoadTest, LoadQueuesEveryChannelAtOnce) {
    QVX720_INC other;
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(other, ch, sequence(-ch * 7));
    state.NoConnect(3) = 1;  // absent: nothing to send it
    const QString path = write(QStringLiteral("all.dat"), formatAllChannelsFile(other) + "trailing\r\n");
    ui.answers = {Answer::Yes};
    ui.fileNames = {path};
    d->show();
    d->Command1[1]->click();
    EXPECT_TRUE(d->isVisible());
    for (int ch = 0; ch < kChannels; ++ch) EXPECT_EQ(channelBlock(state, ch), channelBlock(other, ch)) << ch;
    // Every present channel's chain, in channel order, each with the file's values.
    const auto& q = state.Write_Request.Line_Queue.requests();
    ASSERT_EQ(q.size(), 94u);
    for (std::size_t i = 0; i < q.size(); ++i) {
        const int ch = int(i) + (i >= 3 ? 1 : 0);
        EXPECT_EQ(q[i].ch, ch);
        EXPECT_EQ(q[i].state, Com_WriteAll);
        EXPECT_EQ(q[i].values.at(10), channelBlock(other, ch)[0]) << ch;
    }
    EXPECT_EQ(panel4, std::vector<QString>{QStringLiteral("T453")});
    EXPECT_TRUE(d->Label1[1]->isHidden());
    EXPECT_TRUE(buttonsEnabled());
    EXPECT_FALSE(d->loading());
    EXPECT_TRUE(ui.boxes.size() == 1 && ui.boxes[0].text == QStringLiteral("T536"));
}

TEST_F(AllSaveLoadTest, CloseRefreshesNames) {
    d->show();
    d->Command1[2]->click();
    EXPECT_EQ(chnameReads, 1);
    EXPECT_FALSE(d->isVisible());
}

// ---- channel names ---------------------------------------------------------------------

class ChnameTest : public FilesTest {
protected:
    std::unique_ptr<SubDisp_Chname> make(CodePage cp) {
        return std::make_unique<SubDisp_Chname>(strings, ui, &store, [this] { ++chnameReads; }, cp);
    }
};

TEST_F(ChnameTest, FilledFromTheStore) {
    store.save(chnameKey(4), QStringLiteral("Oven A"));
    auto d = make(CodePage::SingleByte);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("T248"));
    EXPECT_EQ(d->Label1[0]->text(), QStringLiteral("No.00"));
    EXPECT_EQ(d->Label1[94]->text(), QStringLiteral("No.94"));
    EXPECT_EQ(d->Label_channel[0]->text(), QStringLiteral("T249"));
    EXPECT_EQ(d->Label_channel[4]->text(), QStringLiteral("T250"));
    d->fillFromStore();
    EXPECT_EQ(d->ChName[4]->text(), QStringLiteral("Oven A"));
    EXPECT_EQ(d->ChName[0]->text(), QStringLiteral("Ch01"));
    EXPECT_EQ(d->ChName[94]->text(), QStringLiteral("Ch95"));
}

TEST_F(ChnameTest, NamesOver12BytesAreRefusedWhileTyping) {
    store.save(chnameKey(4), QStringLiteral("Oven A"));
    struct Case {
        const char* name;
        CodePage cp;
        QString typed;  // typed one character at a time after clearing the box
        QString shown;
    };
    const Case cases[] = {
        {"6 ideographs", CodePage::DoubleByte, kKanji.repeated(6), kKanji.repeated(6)},
        {"7th ideograph", CodePage::DoubleByte, kKanji.repeated(7), QStringLiteral("Oven A")},
        {"12 ASCII and a double-byte one", CodePage::DoubleByte, QStringLiteral("ABCDEFGHIJK") + kKanji,
         QStringLiteral("Oven A")},
        {"11 ASCII and a double-byte one, single-byte system", CodePage::SingleByte,
         QStringLiteral("ABCDEFGHIJK") + kKanji, QStringLiteral("ABCDEFGHIJK") + kKanji},
        {"12 ASCII", CodePage::DoubleByte, QStringLiteral("ABCDEFGHIJKL"), QStringLiteral("ABCDEFGHIJKL")},
        {"13th character is not taken", CodePage::SingleByte, QStringLiteral("ABCDEFGHIJKLM"),
         QStringLiteral("ABCDEFGHIJKL")},
    };
    for (const Case& c : cases) {
        auto d = make(c.cp);
        d->fillFromStore();
        QLineEdit* box = d->ChName[4];
        box->clear();
        for (QChar ch : c.typed) box->insert(QString(ch));
        EXPECT_EQ(box->text(), c.shown) << c.name;
    }
}

TEST_F(ChnameTest, AStoredNameOverTheLimitIsCutNotLooped) {
    store.save(chnameKey(9), kKanji.repeated(10));
    auto d = make(CodePage::DoubleByte);
    d->fillFromStore();
    EXPECT_EQ(d->ChName[9]->text(), kKanji.repeated(6));
    d->ChName[9]->insert(QStringLiteral("x"));
    EXPECT_EQ(d->ChName[9]->text(), kKanji.repeated(6));
}

TEST_F(ChnameTest, OkStoresAll95NamesThenRefreshes) {
    auto d = make(CodePage::SingleByte);
    d->fillFromStore();
    d->show();
    d->ChName[0]->setText(QStringLiteral("Furnace"));
    d->ChName[1]->clear();
    d->ChName[2]->setText(QStringLiteral(" pad "));
    ui.answers = {Answer::Cancel};  // the answer is not used
    int readsAtBox = -1;
    ui.duringBox = [&](const QString&) { readsAtBox = chnameReads; };
    d->Command1->click();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, QStringLiteral("T251"));
    EXPECT_EQ(ui.boxes[0].title, QString());
    EXPECT_EQ(readsAtBox, 0);
    EXPECT_EQ(chnameReads, 1);
    EXPECT_FALSE(d->isVisible());
    SettingsStore reread(store.path());
    EXPECT_EQ(reread.read(chnameKey(0), QString()), QStringLiteral("Furnace"));
    EXPECT_TRUE(reread.contains(chnameKey(1)));
    EXPECT_EQ(reread.read(chnameKey(1), QStringLiteral("x")), QString());
    EXPECT_EQ(reread.read(chnameKey(2), QString()), QStringLiteral(" pad "));
    for (int ch = 3; ch < kChannels; ++ch) EXPECT_EQ(reread.read(chnameKey(ch), QString()), defaultChannelName(ch));
}

TEST_F(ChnameTest, CancelAndFrameCloseStoreNothing) {
    auto d = make(CodePage::SingleByte);
    d->fillFromStore();
    d->show();
    d->ChName[0]->setText(QStringLiteral("Furnace"));
    d->Command2->click();
    EXPECT_EQ(chnameReads, 1);
    EXPECT_FALSE(d->isVisible());
    d->show();
    d->close();
    EXPECT_EQ(chnameReads, 1);
    EXPECT_FALSE(store.contains(chnameKey(0)));
    EXPECT_TRUE(ui.boxes.empty());
}

// ---- alarm colours ----------------------------------------------------------------------

class AlarmTest : public FilesTest {
protected:
    QPointer<SubDisp_Alarm> make() { return new SubDisp_Alarm(state, strings, ui, &store); }
    std::vector<qint32> swatches(const SubDisp_Alarm& d) const {
        std::vector<qint32> out;
        for (int i = 0; i < 5; ++i) out.push_back(d.swatchColor(i));
        return out;
    }
};

TEST_F(AlarmTest, LoadTakesTheStoredColours) {
    store.save(QStringLiteral("Alm1color"), QStringLiteral("65280"));
    store.save(QStringLiteral("Alm2color"), QStringLiteral("green"));
    store.save(QStringLiteral("Alm_other"), QStringLiteral("16711680"));
    QPointer<SubDisp_Alarm> d = make();
    EXPECT_EQ(swatches(*d), (std::vector<qint32>{65280, 255, 255, 255, 16711680}));
    EXPECT_EQ(alarmColorsOf(state.Alarm_Color), (AlarmColors{65280, 255, 255, 255, 16711680}));
    EXPECT_EQ(d->Lbl_alm[0]->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(d->Cmd_Alm[2]->text(), QStringLiteral("T53"));
    delete d;
}

TEST_F(AlarmTest, PicksStartFromTheColourInUse) {
    QPointer<SubDisp_Alarm> d = make();
    state.Alarm_Color.AlmColor1 = 0x112233;
    ui.colors = {0x00FF00, 0x0000FF, std::nullopt};
    d->Cmd_Alm[0]->click();
    d->Cmd_Alm[0]->click();
    d->Cmd_Alm[0]->click();  // cancelled: the swatch keeps the last pick
    EXPECT_EQ(ui.colorRequests, (std::vector<qint32>{0x112233, 0x112233, 0x112233}));
    EXPECT_EQ(d->swatchColor(0), 0x0000FF);
    EXPECT_EQ(state.Alarm_Color.AlmColor1, 0x112233);
    delete d;
}

TEST_F(AlarmTest, DefaultThenOkOrCancel) {
    store.save(QStringLiteral("Alm3color"), QStringLiteral("123"));
    struct Case {
        const char* name;
        Answer confirm;
        bool ok;
        AlarmColors inUse;
        const char* storedAlm3;
    };
    const Case cases[] = {
        {"default, OK", Answer::Ok, true, {255, 255, 255, 255, 255}, "255"},
        {"default, Cancel button", Answer::Ok, false, {255, 255, 123, 255, 255}, "123"},
        {"default refused, OK", Answer::Cancel, true, {255, 255, 123, 255, 255}, "123"},
    };
    for (const Case& c : cases) {
        store.save(QStringLiteral("Alm3color"), QStringLiteral("123"));
        ui.boxes.clear();
        ui.answers = {c.confirm};
        QPointer<SubDisp_Alarm> d = make();
        d->show();
        d->Cmd_Def->click();
        ASSERT_EQ(ui.boxes.size(), 1u) << c.name;
        EXPECT_EQ(ui.boxes[0].text, QStringLiteral("T45")) << c.name;
        EXPECT_EQ(ui.boxes[0].title, QStringLiteral("T40")) << c.name;
        EXPECT_EQ(ui.boxes[0].buttons, UiSeam::Buttons::OkCancel) << c.name;
        EXPECT_EQ(d->swatchColor(2), c.confirm == Answer::Ok ? 255 : 123) << c.name;
        EXPECT_EQ(store.read(QStringLiteral("Alm3color"), QString()), QStringLiteral("123")) << c.name;
        (c.ok ? d->Cmd_OK : d->Cmd_End)->click();
        flushDeletes();
        EXPECT_TRUE(d.isNull()) << c.name << ": unloaded";
        EXPECT_EQ(alarmColorsOf(state.Alarm_Color), c.inUse) << c.name;
        EXPECT_EQ(store.read(QStringLiteral("Alm3color"), QString()), QString::fromLatin1(c.storedAlm3)) << c.name;
        for (int i = 0; i < 5 && c.ok; ++i) EXPECT_TRUE(store.contains(alarmColorKey(i))) << c.name << i;
    }
}

TEST_F(AlarmTest, OkStoresFiveKeysAndPutsThemInUse) {
    QPointer<SubDisp_Alarm> d = make();
    ui.colors = {0x00FF00, 0xFF0000};
    d->Cmd_Alm[1]->click();
    d->Cmd_Alm[4]->click();
    EXPECT_EQ(alarmColorsOf(state.Alarm_Color), (AlarmColors{255, 255, 255, 255, 255}));
    d->Cmd_OK->click();
    flushDeletes();
    EXPECT_TRUE(d.isNull());
    EXPECT_EQ(alarmColorsOf(state.Alarm_Color), (AlarmColors{255, 0x00FF00, 255, 255, 0xFF0000}));
    SettingsStore reread(store.path());
    const char* expected[] = {"255", "65280", "255", "255", "16711680"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(reread.read(alarmColorKey(i), QString()), QString::fromLatin1(expected[i]));
}

// ---- the main window's menu entries ------------------------------------------------------

class MenuEntriesTest : public FilesTest {
protected:
    MainDisp& window() {
        w = std::make_unique<MainDisp>(state, strings, ui, folder);
        w->setSettingsStore(&store);
        w->Chname_Read();
        return *w;
    }
    std::unique_ptr<MainDisp> w;
};

TEST_F(MenuEntriesTest, ChannelNamesOkAndCancelRefreshEveryList) {
    MainDisp& m = window();
    m.mnuCHname->trigger();
    SubDisp_Chname* d = m.chnameDialog();
    ASSERT_TRUE(d->isVisible());
    EXPECT_EQ(d->ChName[5]->text(), QStringLiteral("Ch06"));
    d->ChName[5]->setText(QStringLiteral("Kiln"));
    m.saveLoadDialog()->SaveLoad_CHname[0]->setCurrentIndex(3);
    d->Command1->click();
    EXPECT_EQ(store.read(chnameKey(5), QString()), QStringLiteral("Kiln"));
    EXPECT_EQ(m.tb3_CHName->itemText(5), QStringLiteral("Kiln"));
    EXPECT_EQ(m.log_Check1[5]->text(), QStringLiteral("Kiln"));
    EXPECT_EQ(m.saveLoadDialog()->SaveLoad_CHname[1]->itemText(5), QStringLiteral("Kiln"));
    EXPECT_EQ(m.saveLoadDialog()->SaveLoad_CHname[0]->currentIndex(), -1);

    // Cancel stores nothing but refreshes all the same.
    store.save(chnameKey(6), QStringLiteral("Set by hand"));
    m.mnuCHname->trigger();
    EXPECT_EQ(d->ChName[6]->text(), QStringLiteral("Set by hand"));
    d->ChName[6]->setText(QStringLiteral("Not kept"));
    m.saveLoadDialog()->SaveLoad_CHname[0]->setCurrentIndex(3);
    d->Command2->click();
    EXPECT_EQ(store.read(chnameKey(6), QString()), QStringLiteral("Set by hand"));
    EXPECT_EQ(m.tb3_CHName->itemText(6), QStringLiteral("Set by hand"));
    EXPECT_EQ(m.saveLoadDialog()->SaveLoad_CHname[0]->currentIndex(), -1);
}

TEST_F(MenuEntriesTest, OneChannelWindowOpensOnChannel0) {
    MainDisp& m = window();
    store.save(chnameKey(0), QStringLiteral("First"));
    m.mnuSave_CH->trigger();
    SubDisp_SaveLoad* d = m.saveLoadDialog();
    EXPECT_TRUE(d->isVisible());
    for (QComboBox* list : d->SaveLoad_CHname) {
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(list->currentText(), QStringLiteral("First"));
    }
    // A load reaches the main window's status bar.
    const QString path = write(QStringLiteral("one.dat"), formatChannelFile(sequence(7)));
    ui.answers = {Answer::Yes};
    ui.fileNames = {path};
    d->Command1[3]->click();
    EXPECT_EQ(m.statusPanelText(4), QStringLiteral("T453"));
    EXPECT_EQ(channelBlock(state, 0), sequence(7));
}

TEST_F(MenuEntriesTest, ColourWindowIsLoadedAfreshEachTime) {
    MainDisp& m = window();
    m.mnuColor->trigger();
    EXPECT_EQ(ui.beeps, 1);
    QPointer<SubDisp_Alarm> d = m.alarmDialog();
    ASSERT_TRUE(d->isVisible());
    ui.colors = {0x00FF00};
    d->Cmd_Alm[3]->click();
    d->Cmd_End->click();  // the pick is dropped
    flushDeletes();
    EXPECT_TRUE(d.isNull());
    m.mnuColor->trigger();
    d = m.alarmDialog();
    EXPECT_EQ(d->swatchColor(3), 255);
    ui.colors = {0x00FF00};
    d->Cmd_Alm[3]->click();
    d->Cmd_OK->click();
    EXPECT_EQ(state.Alarm_Color.AlmColor4, 0x00FF00);
    EXPECT_EQ(store.read(QStringLiteral("Alm4color"), QString()), QStringLiteral("65280"));
}

TEST_F(MenuEntriesTest, AllChannelsLoadQueuesAndReturns) {
    MainDisp& m = window();
    m.mnuSave_ALL->trigger();
    SubDisp_AllSaveLoad* d = m.allSaveLoadDialog();
    ASSERT_TRUE(d->isVisible());
    const QString path = write(QStringLiteral("all.dat"), formatAllChannelsFile(state));
    ui.answers = {Answer::Yes};
    ui.fileNames = {path};
    // No link runs here: the chains stay queued, and the load returns at once.
    d->Command1[1]->click();
    EXPECT_FALSE(d->loading());
    EXPECT_TRUE(d->Command1[1]->isEnabled());
    EXPECT_EQ(state.Write_Request.Com_Ch, 0);
    EXPECT_TRUE(transferRunning(state));
    EXPECT_EQ(m.statusPanelText(4), QStringLiteral("T453"));
}

}  // namespace
}  // namespace qvx
