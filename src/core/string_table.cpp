#include "string_table.h"

#include <QFile>
#include <QStringView>

namespace qvx {

namespace {

// Undoes the three escapes of the text form. Any other backslash, including
// one at the very end of the text, is kept as it stands.
QString unescape(QStringView raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            out.append(c);
            continue;
        }
        const QChar next = raw[i + 1];
        if (next == u'n') {
            out.append(u'\n');
        } else if (next == u't') {
            out.append(u'\t');
        } else if (next == u'\\') {
            out.append(u'\\');
        } else {
            out.append(c);
            continue;  // the next character is read on its own
        }
        ++i;
    }
    return out;
}

// The id of a line: one or more decimal digits that fit an int, nothing else.
bool parseId(QStringView field, int& id)
{
    if (field.isEmpty())
        return false;
    for (QChar c : field) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool ok = false;
    id = field.toInt(&ok);
    return ok;
}

}  // namespace

StringTable StringTable::parse(const QString& content, Language lang)
{
    StringTable table;
    table.lang_ = lang;

    QStringView rest(content);
    if (rest.startsWith(QChar(0xFEFF)))
        rest = rest.mid(1);

    while (!rest.isEmpty()) {
        const qsizetype eol = rest.indexOf(u'\n');
        QStringView line = eol < 0 ? rest : rest.left(eol);
        rest = eol < 0 ? QStringView() : rest.mid(eol + 1);

        // A file saved with CR LF ends each line in one CR; only that one
        // character goes, blanks before it belong to the text.
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;

        const qsizetype tab = line.indexOf(u'\t');
        int id = 0;
        if (tab < 0 || !parseId(line.left(tab), id))
            continue;  // not a string line: skipped
        table.texts_.insert(id, unescape(line.mid(tab + 1)));
    }
    return table;
}

StringTable StringTable::builtIn(Language lang)
{
    const QString path = lang == Language::Japanese ? QStringLiteral(":/strings/ja.txt")
                                                    : QStringLiteral(":/strings/en.txt");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        StringTable empty;
        empty.lang_ = lang;
        return empty;
    }
    return parse(QString::fromUtf8(file.readAll()), lang);
}

StringTable StringTable::forLocale(const QLocale& locale)
{
    return builtIn(locale.language() == QLocale::Japanese ? Language::Japanese
                                                          : Language::English);
}

}  // namespace qvx
