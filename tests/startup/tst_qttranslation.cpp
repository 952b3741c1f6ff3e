#include "qt_translation.h"

#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QtTest>

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

QTEST_GUILESS_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
