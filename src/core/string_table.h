// The program's string table: every caption and message by numeric id, in
// English and in Japanese. The table that matches the system's language is
// used; tests load either one explicitly.
#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

namespace qvx {

class StringTable {
public:
    enum class Language { English, Japanese };

    StringTable() = default;
    // Loads the built-in table of a language (resources :/strings/en.txt, ja.txt).
    static StringTable builtIn(Language lang);
    // The table for a locale: Japanese for ja, English otherwise.
    static StringTable forLocale(const QLocale& locale = QLocale::system());
    // Parses the text form: one "id<TAB>text" line per string; "\\n", "\\t" and
    // "\\\\" escapes in the text; blank lines and lines starting with '#' ignored.
    static StringTable parse(const QString& content, Language lang);

    // The text of an id; an id missing from the table gives "" (and is a bug
    // that the string-table tests catch).
    QString text(int id) const { return texts_.value(id); }
    bool has(int id) const { return texts_.contains(id); }
    QList<int> ids() const { return texts_.keys(); }
    Language language() const { return lang_; }

private:
    QHash<int, QString> texts_;
    Language lang_ = Language::English;
};

}  // namespace qvx
