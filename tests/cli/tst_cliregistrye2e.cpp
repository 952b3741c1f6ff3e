// kestrel-cli processes at once against one registry, SQLite and PostgreSQL, in real time: each
// programs and verifies boards on SYMULATOR ports; one is killed and one interrupted by Ctrl+C
// once they hold their numbers, and another run starts after the kill.

#include "image_crc.h"
#include "registry_scratch.h"
#include "serial_registry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <map>
#include <random>
#include <set>

using namespace kestrel;
using kestrel::testsupport::RegistryScratch;

namespace {

const QString Cli = QStringLiteral(KESTREL_CLI_PATH);
constexpr int PortsPerRun = 2;
constexpr int SerialOffset = 0x0FF0 - 0x0D00;

struct Run
{
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    QString log;
    std::pair<std::uint64_t, std::uint64_t> numbers{0, 0}; // as its output tells them
};

void start(Run& run, const QString& reg, const QString& image, const QString& log)
{
    run.log = log;
    QStringList args{QStringLiteral("program"),  QStringLiteral("--verify"),
                     QStringLiteral("--chip"),   QStringLiteral("68HC12B32"),
                     QStringLiteral("--serial"), QStringLiteral("0FF0:4:1000"),
                     QStringLiteral("--registry"), reg, QStringLiteral("--log"), log};
    for (int i = 0; i < PortsPerRun; ++i)
        args << QStringLiteral("--port") << QStringLiteral("SYMULATOR");
    run.process->start(Cli, args << image);
}

// Waits for "numery N-M" on its standard error: its numbers are reserved.
bool waitForNumbers(Run& run)
{
    static const QRegularExpression told(QStringLiteral("numery (\\d+)-(\\d+)"));
    QByteArray err;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000) {
        run.process->waitForReadyRead(100);
        err += run.process->readAllStandardError();
        const QRegularExpressionMatch m = told.match(QString::fromUtf8(err));
        if (m.hasMatch()) {
            run.numbers = {m.captured(1).toULongLong(), m.captured(2).toULongLong()};
            return true;
        }
    }
    return false;
}

QByteArray boardImage(QByteArray image, std::uint64_t serial)
{
    for (int i = 0; i < 4; ++i)
        image[SerialOffset + i] = char((serial >> (8 * (3 - i))) & 0xFF);
    return image;
}

} // namespace

class TestCliRegistryE2e : public QObject
{
    Q_OBJECT
private slots:
    void killedAmongConcurrentRuns_data() { testsupport::addRegistryRows(); }
    void killedAmongConcurrentRuns();
};

void TestCliRegistryE2e::killedAmongConcurrentRuns()
{
    QFETCH(QString, database);
    RegistryScratch scratch(database);
    KESTREL_REGISTRY_OR_SKIP(scratch);
    std::mt19937 random(31);
    QByteArray image(768, '\0');
    for (char& b : image)
        b = char(random());
    const QString imagePath = scratch.folder() + QStringLiteral("/board.bin");
    {
        QFile f(imagePath);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(image);
    }
    const auto logPath = [&](int i) { return scratch.folder() + QStringLiteral("/run%1.jsonl").arg(i); };
    // Runs 0-2 end normally, 3 is killed, 4 interrupted, 5 starts after the kill.
    constexpr int Killed = 3, Interrupted = 4, After = 5, Runs = 6;
    std::vector<Run> runs(Runs);
    for (int i = 0; i < After; ++i)
        start(runs[std::size_t(i)], scratch.url(), imagePath, logPath(i));
    QVERIFY(waitForNumbers(runs[Killed]));
    runs[Killed].process->kill();
    QVERIFY(waitForNumbers(runs[Interrupted]));
    ::kill(pid_t(runs[Interrupted].process->processId()), SIGINT);
    start(runs[After], scratch.url(), imagePath, logPath(After));
    for (Run& run : runs)
        QVERIFY(run.process->waitForFinished(120000));
    QCOMPARE(runs[Killed].process->exitStatus(), QProcess::CrashExit);
    QCOMPARE(runs[Interrupted].process->exitCode(), 5);

    // Each finished run's boards: verified against the image with their own number.
    std::map<std::uint64_t, QString> verifiedCrc;
    for (int i : {0, 1, 2, After}) {
        QVERIFY2(runs[std::size_t(i)].process->exitCode() == 0,
                 runs[std::size_t(i)].process->readAllStandardError().constData());
        QFile log(logPath(i));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), PortsPerRun);
        for (const QByteArray& line : lines) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            QCOMPARE(o.value(QStringLiteral("result")).toString(), QStringLiteral("ok"));
            const auto serial = std::uint64_t(o.value(QStringLiteral("serial")).toInteger());
            QCOMPARE(o.value(QStringLiteral("crc32")).toString(),
                     crc32Text(crc32Of(boardImage(image, serial))));
            QVERIFY2(verifiedCrc.emplace(serial, o.value(QStringLiteral("crc32")).toString()).second,
                     "a number given twice");
        }
    }
    // The registry: every number once; the killed run's still reserved, none of them reused.
    QString error;
    const auto address = registry::parseRegistryAddress(scratch.url(), error);
    registry::SerialRegistry reg;
    QVERIFY2(reg.open(*address, registry::SerialRegistry::Open::ExistingOnly, error), qPrintable(error));
    const auto rows = reg.list(std::nullopt, std::nullopt, error);
    QVERIFY2(rows, qPrintable(error));
    QCOMPARE(rows->size(), std::size_t(Runs * PortsPerRun));
    std::set<std::uint64_t> distinct;
    for (const registry::Reservation& r : *rows) {
        distinct.insert(r.serial);
        const auto within = [&](int run) {
            return r.serial >= runs[std::size_t(run)].numbers.first &&
                   r.serial <= runs[std::size_t(run)].numbers.second;
        };
        if (within(Killed)) {
            QCOMPARE(r.state, QStringLiteral("reserved"));
            QVERIFY(r.endedAt.isEmpty());
        } else if (within(Interrupted)) {
            QCOMPARE(r.state, QStringLiteral("interrupted"));
        } else {
            QCOMPARE(r.state, QStringLiteral("verified"));
            QCOMPARE(r.crc32, verifiedCrc.at(r.serial));
        }
    }
    QCOMPARE(distinct.size(), rows->size());
    QCOMPARE(verifiedCrc.size(), std::size_t(4 * PortsPerRun));
    qInfo("%s: %d processes of %d ports at once (one killed, one interrupted): %zu numbers "
          "reserved, %zu distinct, duplicates %zu",
          qPrintable(database), Runs, PortsPerRun, rows->size(), distinct.size(),
          rows->size() - distinct.size());
}

QTEST_GUILESS_MAIN(TestCliRegistryE2e)
#include "tst_cliregistrye2e.moc"
