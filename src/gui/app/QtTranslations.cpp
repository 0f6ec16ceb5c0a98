#include "gui/app/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "core/lang/Language.h"

namespace zarkent {

bool InstallQtTranslations(std::uint8_t language, const QString& programFolder) {
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    if (language != kLanguageTurkish) return language == kLanguageEnglish;
    auto translator = std::make_unique<QTranslator>();
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath), programFolder + QStringLiteral("/translations")}) {
        if (translator->load(QStringLiteral("qtbase_tr"), folder)) {
            QCoreApplication::installTranslator(translator.get());
            installed = std::move(translator);
            return true;
        }
    }
    return false;
}

} // namespace zarkent
