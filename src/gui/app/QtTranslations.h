#pragma once

// Qt's own texts (the buttons of message boxes, the file and folder dialogs) in the language in force.

#include <QString>
#include <cstdint>

namespace zarkent {

// Installs Qt's translation for `language` (kLanguageTurkish, kLanguageEnglish) in the application,
// replacing the one installed before; English needs none. The catalogue is looked up where Qt keeps
// its translations, then in `programFolder`/translations (the Windows build ships it there). Returns
// whether Qt's texts are now in that language.
bool InstallQtTranslations(std::uint8_t language, const QString& programFolder);

} // namespace zarkent
