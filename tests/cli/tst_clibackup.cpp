// kestrel-cli program --backup: the backups' names, and backups against simulated adapters on a
// virtual clock.

#include "backup_files.h"
#include "cli_app.h"
#include "cli_harness.h"
#include "exit_codes.h"
#include "image_formats.h"
#include "sim_line.h"
#include "virtual_clock.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <random>

using namespace kestrel;
using namespace kestrel::cli;

namespace {

using clitest::eepromOf;
// One run in process: a simulator per --port.
using Run = clitest::Harness;

QByteArray seeded(int size, unsigned seed)
{
    return clitest::randomBytes(size, seed);
}

} // namespace

class TestCliBackup : public QObject
{
    Q_OBJECT
private slots:
    void portFileNames_data();
    void portFileNames();
    void backupBeforeProgramming_data();
    void backupBeforeProgramming();
};

void TestCliBackup::portFileNames_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QStringList>("files"); // for "kopie/{port}.bin"
    QTest::newRow("device path") << QStringList{"/dev/ttyUSB0"}
                                 << QStringList{"kopie/dev-ttyUSB0.bin"};
    QTest::newRow("names that stay")
        << QStringList{"SYMULATOR", "COM3", "ttyACM0"}
        << QStringList{"kopie/SYMULATOR.bin", "kopie/COM3.bin", "kopie/ttyACM0.bin"};
    QTest::newRow("runs of other characters")
        << QStringList{"/dev/serial/by-id/usb-FTDI_FT232R (A1)", "\\\\.\\COM10", "..", "/"}
        << QStringList{"kopie/dev-serial-by-id-usb-FTDI_FT232R-A1.bin", "kopie/COM10.bin",
                       "kopie/port-3.bin", "kopie/port-4.bin"};
    QTest::newRow("the same name twice")
        << QStringList{"SYMULATOR", "/dev/ttyS0", "SYMULATOR"}
        << QStringList{"kopie/SYMULATOR-1.bin", "kopie/dev-ttyS0.bin", "kopie/SYMULATOR-3.bin"};
}

void TestCliBackup::portFileNames()
{
    QFETCH(QStringList, ports);
    QFETCH(QStringList, files);
    QCOMPARE(backupFiles(QStringLiteral("kopie/{port}.bin"), ports), files);
}

void TestCliBackup::backupBeforeProgramming_data()
{
    QTest::addColumn<int>("silentPort"); // -1: none
    QTest::addColumn<QString>("backup"); // "{dir}" is the test's folder
    QTest::addColumn<bool>("verify");
    QTest::addColumn<bool>("json"); // else the summary table
    QTest::addColumn<int>("exitCode");
    QTest::newRow("verified, JSON") << -1 << "{dir}/k-{port}.bin" << true << true << int(ExitOk);
    QTest::newRow("one silent, table")
        << 1 << "{dir}/k-{port}.s19" << false << false << int(ExitNoAdapter);
    // Its folder is a regular file: nobody, root included, can write it.
    QTest::newRow("backup that cannot be written, JSON")
        << -1 << "{dir}/a.bin/{port}.hex" << true << true << int(ExitFile);
}

void TestCliBackup::backupBeforeProgramming()
{
    QFETCH(int, silentPort);
    QFETCH(QString, backup);
    QFETCH(bool, verify);
    QFETCH(bool, json);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("a.bin"));
    const QByteArray programmed = seeded(768, 5);
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(programmed);
    file.close();
    backup.replace(QStringLiteral("{dir}"), dir.path());

    constexpr int Ports = 2;
    Run run;
    QStringList args{"program", "--chip", "68HC12B32", "--backup", backup, image};
    QList<QByteArray> former;
    for (int i = 0; i < Ports; ++i) {
        sim::Faults faults;
        faults.silent = i == silentPort;
        run.sims.push_back(std::make_unique<sim::Simulator>(sim::ChipKind::B32, faults));
        former << seeded(768, unsigned(i + 10));
        QVERIFY(run.sims.back()->modify([&](sim::Target& t) {
            return t.loadEeprom({former.back().begin(), former.back().end()});
        }));
        args << QStringLiteral("--port") << QStringLiteral("SYMULATOR");
    }
    if (verify)
        args << QStringLiteral("--verify");
    if (json)
        args << QStringLiteral("--json");
    QCOMPARE(run.run(args), exitCode);

    const QStringList files = backupFiles(backup, QStringList(Ports, QStringLiteral("SYMULATOR")));
    for (int i = 0; i < Ports; ++i) {
        const PortOutcome& o = run.outcomes[std::size_t(i)];
        QCOMPARE(o.backupFile, files[i]);
        QCOMPARE(o.backupWritten, exitCode != ExitFile && i != silentPort);
        // Without a backup the chip is untouched; with one it holds the image.
        QCOMPARE(eepromOf(*run.sims[std::size_t(i)]), o.backupWritten ? programmed : former[i]);
        if (!o.backupWritten) {
            QVERIFY(!QFile::exists(files[i]));
            QCOMPARE(o.exitCode, exitCode);
            continue;
        }
        QFile copy(files[i]);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const DecodedImage decoded =
            decodeImage(copy.readAll(), formatNamedBy(files[i]), ChipWindow{0x0D00, 768});
        QCOMPARE(decoded.bytes, former[i]);
        QCOMPARE(o.exitCode, int(ExitOk));
    }
    if (exitCode == ExitFile)
        QVERIFY2(QString::fromUtf8(run.err).contains(
                     QStringLiteral("Nie można zapisać kopii: %1: ").arg(files[0])),
                 run.err.constData());

    if (json) {
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        QCOMPARE(lines.size(), Ports);
        for (int i = 0; i < Ports; ++i) {
            const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
            QCOMPARE(o.value(QStringLiteral("backup")).toString(), files[i]);
            QCOMPARE(o.value(QStringLiteral("backup_written")).toBool(),
                     run.outcomes[std::size_t(i)].backupWritten);
            QCOMPARE(o.value(QStringLiteral("result")).toString(),
                     exitCode == ExitFile ? QStringLiteral("backup-failed") : QStringLiteral("ok"));
        }
        return;
    }
    // The summary table names each port's backup, or "brak".
    const QStringList rows = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(rows.size(), 3);
    QVERIFY2(rows[0].endsWith(QStringLiteral("KOPIA")), qPrintable(rows[0]));
    QVERIFY2(rows[1].endsWith(u' ' + files[0]), qPrintable(rows[1]));
    QVERIFY2(rows[2].contains(QStringLiteral(" no-adapter ")) && rows[2].endsWith(u" brak"),
             qPrintable(rows[2]));
}

QTEST_GUILESS_MAIN(TestCliBackup)
#include "tst_clibackup.moc"
