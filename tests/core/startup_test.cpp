#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "pv_logging.h"
#include "file_writes.h"
#include "startup.h"

using namespace qvx;

TEST(StartUpFiles, ProgramFolderChoice) {
    QTemporaryDir tmp;
    const QString exeDir = tmp.filePath("bin");
    QDir().mkpath(exeDir);
    EXPECT_EQ(resolveProgramFolder(tmp.filePath("data"), exeDir, "/u"), tmp.filePath("data"));
    EXPECT_EQ(resolveProgramFolder("", exeDir, "/u"), exeDir);
    EXPECT_EQ(resolveProgramFolder("", tmp.filePath("missing"), tmp.filePath("user")), tmp.filePath("user"));
    EXPECT_TRUE(QDir::isAbsolutePath(resolveProgramFolder("rel/dir", exeDir, "/u")));
}

TEST(StartUpFiles, FoldersCreatedAndExistingOnesKept) {
    QTemporaryDir tmp;
    QDir(tmp.path()).mkpath("History");
    QFile keep(tmp.filePath("History/old.txt"));
    ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
    keep.write("x");
    keep.close();
    EXPECT_TRUE(createProgramFolders(tmp.path()));
    for (const char* sub : {"Logging", "History", "Setdata"}) EXPECT_TRUE(QDir(tmp.filePath(sub)).exists()) << sub;
    EXPECT_TRUE(QFile::exists(tmp.filePath("History/old.txt")));
}

TEST(StartUpFiles, FileNamesWithoutLeadingZeros) {
    const QDateTime t(QDate(2026, 12, 8), QTime(6, 5, 9));
    EXPECT_EQ(HistoryFile_Name("/p", t), "/p/History/His_2026_12_8_6_5.txt");
    EXPECT_EQ(LogFile_Name("/p", t), "/p/Logging/2026_12_8_6_5_9.csv");
}

TEST(StartUpFiles, HistoryHeaderBytesAndSecondStartAppends) {
    QTemporaryDir tmp;
    const QString path = tmp.filePath("His.txt");
    const QLocale c(QLocale::C);
    ASSERT_TRUE(createHistoryFile(path, QDate(2026, 12, 8), c));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray one = f.readAll();
    f.close();
    const QByteArray expected = "\"QVX-720 Alarm history\",\"    Data  : \",\"" +
                                c.toString(QDate(2026, 12, 8), QLocale::ShortFormat).toUtf8() +
                                "\"\r\n\"Time\",\"Channel\",\"Contain\"\r\n";
    EXPECT_EQ(one, expected);
    // An entry of the first run, then a second start in the same minute.
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("\"3:5:7 PM\",\"Ch01\",\"x\"\r\n");
    f.close();
    ASSERT_TRUE(createHistoryFile(path, QDate(2026, 12, 8), c));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), expected + "\"3:5:7 PM\",\"Ch01\",\"x\"\r\n" + expected);
}

TEST(StartUpFiles, HistoryFileInMissingFolderFails) {
    QTemporaryDir tmp;
    EXPECT_FALSE(createHistoryFile(tmp.filePath("no/such/dir/h.txt"), QDate(2026, 1, 1)));
}

TEST(StartUpFiles, QuotedLine) {
    EXPECT_EQ(quotedLine({"a", "b \"c\"", ""}), QByteArray("\"a\",\"b \"\"c\"\"\",\"\"\r\n"));
}
