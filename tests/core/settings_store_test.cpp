#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "settings_store.h"

using namespace qvx;

#include "test_files.h"

using qvx::test::fileBytes;
using qvx::test::writeFile;

namespace {

struct TempStore {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("QVX-720 Monitor.ini")); }
};

QString fileText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}


}  // namespace

TEST(SettingsStore, MissingFileIsEmpty) {
    TempStore t;
    SettingsStore store(t.path());
    EXPECT_FALSE(store.contains(QStringLiteral("Port")));
    EXPECT_EQ(store.read(QStringLiteral("Port"), QStringLiteral("COM1")), QStringLiteral("COM1"));
    EXPECT_FALSE(QFile::exists(t.path()));  // reading creates nothing
}

TEST(SettingsStore, UnreadablePathIsEmptyAndSaveFails) {
    TempStore t;
    ASSERT_TRUE(QDir(t.dir.path()).mkdir(QStringLiteral("QVX-720 Monitor.ini")));  // a folder in the file's place
    SettingsStore store(t.path());
    EXPECT_FALSE(store.contains(QStringLiteral("Port")));
    EXPECT_FALSE(store.save(QStringLiteral("Port"), QStringLiteral("COM2")));
    EXPECT_EQ(store.read(QStringLiteral("Port"), QString()), QStringLiteral("COM2"));
}

TEST(SettingsStore, ValuesRoundTripExactly) {
    const QString values[] = {
        QStringLiteral("C:\\Program Files\\QVX\\Logging\\log 1.csv"),
        QStringLiteral("/home/op/My Logs/a=b;c#d.csv"),
        QStringLiteral("\"quoted\" 'single'"),
        QStringLiteral("= leading equals"),
        QStringLiteral("; looks like a comment"),
        QStringLiteral("[QVX-720 Monitor]"),
        QStringLiteral("  two blanks before and after  "),
        QStringLiteral(" "),
        QStringLiteral(""),
        QStringLiteral("line1\nline2\r\nline3"),
        QStringLiteral("tab\there"),
        QStringLiteral("\\n is not a line feed, \\u0041 is not A"),
        QStringLiteral("trailing backslash\\"),
        QString::fromUtf8("炉 A 温度"),
        QString::fromUtf8("°C µ Ω – “x”"),
        QString::fromUtf8("\u3000ideographic blank\u3000"),
        QString::fromUtf8("emoji \xF0\x9F\x94\xA5 pair"),
        QString(QChar(0xD800)) + QStringLiteral("lone surrogate"),
        QString(QChar(0x01)) + QString(QChar(0x7F)) + QStringLiteral("controls"),
    };
    TempStore t;
    {
        SettingsStore store(t.path());
        int i = 0;
        for (const QString& v : values) ASSERT_TRUE(store.save(QStringLiteral("Key%1").arg(i++), v));
    }
    SettingsStore again(t.path());
    int i = 0;
    for (const QString& v : values) {
        const QString key = QStringLiteral("Key%1").arg(i++);
        EXPECT_TRUE(again.contains(key)) << key.toStdString();
        EXPECT_EQ(again.read(key, QStringLiteral("<missing>")), v) << key.toStdString();
    }
}

TEST(SettingsStore, UnusualKeysRoundTrip) {
    const QString keys[] = {QStringLiteral("a=b"), QStringLiteral(";semi"), QStringLiteral("#hash"),
                            QStringLiteral("[bracket"), QStringLiteral(" padded "), QString::fromUtf8("Kanal_ä"),
                            QStringLiteral("back\\slash")};
    TempStore t;
    {
        SettingsStore store(t.path());
        for (const QString& k : keys) ASSERT_TRUE(store.save(k, k + QStringLiteral("!")));
        EXPECT_FALSE(store.save(QString(), QStringLiteral("x")));
    }
    SettingsStore again(t.path());
    for (const QString& k : keys) EXPECT_EQ(again.read(k, QString()), k + QStringLiteral("!")) << k.toStdString();
}

TEST(SettingsStore, KeysIgnoreCaseAndKeepFirstSpelling) {
    TempStore t;
    SettingsStore store(t.path());
    ASSERT_TRUE(store.save(QStringLiteral("log_Filename"), QStringLiteral("first")));
    ASSERT_TRUE(store.save(QStringLiteral("Log_Filename"), QStringLiteral("second")));
    EXPECT_EQ(store.read(QStringLiteral("LOG_FILENAME"), QString()), QStringLiteral("second"));
    EXPECT_TRUE(store.contains(QStringLiteral("log_filename")));

    const QString text = fileText(t.path());
    EXPECT_EQ(text.count(QStringLiteral("_Filename=")), 1);
    EXPECT_TRUE(text.contains(QStringLiteral("\nlog_Filename=second\n")));

    SettingsStore again(t.path());
    EXPECT_EQ(again.read(QStringLiteral("Log_Filename"), QString()), QStringLiteral("second"));
}

TEST(SettingsStore, EverySaveWritesTheWholeFile) {
    TempStore t;
    SettingsStore store(t.path());
    ASSERT_TRUE(store.save(QStringLiteral("B"), QStringLiteral("1")));
    ASSERT_TRUE(store.save(QStringLiteral("A"), QStringLiteral("2")));
    ASSERT_TRUE(store.save(QStringLiteral("b"), QStringLiteral("3")));  // same key as "B": keeps its place
    EXPECT_EQ(fileText(t.path()), QStringLiteral("[QVX-720 Monitor]\nB=3\nA=2\n"));
}

