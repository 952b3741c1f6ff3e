#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace kestrel {

// The languages the front ends speak. Polish is the source language of every text; English
// comes from the catalogue built into the programs (":/i18n/kestrel_en.qm").
enum class UiLanguage { Polish, English };

// The language for the system's UI languages, the preferred first (as QLocale::uiLanguages()
// gives them, "pl-PL", "en-US", "C"): Polish for Polish, English for any other language, Polish
// when none is set (the C or POSIX locale, or an empty list).
[[nodiscard]] UiLanguage uiLanguageFor(const QStringList& uiLanguages);

// Installs the texts of `language` in `app`: for Polish, Qt's own Polish translation (see
// installQtPolishTranslation); for English, KESTREL's English catalogue and none of Qt's. False
// when the translation is missing: the program then speaks Polish, Qt's texts as Qt has them.
bool installTranslations(QCoreApplication& app, UiLanguage language);

// The language of QLocale::system().uiLanguages(), installed in `app`; the front ends call it
// once at start-up.
UiLanguage installSystemTranslations(QCoreApplication& app);

// While it lives, KESTREL's texts read in their source language, Polish, whatever language was
// installed: for the texts that scripts read, the same under every language.
class SourceLanguageTexts
{
public:
    SourceLanguageTexts();
    ~SourceLanguageTexts();
    SourceLanguageTexts(const SourceLanguageTexts&) = delete;
    SourceLanguageTexts& operator=(const SourceLanguageTexts&) = delete;

private:
    bool removed_ = false;
};

// Installs Qt's own Polish translation (qtbase_pl.qm) in `app`: the standard dialogs' buttons
// and labels, Qt's built-in texts and the reasons Qt gives for file errors become Polish. Looks
// in `directory`, by default Qt's translations folder. A missing file is no error: the program
// then runs in whatever language Qt falls back to, and the call returns false.
bool installQtPolishTranslation(QCoreApplication& app, const QString& directory = {});

} // namespace kestrel
