// Qt's own buttons follow the language of the string table in use.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <ostream>

#include "qt_texts.h"
#include "test_support.h"

namespace qvx {
namespace {

// The Yes and Cancel buttons' texts, as a message box shows them.
QString standardButtonTexts() {
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Yes)->text() + u'|' + box.button(QDialogButtonBox::Cancel)->text();
}

struct Case {
    const char* name;
    StringTable::Language language;
    bool emptyFolder;  // a folder without Qt's translations
    const char* shown;  // UTF-8
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class QtOwnTextsTest : public ::testing::TestWithParam<Case> {};

TEST_P(QtOwnTextsTest, StandardButtonsSpeakTheLanguageOfTheTable) {
    const Case& c = GetParam();
    test::app();
    const QString english = QStringLiteral("&Yes|Cancel");
    ASSERT_EQ(standardButtonTexts(), english);
    const QString folder = QtOwnTexts::defaultFolder();
    if (!c.emptyFolder && c.language == StringTable::Language::Japanese &&
        !QFile::exists(folder + QStringLiteral("/qtbase_ja.qm")))
        GTEST_SKIP() << "Qt's Japanese translation is not installed";
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    {
        const QtOwnTexts texts(c.language, c.emptyFolder ? empty.path() : folder);
        EXPECT_EQ(standardButtonTexts(), QString::fromUtf8(c.shown));
    }
    // Gone with the object: Qt's English again.
    EXPECT_EQ(standardButtonTexts(), english);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QtOwnTextsTest,
    ::testing::Values(Case{"Japanese table", StringTable::Language::Japanese, false, "はい(&Y)|キャンセル"},
                      Case{"English table", StringTable::Language::English, false, "&Yes|Cancel"},
                      Case{"Japanese table, no translation file", StringTable::Language::Japanese, true,
                           "&Yes|Cancel"}));

}  // namespace
}  // namespace qvx
