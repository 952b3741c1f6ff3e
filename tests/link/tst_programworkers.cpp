#include "adapter.h"
#include "chip_workers.h"
#include "eeprom_image.h"
#include "fake_line.h"
#include "messages.h"
#include "recording_observer.h"
#include "target_routines.h"
#include "virtual_clock.h"
#include "workers.h"

#include <QtTest>

using namespace kestrel;
using namespace kestrel::link;
using namespace kestrel::testsupport;
using namespace std::chrono_literals;

namespace {

// A distinct, non-trivial value for the byte of every entry (entry e is byte e - 1).
std::int32_t entryValue(int e)
{
    return (e * 37 + (e >> 8)) & 0xFF;
}

struct Rig
{
    VirtualClock clock;
    FakeLine line{clock};
    RecordingObserver observer;
    std::atomic<bool> cancel{false};
    TransferContext ctx{line, clock, observer, QStringLiteral("/dev/ttyUSB0"), {}, &cancel};

    // An adapter that reports ready to every status query.
    explicit Rig(bool ready = true)
    {
        ctx.image = QByteArray(EepromLastEntry, '\0');
        for (int e = 1; e <= EepromLastEntry; ++e)
            ctx.image[e - 1] = static_cast<char>(entryValue(e));
        line.setResponder([ready](const Frame& f) {
            return f[0] == CMD_READ_STATUS && ready ? QByteArray::fromHex("C000") : QByteArray();
        });
    }
};

WorkerRoutine programWorker(bool d60)
{
    return d60 ? &ProgramWorkerD60 : &ProgramWorkerB32;
}

int countFrames(const QList<Frame>& frames, std::uint8_t command)
{
    return static_cast<int>(std::count_if(frames.begin(), frames.end(),
                                          [&](const Frame& f) { return f[0] == command; }));
}

bool contains(const QStringList& list, const QString& prefix)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const QString& e) { return e.startsWith(prefix); });
}

} // namespace

class TestProgramWorkers : public QObject
{
    Q_OBJECT

private slots:
    void wireBytes_data();
    void wireBytes();
    void pausesOnTheWire_data();
    void pausesOnTheWire();
    void gaugeAndStatus_data();
    void gaugeAndStatus();
    void silentAdapter_data();
    void silentAdapter();
    void portFailures_data();
    void portFailures();
    void brokenLine_data();
    void brokenLine();
    void cancel_data();
    void cancel();
};

void TestProgramWorkers::wireBytes_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<int>("writeFrames");
    QTest::addColumn<QString>("firstRoutine");
    QTest::addColumn<QString>("lastRoutine");
    QTest::addColumn<int>("midWord");
    QTest::addColumn<QString>("midRoutine");
    QTest::addColumn<int>("stagingBase");
    QTest::addColumn<int>("words");
    QTest::addColumn<QString>("run");
    QTest::newRow("68HC12B32") << false << 445 << "0B 00 08 10 14"
                               << "0B 78 08 00 00" << 0x20 << "0B 40 08 E2 6A" << 0x0880 << 384
                               << "42 00 00 00 00";
    QTest::newRow("68HC12D60") << true << 573 << "0B 00 02 10 14"
                               << "0B 78 02 00 00" << 0x38 << "0B 70 02 17 5A" << 0x0300 << 512
                               << "4D 00 00 00 00";
}

