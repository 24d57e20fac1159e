// Qt's own buttons follow the language of the string table in use.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <ostream>

#include "qt_texts.h"
#include "test_support.h"

namespace qvx {
namespace {

using Lang = StringTable::Language;

struct ButtonTexts {
    QString yes, no, cancel;
};

ButtonTexts standardButtonTexts() {
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
    return {box.button(QDialogButtonBox::Yes)->text(), box.button(QDialogButtonBox::No)->text(),
            box.button(QDialogButtonBox::Cancel)->text()};
}

bool qtJapaneseInstalled() { return QFile::exists(QtOwnTexts::defaultFolder() + QStringLiteral("/qtbase_ja.qm")); }

struct Case {
    const char* name;
    Lang language;
    bool emptyFolder;  // a folder without Qt's translations
    bool japanese;     // expected: Japanese texts, else Qt's English ones
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class QtOwnTextsTest : public ::testing::TestWithParam<Case> {};

TEST_P(QtOwnTextsTest, StandardButtonsSpeakTheLanguageOfTheTable) {
    const Case& c = GetParam();
    test::app();
    const ButtonTexts english = standardButtonTexts();
    ASSERT_EQ(english.yes, QStringLiteral("&Yes"));
    if (c.japanese && !qtJapaneseInstalled()) GTEST_SKIP() << "Qt's Japanese translation is not installed";
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    {
        const QtOwnTexts texts(c.language, c.emptyFolder ? empty.path() : QtOwnTexts::defaultFolder());
        const ButtonTexts shown = standardButtonTexts();
        if (c.japanese) {
            EXPECT_GE(texts.installed(), 1);
            EXPECT_TRUE(shown.yes.contains(QStringLiteral("はい"))) << shown.yes.toStdString();
            EXPECT_TRUE(shown.no.contains(QStringLiteral("いいえ"))) << shown.no.toStdString();
            EXPECT_TRUE(shown.cancel.contains(QStringLiteral("キャンセル"))) << shown.cancel.toStdString();
        } else {
            EXPECT_EQ(texts.installed(), 0);
            EXPECT_EQ(shown.yes, english.yes);
            EXPECT_EQ(shown.no, english.no);
            EXPECT_EQ(shown.cancel, english.cancel);
        }
    }
    // Gone with the object: Qt's English again.
    EXPECT_EQ(standardButtonTexts().yes, english.yes);
}

INSTANTIATE_TEST_SUITE_P(Cases, QtOwnTextsTest,
                         ::testing::Values(Case{"JapaneseTable", Lang::Japanese, false, true},
                                           Case{"EnglishTable", Lang::English, false, false},
                                           Case{"JapaneseTableWithoutTranslationFile", Lang::Japanese, true, false}));

}  // namespace
}  // namespace qvx
