#include "qt_translation.h"

#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

using namespace kestrel;

class TestQtTranslation : public QObject
{
    Q_OBJECT
private slots:
    // In this order: the missing file first, while no translation is installed.
    void missingTranslationIsNoError();
    void standardTexts_data();
    void standardTexts();
    void fileErrorReasons();
    void systemLanguage_data();
    void systemLanguage();
};

void TestQtTranslation::missingTranslationIsNoError()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    QVERIFY(!installQtPolishTranslation(*QCoreApplication::instance(), empty.path()));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
}

void TestQtTranslation::standardTexts_data()
{
    QTest::addColumn<QByteArray>("context");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("polish");
    QTest::newRow("open") << QByteArray("QPlatformTheme") << QByteArray("Open")
                          << QStringLiteral("Otwórz");
    QTest::newRow("save in the file dialog") << QByteArray("QFileDialog") << QByteArray("&Save")
                                             << QStringLiteral("&Zachowaj"); // Qt's own word for it
    QTest::newRow("file name label") << QByteArray("QFileDialog") << QByteArray("File &name:")
                                     << QStringLiteral("Nazwa &pliku:");
    QTest::newRow("cancel") << QByteArray("QPlatformTheme") << QByteArray("Cancel")
                            << QStringLiteral("Anuluj");
}

void TestQtTranslation::standardTexts()
{
    QFETCH(QByteArray, context);
    QFETCH(QByteArray, source);
    QFETCH(QString, polish);
    const QString file =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_pl.qm");
    QVERIFY2(QFile::exists(file),
             qPrintable(file + QStringLiteral(" is missing: scripts/setup.sh installs it")));
    static const bool installed = installQtPolishTranslation(*QCoreApplication::instance());
    QVERIFY(installed);
    QCOMPARE(QCoreApplication::translate(context.constData(), source.constData()), polish);
}

void TestQtTranslation::fileErrorReasons()
{
    // The reason Qt gives for a file that is not there, as a load or save message shows it.
    QFile missing(QStringLiteral("/nonexistent-kestrel/obraz.bin"));
    QVERIFY(!missing.open(QIODevice::ReadOnly));
    QCOMPARE(missing.errorString(), QStringLiteral("Brak pliku lub katalogu"));
}

void TestQtTranslation::systemLanguage_data()
{
    // The locale variables as the system sets them (the others unset), and two texts as the
    // start-up leaves them: one of KESTREL's, one of Qt's standard dialogs.
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("kestrelText");
    QTest::addColumn<QString>("qtText");
    const QString polish = QStringLiteral("Gotowe");
    const QString polishQt = QStringLiteral("Anuluj");
    const QString english = QStringLiteral("Done");
    const QString englishQt = QStringLiteral("Cancel");
    QTest::newRow("pl_PL") << QStringList{"LANG=pl_PL.UTF-8"} << polish << polishQt;
    QTest::newRow("en_US") << QStringList{"LANG=en_US.UTF-8"} << english << englishQt;
    QTest::newRow("de_DE") << QStringList{"LANG=de_DE.UTF-8"} << english << englishQt;
    QTest::newRow("C") << QStringList{"LANG=C"} << polish << polishQt;
    QTest::newRow("unset") << QStringList{} << polish << polishQt;
    QTest::newRow("LANGUAGE first")
        << QStringList{"LANGUAGE=en:pl", "LANG=pl_PL.UTF-8"} << english << englishQt;
    QTest::newRow("LC_ALL over LANG")
        << QStringList{"LC_ALL=pl_PL.UTF-8", "LANG=de_DE.UTF-8"} << polish << polishQt;
    QTest::newRow("LC_MESSAGES over LANG")
        << QStringList{"LC_MESSAGES=en_GB.UTF-8", "LANG=pl_PL.UTF-8"} << english << englishQt;
}

void TestQtTranslation::systemLanguage()
{
    // A process of its own per row: Qt reads the system's locale once.
    QFETCH(QStringList, environment);
    QFETCH(QString, kestrelText);
    QFETCH(QString, qtText);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(QString::fromLatin1(name));
    for (const QString& setting : environment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--startup-texts")});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), kestrelText + u'|' + qtText + u'\n');
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && qstrcmp(argv[1], "--startup-texts") == 0) {
        // The child of systemLanguage: the start-up as the front ends run it.
        (void)installSystemTranslations(app);
        std::printf("%s|%s\n", qPrintable(QCoreApplication::translate("link", "Gotowe")),
                    qPrintable(QCoreApplication::translate("QPlatformTheme", "Cancel")));
        return 0;
    }
    TestQtTranslation test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_qttranslation.moc"