TEST(SettingsStore, SaveAllStoresInTurnAndWritesOnce) {
    TempStore t;
    SettingsStore store(t.path());
    ASSERT_TRUE(store.save(QStringLiteral("Old"), QStringLiteral("0")));
    const QList<std::pair<QString, QString>> entries = {
        {QStringLiteral("Z"), QStringLiteral("1")},   {QStringLiteral("OLD"), QStringLiteral("2")},
        {QString(), QStringLiteral("lost")},          {QStringLiteral("y"), QStringLiteral("3")},
        {QStringLiteral("Y"), QStringLiteral("4")},
    };
    EXPECT_FALSE(store.saveAll(entries));  // the empty key
    EXPECT_EQ(fileText(t.path()), QStringLiteral("[QVX-720 Monitor]\nOld=2\nZ=1\ny=4\n"));
    EXPECT_TRUE(store.saveAll({}));
}

TEST(SettingsStore, HandWrittenFileSkipsOnlyMalformedLines) {
    TempStore t;
    writeFile(t.path(),
              "\xEF\xBB\xBF"  // byte-order mark
              "Early=before any header\r\n"
              "[qvx-720 monitor]\r\n"
              "; a comment\r\n"
              "# another\r\n"
              "\r\n"
              "no equals sign here\r\n"
              "=no key\r\n"
              "BadEscape=abc\\q\r\n"
              "BadUnit=\\u12G4\r\n"
              "  Spaced  =  value with = inside  \r\n"
              "Dup=first\r\n"
              "DUP=second\r\n"
              "Empty=\r\n"
              "[Other Section]\r\n"
              "Port=COM7\r\n"
              "[QVX-720 Monitor]\r\n"
              "Port=COM2\r\n");
    SettingsStore store(t.path());
    const struct {
        const char* key;
        const char* expected;  // nullptr: not stored
    } table[] = {
        {"Early", "before any header"}, {"no equals sign here", nullptr}, {"BadEscape", nullptr},
        {"BadUnit", nullptr},           {"Spaced", "value with = inside"}, {"Dup", "first"},
        {"Empty", ""},                  {"Port", "COM2"},
    };
    for (const auto& row : table) {
        const QString key = QString::fromLatin1(row.key);
        if (row.expected == nullptr) {
            EXPECT_FALSE(store.contains(key)) << row.key;
        } else {
            EXPECT_TRUE(store.contains(key)) << row.key;
            EXPECT_EQ(store.read(key, QStringLiteral("<missing>")), QString::fromUtf8(row.expected)) << row.key;
        }
    }

    // A save keeps the other section and everything that loaded.
    ASSERT_TRUE(store.save(QStringLiteral("New"), QStringLiteral("n")));
    const QString text = fileText(t.path());
    EXPECT_TRUE(text.contains(QStringLiteral("[Other Section]\nPort=COM7\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("BadEscape")));
    SettingsStore again(t.path());
    EXPECT_EQ(again.read(QStringLiteral("Port"), QString()), QStringLiteral("COM2"));
    EXPECT_EQ(again.read(QStringLiteral("Spaced"), QString()), QStringLiteral("value with = inside"));
    EXPECT_EQ(again.read(QStringLiteral("New"), QString()), QStringLiteral("n"));
}

TEST(SettingsStore, FailedSaveKeepsMemoryAndOldFile) {
    TempStore t;
    // The store's folder would have to be made inside a plain file: impossible.
    const QString blocker = t.dir.filePath(QStringLiteral("plain-file"));
    writeFile(blocker, "x");
    SettingsStore store(blocker + QStringLiteral("/sub/store.ini"));
    EXPECT_FALSE(store.save(QStringLiteral("Speed"), QStringLiteral("19200")));
    EXPECT_EQ(store.read(QStringLiteral("Speed"), QStringLiteral("9600")), QStringLiteral("19200"));
    EXPECT_FALSE(store.save(QStringLiteral("Port"), QStringLiteral("COM4")));
    EXPECT_EQ(store.read(QStringLiteral("Speed"), QString()), QStringLiteral("19200"));
    EXPECT_EQ(store.read(QStringLiteral("Port"), QString()), QStringLiteral("COM4"));
    EXPECT_EQ(fileText(blocker), QStringLiteral("x"));
}

TEST(SettingsStore, SaveCreatesMissingFolders) {
    TempStore t;
    const QString path = t.dir.filePath(QStringLiteral("KORVEL MERIDAX/deeper/QVX-720 Monitor.ini"));
    SettingsStore store(path);
    ASSERT_TRUE(store.save(QStringLiteral("Port"), QStringLiteral("COM3")));
    EXPECT_EQ(SettingsStore(path).read(QStringLiteral("Port"), QString()), QStringLiteral("COM3"));
}

TEST(SettingsStore, DefaultPathNamesApplicationAndSection) {
    const QString p = SettingsStore::defaultPath();
    EXPECT_TRUE(p.endsWith(QStringLiteral("/KORVEL MERIDAX/QVX-720 Monitor.ini"))) << p.toStdString();
    EXPECT_TRUE(QDir::isAbsolutePath(p)) << p.toStdString();
}

TEST(ChannelKeys, Suffixes) {
    const struct {
        int ch;
        const char* nn;
        const char* nnn;
    } table[] = {{0, "01", "001"}, {8, "09", "009"}, {9, "10", "010"}, {4, "05", "005"}, {94, "95", "095"}};
    for (const auto& row : table) {
        EXPECT_EQ(channelKey2(row.ch), QLatin1String(row.nn)) << row.ch;
        EXPECT_EQ(channelKey3(row.ch), QLatin1String(row.nnn)) << row.ch;
    }
    EXPECT_THROW(channelKey2(-1), std::out_of_range);
    EXPECT_THROW(channelKey3(95), std::out_of_range);
}