void TestProgramWorkers::wireBytes()
{
    QFETCH(bool, d60);
    QFETCH(int, writeFrames);
    QFETCH(QString, firstRoutine);
    QFETCH(QString, lastRoutine);
    QFETCH(int, midWord);
    QFETCH(QString, midRoutine);
    QFETCH(int, stagingBase);
    QFETCH(int, words);
    QFETCH(QString, run);

    Rig rig;
    QCOMPARE(programWorker(d60)(rig.ctx), TransferResult::Done);
    QCOMPARE(rig.line.openedTimeout(), 2);
    QCOMPARE(rig.line.closeCalls(), 1);
    QCOMPARE(rig.line.sent().size() % 5, 0);

    const QList<Frame> f = rig.line.frames();
    QCOMPARE(f.size(), 3 + writeFrames + 2);
    QCOMPARE(frameText(f[0]), QStringLiteral("5B 00 00 00 00"));
    QCOMPARE(frameText(f[1]), QStringLiteral("21 00 00 00 00"));
    QCOMPARE(frameText(f[2]), QStringLiteral("37 01 FF 00 00"));
    QCOMPARE(countFrames(f, CMD_WRITE_WORD), writeFrames);
    QCOMPARE(frameText(f[3]), firstRoutine);
    QCOMPARE(frameText(f[3 + 60]), lastRoutine);
    QCOMPARE(frameText(f[3 + midWord]), midRoutine);
    QCOMPARE(frameText(f[f.size() - 2]), run);
    QCOMPARE(countFrames(f, run == "42 00 00 00 00" ? 0x42 : 0x4D), 1);
    QCOMPARE(frameText(f.last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(countFrames(f, CMD_END), 1);

    // The routine: 61 words of the block, odd byte first.
    const TargetRoutineBlock& block = d60 ? TargetRoutineD60 : TargetRoutineB32;
    const int r = d60 ? 0x0200 : 0x0800;
    for (int k = 0; k < 61; ++k) {
        const Frame expected = {CMD_WRITE_WORD, std::uint8_t((r + 2 * k) & 0xFF),
                                std::uint8_t((r + 2 * k) >> 8), block[2 * k + 1], block[2 * k]};
        QCOMPARE(frameText(f[3 + k]), frameText(expected));
    }
    // The image: word i from bytes 2i + 1 (first) and 2i.
    for (int i = 0; i < words; ++i) {
        const int a = stagingBase + 2 * i;
        const Frame expected = {CMD_WRITE_WORD, std::uint8_t(a & 0xFF), std::uint8_t(a >> 8),
                                std::uint8_t(entryValue(2 * i + 2) & 0xFF),
                                std::uint8_t(entryValue(2 * i + 1) & 0xFF)};
        QCOMPARE(frameText(f[64 + i]), frameText(expected));
    }
    if (!d60) {
        QCOMPARE(frameText(f[64]).left(8), QStringLiteral("0B 80 08"));
        QCOMPARE(frameText(f[64 + 0x40]).left(8), QStringLiteral("0B 00 09"));
        QCOMPARE(frameText(f[64 + 0xC0]).left(8), QStringLiteral("0B 00 0A"));
        QCOMPARE(frameText(f[64 + 0x140]).left(8), QStringLiteral("0B 00 0B"));
        QCOMPARE(frameText(f[64 + 383]).left(8), QStringLiteral("0B 7E 0B"));
    } else {
        QCOMPARE(frameText(f[64]).left(8), QStringLiteral("0B 00 03"));
        QCOMPARE(frameText(f[64 + 0x80]).left(8), QStringLiteral("0B 00 04"));
        QCOMPARE(frameText(f[64 + 511]).left(8), QStringLiteral("0B FE 06"));
    }
}

void TestProgramWorkers::pausesOnTheWire_data()
{
    QTest::addColumn<bool>("d60");
    QTest::newRow("68HC12B32") << false;
    QTest::newRow("68HC12D60") << true;
}

void TestProgramWorkers::pausesOnTheWire()
{
    QFETCH(bool, d60);
    Rig rig;
    QCOMPARE(programWorker(d60)(rig.ctx), TransferResult::Done);

    const auto& sent = rig.line.sent();
    const int frames = static_cast<int>(sent.size() / 5);
    for (int n = 0; n + 1 < frames; ++n) {
        for (int b = 1; b < 5; ++b) {
            const auto gap = sent[5 * n + b].at - sent[5 * n + b - 1].at;
            QVERIFY2(gap == 2ms, qPrintable(QStringLiteral("frame %1 byte %2").arg(n).arg(b)));
        }
        const std::uint8_t cmd = sent[5 * n].value;
        const auto gap = sent[5 * (n + 1)].at - sent[5 * n + 4].at;
        std::chrono::microseconds expected{};
        switch (cmd) {
        case CMD_BEGIN:
            expected = 40ms;
            break;
        case CMD_PREPARE:
            expected = 20ms;
            break;
        case CMD_READ_STATUS:
            expected = 8ms;
            break; // the ready reply arrives at once
        case CMD_WRITE_WORD:
            expected = 2ms;
            break;
        default:
            expected = 4ms + 1001 * 20ms;
            break; // CMD_RUN, then the fixed wait
        }
        QVERIFY2(gap == expected, qPrintable(QStringLiteral("after frame %1").arg(n)));
    }
    // CMD_END and its pause end the run.
    QCOMPARE(rig.clock.now() - sent.last().at, 40ms);
    const int words = d60 ? 573 : 445;
    QCOMPARE(rig.clock.now(),
             std::chrono::milliseconds(100 + 48 + 28 + 16 + words * 10 + 12 + 1001 * 20 + 48));
}

void TestProgramWorkers::gaugeAndStatus_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<QStringList>("expected");
    const auto seq = [](const QString& first, int lastWord) {
        return QStringList{
            "phase:loading",
            "progress:0",
            "max:60",
            "status:" + first,
            "progress:0..60",
            "phase:sending",
            "progress:0",
            QStringLiteral("max:%1").arg(lastWord),
            "status:Trwa przesyłanie danych",
            QStringLiteral("progress:0..%1").arg(lastWord),
            "phase:writing",
            "progress:0",
            "max:999",
            "status:Rozpoczęto zapis EEPROM",
            "progress:0..1000",
            "status:Gotowe",
            "finished",
        };
    };
    QTest::newRow("68HC12B32") << false << seq("Ładuje procedure zapisu", 383);
    QTest::newRow("68HC12D60") << true << seq("Ładuję procedure zapisu", 511);
}

void TestProgramWorkers::gaugeAndStatus()
{
    QFETCH(bool, d60);
    QFETCH(QStringList, expected);
    Rig rig;
    QCOMPARE(programWorker(d60)(rig.ctx), TransferResult::Done);
    QCOMPARE(rig.observer.folded(), expected);
}

void TestProgramWorkers::silentAdapter_data()
{
    pausesOnTheWire_data();
}

void TestProgramWorkers::silentAdapter()
{
    QFETCH(bool, d60);
    Rig rig(false);
    qsizetype sentAtMessage = -1;
    rig.observer.onMessage = [&](const QString&) { sentAtMessage = rig.line.sent().size(); };
    QCOMPARE(programWorker(d60)(rig.ctx), TransferResult::NoAdapter);

    const QList<Frame> f = rig.line.frames();
    QCOMPARE(f.size(), 8);
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(f[1 + 2 * p][0], CMD_PREPARE);
        QCOMPARE(f[2 + 2 * p][0], CMD_READ_STATUS);
    }
    QCOMPARE(frameText(f.last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(sentAtMessage, 35); // CMD_END only after the message was closed
    QCOMPARE(rig.line.closeCalls(), 1);
    QCOMPARE(rig.observer.folded(), (QStringList{"phase:loading", "progress:0", "max:60",
                                                 "message:BRAK KOMUNIKACJI !!", "finished"}));
}

void TestProgramWorkers::portFailures_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString portMessage = QStringLiteral("Niewłaściwa nazwa portu lub port jest aktywny !!");
    QTest::newRow("empty name") << "" << int(OpenStatus::Opened) << portMessage;
    QTest::newRow("COM1 missing or held") << "COM1" << int(OpenStatus::Failed) << portMessage;
    QTest::newRow("COM2 missing or held") << "COM2" << int(OpenStatus::Failed) << portMessage;
    QTest::newRow("ttyUSB0 speed refused") << "/dev/ttyUSB0" << int(OpenStatus::SpeedUnsupported)
                                           << "Port nie obsługuje prędkości 12800 bodów";
    QTest::newRow("ttyUSB1 speed refused") << "/dev/ttyUSB1" << int(OpenStatus::SpeedUnsupported)
                                           << "Port nie obsługuje prędkości 12800 bodów";
}

// Every transfer worker, program and read alike, ends a failed open the same way.
void TestProgramWorkers::portFailures()
{
    QFETCH(QString, port);
    QFETCH(int, status);
    QFETCH(QString, message);
    for (WorkerRoutine worker :
         {&ProgramWorkerB32, &ProgramWorkerD60, &ReadWorkerB32, &ReadWorkerD60}) {
        Rig rig;
        rig.ctx.portName = port;
        rig.line.setOpenStatus(static_cast<OpenStatus>(status));
        QCOMPARE(worker(rig.ctx), TransferResult::PortFailed);
        QVERIFY(rig.line.sent().isEmpty());
        QCOMPARE(rig.line.closeCalls(), 0);
        QCOMPARE(rig.observer.events, (QStringList{"message:" + message, "finished"}));
    }
}

void TestProgramWorkers::brokenLine_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<int>("bytesBeforeBreak"); // -1: break by time instead
    QTest::addColumn<int>("breakAtMs");
    QTest::newRow("B32 during CMD_BEGIN") << false << 3 << 0;
    QTest::newRow("B32 during the check") << false << 12 << 0;
    QTest::newRow("B32 in the routine") << false << 15 * 5 + 2 << 0;
    QTest::newRow("D60 in the image") << true << 300 * 5 << 0;
    QTest::newRow("D60 before CMD_RUN") << true << 576 * 5 << 0;
    QTest::newRow("B32 during the wait") << false << -1 << 10000;
}

