// Qt's own texts (the standard buttons of message boxes, the file, colour and
// print dialogs, the context menus of text fields) in the language of the
// program's string table. Qt's English needs nothing; for Japanese the
// translations that Qt ships are installed into the application.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "string_table.h"

class QTranslator;

namespace qvx {

class QtOwnTexts {
public:
    // Installs Qt's catalogues for the language from the folder (Qt's own
    // translations folder by default). A catalogue whose file is missing or
    // unreadable is left out without a word: its texts stay in English.
    explicit QtOwnTexts(StringTable::Language language, const QString& folder = defaultFolder());
    // Takes the installed catalogues out of the application again.
    ~QtOwnTexts();
    QtOwnTexts(const QtOwnTexts&) = delete;
    QtOwnTexts& operator=(const QtOwnTexts&) = delete;

    static QString defaultFolder();

private:
    std::vector<std::unique_ptr<QTranslator>> translators_;
};

}  // namespace qvx
