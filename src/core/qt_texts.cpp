#include "qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qvx {

QString QtOwnTexts::defaultFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

QtOwnTexts::QtOwnTexts(StringTable::Language language, const QString& folder) {
    if (language != StringTable::Language::Japanese) return;
    // The widgets' texts, and those of the serial port's errors.
    for (const char* catalogue : {"qtbase_ja", "qtserialport_ja"}) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QLatin1String(catalogue), folder)) continue;
        if (!QCoreApplication::installTranslator(translator.get())) continue;
        translators_.push_back(std::move(translator));
    }
}

QtOwnTexts::~QtOwnTexts() {
    for (const auto& translator : translators_) QCoreApplication::removeTranslator(translator.get());
}

}  // namespace qvx