void TestProgramWorkers::brokenLine()
{
    QFETCH(bool, d60);
    QFETCH(int, bytesBeforeBreak);
    QFETCH(int, breakAtMs);
    Rig rig;
    if (bytesBeforeBreak >= 0)
        rig.line.breakAfterBytes(bytesBeforeBreak);
    else
        rig.line.breakAt(std::chrono::milliseconds(breakAtMs));
    QCOMPARE(programWorker(d60)(rig.ctx), TransferResult::LineBroken);

    if (bytesBeforeBreak >= 0)
        QCOMPARE(rig.line.sent().size(), bytesBeforeBreak);
    else // detected within one 20-ms step of the wait
        QVERIFY(rig.clock.now() < std::chrono::milliseconds(breakAtMs + 20));
    QCOMPARE(countFrames(rig.line.frames(), CMD_END), 0);
    QCOMPARE(rig.line.closeCalls(), 1);
    const QStringList tail = rig.observer.events.mid(rig.observer.events.size() - 3);
    QCOMPARE(tail, (QStringList{"status:Przerwano",
                                "message:Utracono połączenie z portem – operacja przerwana",
                                "finished"}));
    QVERIFY(!rig.observer.statuses().contains("Gotowe"));
    QCOMPARE(rig.observer.finishedCalls, 1);
}

