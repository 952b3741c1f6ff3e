// What kestrel-cli writes on standard error: phase lines redrawn in place on a terminal, one
// line per finished phase elsewhere, messages never torn by progress.

#include "progress.h"

#include <QBuffer>
#include <QtTest>

using namespace kestrel::cli;

namespace {

constexpr std::uint32_t Yellow = 0x00FFFF;
constexpr std::uint32_t Green = 0x00FF00;
constexpr std::uint32_t Blue = 0xFF0000;

} // namespace

class TestCliConsole : public QObject
{
    Q_OBJECT
private slots:
    void phaseNames();
    void notATerminal();
    void terminalRedrawsInPlace();
    void quietShowsOnlyMessages();
};

void TestCliConsole::phaseNames()
{
    using kestrel::link::Phase;
    QCOMPARE(phaseName(consolePhase(Phase::Loading)), QStringLiteral("Ładowanie procedury"));
    QCOMPARE(phaseName(consolePhase(Phase::Sending)), QStringLiteral("Przesyłanie danych"));
    QCOMPARE(phaseName(consolePhase(Phase::Writing)), QStringLiteral("Zapis EEPROM"));
    QCOMPARE(phaseName(consolePhase(Phase::Reading)), QStringLiteral("Odczyt EEPROM"));
    QCOMPARE(phaseName(consolePhase(Phase::Verifying)), QStringLiteral("Weryfikacja"));
}

void TestCliConsole::notATerminal()
{
    QByteArray bytes;
    QBuffer err(&bytes);
    err.open(QIODevice::WriteOnly);
    Console console(err, false, true, {QStringLiteral("COM1"), QStringLiteral("COM2")});
    // A phase that never moved (the check failed) leaves no line.
    console.startPhase(1, Phase::Loading);
    console.setProgress(1, 0);
    console.setMax(1, 60);
    console.portMessage(1, QStringLiteral("BRAK KOMUNIKACJI !!"));
    console.endPort(1);
    console.startPhase(0, Phase::Loading);
    console.setMax(0, 60);
    for (int k = 0; k <= 60; ++k)
        console.setProgress(0, k);
    console.refresh();
    console.startPhase(0, Phase::Sending);
    console.setMax(0, 383);
    console.setProgress(0, 191);
    console.endPort(0);
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("kestrel-cli: COM2: BRAK KOMUNIKACJI !!"));
    QVERIFY2(lines[1].startsWith(QStringLiteral("kestrel-cli: COM1: Ładowanie procedury: 100%, ")),
             qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith(QStringLiteral("kestrel-cli: COM1: Przesyłanie danych: 49%, ")),
             qPrintable(lines[2]));
    QVERIFY(!bytes.contains('\x1b'));
    QVERIFY(!bytes.contains('\r'));
}

void TestCliConsole::terminalRedrawsInPlace()
{
    QByteArray bytes;
    QBuffer err(&bytes);
    err.open(QIODevice::WriteOnly);
    Console console(err, true, true, {QStringLiteral("A"), QStringLiteral("B")});
    console.startPhase(0, Phase::Reading);
    console.setMax(0, 99);
    console.setProgress(0, 50);
    console.startPhase(1, Phase::Verifying);
    console.setMax(1, 99);
    console.setProgress(1, 10);
    console.refresh();
    // Both running phases are drawn, each on a line of its own, cleared to its end.
    QVERIFY2(bytes.contains("kestrel-cli: A: Odczyt EEPROM  50%"), bytes.constData());
    QVERIFY2(bytes.contains("kestrel-cli: B: Weryfikacja  10%"), bytes.constData());
    QCOMPARE(bytes.count("\x1b[K\n"), 2);
    bytes.clear();
    err.seek(0);

    console.portMessage(1, QStringLiteral("zakłócenie"));
    // The two live lines are taken back, the message goes above, they come back below it.
    const QByteArray text = bytes;
    QVERIFY2(text.startsWith("\x1b[2F\x1b[J"), text.constData());
    const qsizetype message = text.indexOf("kestrel-cli: B: zakłócenie\n");
    const qsizetype live = text.indexOf("kestrel-cli: A: Odczyt EEPROM");
    QVERIFY(message > 0 && live > message);
    bytes.clear();
    err.seek(0);

    console.setProgress(0, 99);
    console.endPort(0);
    // The ended phase stays as a line; only B is still live.
    QVERIFY2(bytes.contains("kestrel-cli: A: Odczyt EEPROM: 100%, "), bytes.constData());
    QCOMPARE(bytes.count("\x1b[K\n"), 1);
    console.endPort(1);
    bytes.clear();
    err.seek(0);
    console.refresh();
    // Nothing runs: the last refresh only takes back what was drawn.
    QVERIFY(!bytes.contains("kestrel-cli"));
}

void TestCliConsole::quietShowsOnlyMessages()
{
    QByteArray bytes;
    QBuffer err(&bytes);
    err.open(QIODevice::WriteOnly);
    Console console(err, true, false, {QStringLiteral("A")});
    console.startPhase(0, Phase::Writing);
    console.setMax(0, 999);
    console.setProgress(0, 500);
    console.refresh();
    console.endPort(0);
    QCOMPARE(bytes, QByteArray());
    console.error(QStringLiteral("brak opcji --chip"));
    QCOMPARE(bytes, QByteArray("kestrel-cli: brak opcji --chip\n"));
}

QTEST_GUILESS_MAIN(TestCliConsole)
#include "tst_cliconsole.moc"
