#include "qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace kestrel {

namespace {

// KESTREL's catalogue once installed, owned by the application.
QPointer<QTranslator> installedCatalogue;

} // namespace

UiLanguage uiLanguageFor(const QStringList& uiLanguages)
{
    if (uiLanguages.isEmpty())
        return UiLanguage::Polish;
    // "pl-PL", "pl_PL", "pl": the language is the part before the first separator.
    const QString first = uiLanguages.constFirst().section(u'-', 0, 0).section(u'_', 0, 0);
    if (first.isEmpty() || first == u"C" || first == u"POSIX" ||
        first.compare(u"pl", Qt::CaseInsensitive) == 0)
        return UiLanguage::Polish;
    return UiLanguage::English;
}

bool installTranslations(QCoreApplication& app, UiLanguage language)
{
    if (language == UiLanguage::Polish)
        return installQtPolishTranslation(app);
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/kestrel_en.qm"))) {
        delete translator;
        return false;
    }
    installedCatalogue = translator;
    return QCoreApplication::installTranslator(translator);
}

SourceLanguageTexts::SourceLanguageTexts()
{
    if (installedCatalogue)
        removed_ = QCoreApplication::removeTranslator(installedCatalogue);
}

SourceLanguageTexts::~SourceLanguageTexts()
{
    if (removed_ && installedCatalogue)
        (void)QCoreApplication::installTranslator(installedCatalogue);
}

UiLanguage installSystemTranslations(QCoreApplication& app)
{
    const UiLanguage language = uiLanguageFor(QLocale::system().uiLanguages());
    (void)installTranslations(app, language);
    return language;
}

bool installQtPolishTranslation(QCoreApplication& app, const QString& directory)
{
    const QString folder =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace kestrel