void TestProgramWorkers::cancel_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<QString>("stage"); // the status text at which the cancel comes
    QTest::addColumn<int>("atProgress");
    QTest::newRow("B32 routine") << false << "Ładuje procedure zapisu" << 10;
    QTest::newRow("D60 image") << true << "Trwa przesyłanie danych" << 200;
    QTest::newRow("B32 wait") << false << "Rozpoczęto zapis EEPROM" << 500;
}

void TestProgramWorkers::cancel()
{
    QFETCH(bool, d60);
    QFETCH(QString, stage);
    QFETCH(int, atProgress);
    Rig rig;
    qsizetype sentAtCancel = -1;
    rig.observer.onProgress = [&](int p) {
        if (p == atProgress && rig.observer.statuses().last() == stage && sentAtCancel < 0) {
            rig.cancel = true;
            sentAtCancel = rig.line.sent().size();
        }
    };
    QCOMPARE(programWorker(d60)(rig.ctx), TransferResult::Cancelled);
    // Nothing after the cancel but CMD_END.
    QCOMPARE(rig.line.sent().size(), sentAtCancel + 5);
    QCOMPARE(frameText(rig.line.frames().last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(rig.line.closeCalls(), 1);
    QCOMPARE(rig.observer.events.last(), QStringLiteral("finished"));
    QCOMPARE(rig.observer.events.at(rig.observer.events.size() - 2),
             QStringLiteral("progress:%1").arg(atProgress));
    QVERIFY(!contains(rig.observer.events, "message:"));
    QVERIFY(!rig.observer.statuses().contains("Gotowe"));
}

QTEST_APPLESS_MAIN(TestProgramWorkers)
#include "tst_programworkers.moc"
