#include "adapter.h"
#include "chip_workers.h"
#include "eeprom_image.h"
#include "fake_line.h"
#include "messages.h"
#include "recording_observer.h"
#include "virtual_clock.h"
#include "workers.h"

#include <QtTest>

#include <map>

using namespace kestrel;
using namespace kestrel::link;
using namespace kestrel::testsupport;
using namespace std::chrono_literals;

namespace {

// The byte the fake target holds at an address: every value 0..255 occurs.
std::uint8_t targetByte(int address)
{
    return std::uint8_t((address * 7 + (address >> 8)) & 0xFF);
}

struct Rig
{
    VirtualClock clock;
    FakeLine line{clock};
    RecordingObserver observer;
    std::atomic<bool> cancel{false};
    TransferContext ctx{line, clock, observer, QStringLiteral("COM1"), {}, &cancel};
    bool ready = true;
    // Replies still to come short, per word address, and how many bytes such a reply has.
    std::map<int, int> shortReplies;
    int shortLength = 0;
    std::function<QByteArray(int address)> wordReply = [](int a) {
        QByteArray r;
        r.append(char(targetByte(a + 1)));
        r.append(char(targetByte(a)));
        return r;
    };

    Rig()
    {
        line.setResponder([this](const Frame& f) {
            if (f[0] == CMD_READ_STATUS)
                return ready ? QByteArray::fromHex("C07F") : QByteArray();
            if (f[0] != CMD_READ_WORD)
                return QByteArray();
            const int a = f[1] | (f[2] << 8);
            if (auto it = shortReplies.find(a); it != shortReplies.end() && it->second > 0) {
                --it->second;
                return wordReply(a).left(shortLength);
            }
            return wordReply(a);
        });
    }
};

WorkerRoutine readWorker(bool d60)
{
    return d60 ? &ReadWorkerD60 : &ReadWorkerB32;
}

QList<Frame> readFrames(const FakeLine& line)
{
    QList<Frame> out;
    for (const Frame& f : line.frames())
        if (f[0] == CMD_READ_WORD)
            out << f;
    return out;
}

} // namespace

class TestReadWorkers : public QObject
{
    Q_OBJECT

private slots:
    void chips_data();
    void wholeRead_data();
    void wholeRead();
    void readCommands_data();
    void readCommands();
    void pausesAndDeadlines_data();
    void pausesAndDeadlines();
    void constantReply();
    void highBytesStoredUnsigned();
    void silentAdapter_data();
    void silentAdapter();
    void shortReplies_data();
    void shortReplies();
    void lateReplies_data();
    void lateReplies();
    void lateWord_data();
    void lateWord();
    void strayAfterLastWord_data();
    void strayAfterLastWord();
    void brokenLine_data();
    void brokenLine();
    void cancel();
};

void TestReadWorkers::chips_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("words");
    QTest::newRow("68HC12B32") << false << 0x0D00 << 384;
    QTest::newRow("68HC12D60") << true << 0x0C00 << 512;
}

void TestReadWorkers::wholeRead_data()
{
    chips_data();
}

void TestReadWorkers::wholeRead()
{
    QFETCH(bool, d60);
    QFETCH(int, first);
    QFETCH(int, words);
    Rig rig;
    QCOMPARE(readWorker(d60)(rig.ctx), TransferResult::Done);
    QCOMPARE(rig.line.openedTimeout(), 10);
    QCOMPARE(rig.line.closeCalls(), 1);

    QCOMPARE(rig.observer.imageCalls, 1);
    QCOMPARE(rig.observer.image.size(), 2 * words);
    for (int k = 0; k < 2 * words; ++k)
        QCOMPARE(std::uint8_t(rig.observer.image[k]), targetByte(first + k));

    const QList<Frame> f = rig.line.frames();
    QCOMPARE(f.size(), 3 + 2 * words + 1 + 1);
    QCOMPARE(frameText(f[0]), QStringLiteral("5B 00 00 00 00"));
    QCOMPARE(frameText(f[1]), QStringLiteral("21 00 00 00 00"));
    QCOMPARE(frameText(f[2]), QStringLiteral("37 01 FF 00 00"));
    QCOMPARE(frameText(f.last()), QStringLiteral("5C 00 00 00 00"));

    const QStringList expected{
        "phase:reading",
        "progress:0",
        QStringLiteral("max:%1").arg(2 * words),
        "status:Trwa odczyt EEPROM",
        QStringLiteral("progress:0..%1").arg(2 * words),
        QStringLiteral("image:%1").arg(2 * words),
        "status:Gotowe",
        "finished",
    };
    QCOMPARE(rig.observer.folded(), expected);
}

void TestReadWorkers::readCommands_data()
{
    QTest::addColumn<bool>("d60");
    QTest::addColumn<int>("word"); // the request: every even word, then every odd one
    QTest::addColumn<QString>("frame");
    QTest::newRow("B32 word 0") << false << 0 << "16 00 0D 00 00";
    QTest::newRow("B32 word 127") << false << 127 << "16 FE 0D 00 00";
    QTest::newRow("B32 word 128") << false << 128 << "16 00 0E 00 00";
    QTest::newRow("B32 word 256") << false << 256 << "16 00 0F 00 00";
    QTest::newRow("B32 word 383") << false << 383 << "16 FE 0F 00 00";
    QTest::newRow("D60 word 0") << true << 0 << "16 00 0C 00 00";
    QTest::newRow("D60 word 384") << true << 384 << "16 00 0F 00 00";
    QTest::newRow("D60 word 511") << true << 511 << "16 FE 0F 00 00";
    // The odd words overlap the even ones, from the byte before the EEPROM to its last byte.
    QTest::newRow("B32 odd word 0") << false << 384 << "16 FF 0C 00 00";
    QTest::newRow("B32 odd word 1") << false << 385 << "16 01 0D 00 00";
    QTest::newRow("B32 odd word 384") << false << 768 << "16 FF 0F 00 00";
    QTest::newRow("D60 odd word 0") << true << 512 << "16 FF 0B 00 00";
    QTest::newRow("D60 odd word 512") << true << 1024 << "16 FF 0F 00 00";
}

void TestReadWorkers::readCommands()
{
    QFETCH(bool, d60);
    QFETCH(int, word);
    QFETCH(QString, frame);
    Rig rig;
    QCOMPARE(readWorker(d60)(rig.ctx), TransferResult::Done);
    QCOMPARE(frameText(readFrames(rig.line).at(word)), frame);
}

void TestReadWorkers::pausesAndDeadlines_data()
{
    chips_data();
}

void TestReadWorkers::pausesAndDeadlines()
{
    QFETCH(bool, d60);
    QFETCH(int, words);
    Rig rig;
    QCOMPARE(readWorker(d60)(rig.ctx), TransferResult::Done);
    const auto& sent = rig.line.sent();
    // Every word-read frame: 2 ms after each of the first four bytes, 4 ms after the last
    // (the reply is there at once), then the next frame; after the last word the line must stay
    // quiet for a whole reply deadline before CMD_END.
    const int requests = 2 * words + 1;
    for (qsizetype n = 3; n < 3 + requests; ++n) {
        for (int b = 1; b < 5; ++b)
            QCOMPARE(sent[5 * n + b].at - sent[5 * n + b - 1].at, 2ms);
        const auto next = n + 1 < 3 + requests ? 4ms : 34ms;
        QCOMPARE(sent[5 * (n + 1)].at - sent[5 * n + 4].at, next);
    }
    for (int t : rig.line.readTimeouts())
        QCOMPARE(t, 30);
    QCOMPARE(rig.line.readTimeouts().size(), 1 + requests + 1);
    QCOMPARE(rig.clock.now(),
             std::chrono::milliseconds(100 + 48 + 28 + 16 + 12 * requests + 30 + 48));
}

// An adapter that answers every address alike, or a reply wrong at the same place every time:
// the overlapping words never agree, and the read fails.
void TestReadWorkers::constantReply()
{
    Rig rig;
    rig.wordReply = [](int) { return QByteArray::fromHex("3412"); };
    QCOMPARE(ReadWorkerB32(rig.ctx), TransferResult::ReadAborted);
    QCOMPARE(rig.observer.imageCalls, 0);
    QCOMPARE(rig.observer.messages(),
             QStringList{"Odczyt przerwany: zakłócone odpowiedzi adaptera (adres 0D00)"});
    // Three rounds: every request, then the words of the bytes that disagree, twice.
    QCOMPARE(readFrames(rig.line).size(), 3 * 769);
}

void TestReadWorkers::highBytesStoredUnsigned()
{
    Rig rig;
    rig.wordReply = [](int a) {
        const auto byte = [](int x) { return char(x == 0x0D00 ? 0xFF : x == 0x0D01 ? 0x80 : 0); };
        return QByteArray().append(byte(a + 1)).append(byte(a));
    };
    QCOMPARE(ReadWorkerB32(rig.ctx), TransferResult::Done);
    // The outcome carries the bytes handed over; the window stores them at its edge.
    QCOMPARE(rig.observer.outcome.chipBytes, rig.observer.image);
    EepromBufferType buffer{};
    storeBufferBytes(buffer, rig.observer.image);
    QCOMPARE(buffer[1], 255);
    QCOMPARE(buffer[2], 128);
    QCOMPARE(hexText(buffer[1]), QStringLiteral("FF"));
    QCOMPARE(hexText(buffer[2]), QStringLiteral("80"));
}

void TestReadWorkers::silentAdapter_data()
{
    chips_data();
}

void TestReadWorkers::silentAdapter()
{
    QFETCH(bool, d60);
    QFETCH(int, words);
    Rig rig;
    rig.ready = false;
    qsizetype sentAtMessage = -1;
    rig.observer.onMessage = [&](const QString&) { sentAtMessage = rig.line.sent().size(); };
    QCOMPARE(readWorker(d60)(rig.ctx), TransferResult::NoAdapter);
    QCOMPARE(rig.line.frames().size(), 8);
    QVERIFY(readFrames(rig.line).isEmpty());
    QCOMPARE(sentAtMessage, 35);
    QCOMPARE(frameText(rig.line.frames().last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(rig.observer.imageCalls, 0);
    QCOMPARE(
        rig.observer.folded(),
        (QStringList{"phase:reading", "progress:0", QStringLiteral("max:%1").arg(2 * words),
                     "status:Trwa odczyt EEPROM", "message:BLAD KOMUUNIKACJI !!", "finished"}));
}

void TestReadWorkers::shortReplies_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("shortCount");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("completes");
    QTest::addColumn<QString>("message");
    QTest::newRow("silent once") << 0x0D00 << 1 << 0 << true << "";
    QTest::newRow("one byte twice") << 0x0E46 << 2 << 1 << true << "";
    QTest::newRow("silent three times")
        << 0x0D02 << 3 << 0 << false << "Odczyt przerwany: brak odpowiedzi adaptera (adres 0D02)";
    QTest::newRow("one byte three times")
        << 0x0FAE << 3 << 1 << false << "Odczyt przerwany: zakłócone odpowiedzi adaptera (adres 0FAE)";
    QTest::newRow("odd word, silent three times")
        << 0x0E47 << 3 << 0 << false << "Odczyt przerwany: brak odpowiedzi adaptera (adres 0E47)";
}

void TestReadWorkers::shortReplies()
{
    QFETCH(int, address);
    QFETCH(int, shortCount);
    QFETCH(int, length);
    QFETCH(bool, completes);
    QFETCH(QString, message);
    Rig rig;
    rig.shortReplies[address] = shortCount;
    rig.shortLength = length;
    const TransferResult result = ReadWorkerB32(rig.ctx);

    const QList<Frame> reads = readFrames(rig.line);
    const auto asked = std::count_if(reads.begin(), reads.end(), [&](const Frame& f) {
        return (f[1] | (f[2] << 8)) == address;
    });
    QCOMPARE(asked, std::min(shortCount + 1, 3));
    QCOMPARE(frameText(rig.line.frames().last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(rig.observer.events.last(), QStringLiteral("finished"));
    QCOMPARE(rig.line.closeCalls(), 1);
    if (completes) {
        QCOMPARE(result, TransferResult::Done);
        QCOMPARE(reads.size(), 769 + shortCount);
        for (int k = 0; k < 768; ++k)
            QCOMPARE(std::uint8_t(rig.observer.image[k]), targetByte(0x0D00 + k));
        QVERIFY(rig.observer.messages().isEmpty());
    } else {
        QCOMPARE(result, TransferResult::ReadAborted);
        QCOMPARE(reads.last()[1] | (reads.last()[2] << 8), address);
        QCOMPARE(rig.observer.imageCalls, 0);
        const QStringList tail = rig.observer.events.mid(rig.observer.events.size() - 3);
        QCOMPARE(tail, (QStringList{"status:Odczyt przerwany", "message:" + message, "finished"}));
        QVERIFY(!rig.observer.statuses().contains("Gotowe"));
    }
}

void TestReadWorkers::lateReplies_data()
{
    QTest::addColumn<int>("lateAddress"); // -1: every word reply is late
    QTest::addColumn<int>("result");
    // 36 ms after the frame: past the 30-ms read, before the next frame's last byte.
    QTest::newRow("one late reply, asked again") << 0x0D0A << int(TransferResult::Done);
    QTest::newRow("last word late, asked again") << 0x0FFE << int(TransferResult::Done);
    QTest::newRow("every reply late") << -1 << int(TransferResult::ReadAborted);
}

void TestReadWorkers::lateReplies()
{
    QFETCH(int, lateAddress);
    QFETCH(int, result);
    Rig rig;
    bool lateDone = false;
    rig.line.setReplyDelay([&](const Frame& f) {
        const int a = f[1] | (f[2] << 8);
        const bool late =
            f[0] == CMD_READ_WORD && (lateAddress < 0 || (a == lateAddress && !lateDone));
        if (late && lateAddress >= 0)
            lateDone = true;
        return late ? std::chrono::microseconds(36000) : std::chrono::microseconds(1000);
    });
    QCOMPARE(int(ReadWorkerB32(rig.ctx)), result);
    if (result == int(TransferResult::Done)) {
        // The late answer is not taken for the next word's.
        QCOMPARE(rig.observer.imageCalls, 1);
        for (int k = 0; k < 768; ++k)
            QCOMPARE(std::uint8_t(rig.observer.image[k]), targetByte(0x0D00 + k));
        QCOMPARE(readFrames(rig.line).size(), 770);
    } else {
        QCOMPARE(rig.observer.imageCalls, 0);
        QCOMPARE(rig.observer.messages(),
                 QStringList{"Odczyt przerwany: brak odpowiedzi adaptera (adres 0D00)"});
        QCOMPARE(readFrames(rig.line).size(), 3);
    }
}

void TestReadWorkers::lateWord_data()
{
    QTest::addColumn<int>("word");   // -1: every word
    QTest::addColumn<int>("lateMs"); // every request of the word is answered this late
    QTest::addColumn<bool>("completes");
    // A request's read ends 34 ms after its last byte: a later reply is never taken. The line
    // is made quiet and the word asked again, up to three times.
    const int rows[] = {30, 34, 35, 43, 60, 76, 85, 118, 125, 200};
    for (int word : {0, 5, 200, 382, 383})
        for (int lateMs : rows)
            QTest::addRow("word %d, %d ms", word, lateMs) << word << lateMs << (lateMs <= 34);
    for (int lateMs : rows)
        QTest::addRow("every word, %d ms", lateMs) << -1 << lateMs << (lateMs <= 34);
    // Past the 90 ms the line is made quiet for, a late reply may be taken by the next try of
    // the same word: right, but whether the read then completes depends on the timing.
}

// Whatever the lateness, the image handed over is the chip's; a shifted image never is.
void TestReadWorkers::lateWord()
{
    QFETCH(int, word);
    QFETCH(int, lateMs);
    QFETCH(bool, completes);
    Rig rig;
    const int lateAddress = 0x0D00 + 2 * word;
    rig.line.setReplyDelay([&](const Frame& f) {
        const int a = f[1] | (f[2] << 8);
        const bool late = f[0] == CMD_READ_WORD && (word < 0 || a == lateAddress);
        return std::chrono::microseconds(late ? 1000 * lateMs : 1000);
    });
    const TransferResult result = ReadWorkerB32(rig.ctx);
    if (rig.observer.imageCalls > 0) {
        QCOMPARE(rig.observer.image.size(), 768);
        for (int k = 0; k < 768; ++k)
            QCOMPARE(std::uint8_t(rig.observer.image[k]), targetByte(0x0D00 + k));
    }
    if (lateMs > 90 && result == TransferResult::Done) {
        QCOMPARE(rig.observer.imageCalls, 1);
        return;
    }
    QCOMPARE(result, completes ? TransferResult::Done : TransferResult::ReadAborted);
    QCOMPARE(rig.observer.imageCalls, completes ? 1 : 0);
    QCOMPARE(rig.observer.statuses().contains("Gotowe"), completes);
    if (!completes) {
        QCOMPARE(rig.observer.messages().size(), 1);
        QVERIFY(rig.observer.messages()[0].startsWith("Odczyt przerwany: "));
        // Up to 90 ms late, the replies are dropped while the line is made quiet; later ones
        // come during the next try and put the line out of step.
        if (word >= 0 && lateMs <= 90)
            QCOMPARE(
                rig.observer.messages()[0],
                QStringLiteral("Odczyt przerwany: brak odpowiedzi adaptera (adres %1)")
                    .arg(QStringLiteral("%1").arg(lateAddress, 4, 16, QLatin1Char('0')).toUpper()));
    }
    QCOMPARE(frameText(rig.line.frames().last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(rig.observer.events.last(), QStringLiteral("finished"));
}

void TestReadWorkers::strayAfterLastWord_data()
{
    QTest::addColumn<int>("silentTries"); // requests of the last word that go unanswered first
    QTest::addColumn<int>("strayBytes");  // bytes that follow the last word's answered reply
    QTest::addColumn<bool>("strayAlways"); // and every later answer
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("lastAsked"); // requests of the last word
    const int done = int(TransferResult::Done);
    const int aborted = int(TransferResult::ReadAborted);
    // Bytes after the last reply put it in doubt: once the line is quiet, it is asked again,
    // with three tries of its own.
    QTest::newRow("two bytes") << 0 << 2 << false << done << 2;
    QTest::newRow("one byte") << 0 << 1 << false << done << 2;
    QTest::newRow("after a silent try") << 1 << 2 << false << done << 3;
    QTest::newRow("after a silent try, four bytes") << 1 << 4 << false << done << 3;
    QTest::newRow("after two silent tries") << 2 << 4 << false << done << 4;
    QTest::newRow("after every answer") << 0 << 1 << true << aborted << 3;
}

// Bytes that come in after the last request was answered: the image is handed over only once
// the line was quiet after the last reply.
void TestReadWorkers::strayAfterLastWord()
{
    QFETCH(int, silentTries);
    QFETCH(int, strayBytes);
    QFETCH(bool, strayAlways);
    QFETCH(int, result);
    QFETCH(int, lastAsked);
    Rig rig;
    int asked = 0;
    rig.wordReply = [&](int a) {
        QByteArray r;
        r.append(char(targetByte(a + 1)));
        r.append(char(targetByte(a)));
        if (a != 0x0FFF)
            return r;
        ++asked;
        if (asked <= silentTries)
            return QByteArray();
        const bool stray = asked == silentTries + 1 || strayAlways;
        return stray ? r + QByteArray(strayBytes, '\x5A') : r;
    };
    QCOMPARE(int(ReadWorkerB32(rig.ctx)), result);
    const QList<Frame> reads = readFrames(rig.line);
    QCOMPARE(reads.size(), 768 + lastAsked);
    QCOMPARE(asked, lastAsked);
    QCOMPARE(frameText(reads.last()), QStringLiteral("16 FF 0F 00 00"));
    if (result == int(TransferResult::Done)) {
        for (int k = 0; k < 768; ++k)
            QCOMPARE(std::uint8_t(rig.observer.image[k]), targetByte(0x0D00 + k));
        const QStringList tail = rig.observer.events.mid(rig.observer.events.size() - 4);
        QCOMPARE(tail, (QStringList{"progress:768", "image:768", "status:Gotowe", "finished"}));
        // The strays are dropped until the line was quiet for a whole reply deadline.
        const auto& sent = rig.line.sent();
        QVERIFY(sent[sent.size() - 5].at - sent[sent.size() - 6].at >= 34ms);
    } else {
        QCOMPARE(rig.observer.imageCalls, 0);
        QCOMPARE(rig.observer.messages(),
                 QStringList{"Odczyt przerwany: zakłócone odpowiedzi adaptera (adres 0FFF)"});
    }
    QCOMPARE(frameText(rig.line.frames().last()), QStringLiteral("5C 00 00 00 00"));
}

void TestReadWorkers::brokenLine_data()
{
    QTest::addColumn<int>("bytesBeforeBreak"); // -1: the line breaks while a reply is awaited
    QTest::newRow("mid word frame") << 5 * 100 + 3;
    QTest::newRow("at a frame boundary") << 5 * 200;
    QTest::newRow("while awaiting a reply") << -1;
}

void TestReadWorkers::brokenLine()
{
    QFETCH(int, bytesBeforeBreak);
    Rig rig;
    if (bytesBeforeBreak >= 0) {
        rig.line.breakAfterBytes(bytesBeforeBreak);
    } else {
        rig.wordReply = [&rig](int a) {
            if (a == 0x0D40)
                rig.line.breakAt(rig.clock.now());
            return a == 0x0D40 ? QByteArray() : QByteArray::fromHex("0000");
        };
    }
    QCOMPARE(ReadWorkerB32(rig.ctx), TransferResult::LineBroken);
    if (bytesBeforeBreak >= 0)
        QCOMPARE(rig.line.sent().size(), bytesBeforeBreak);
    else
        QCOMPARE(frameText(readFrames(rig.line).last()), QStringLiteral("16 40 0D 00 00"));
    QCOMPARE(rig.line.frames().last()[0] == CMD_END, false);
    QCOMPARE(rig.line.closeCalls(), 1);
    QCOMPARE(rig.observer.imageCalls, 0);
    const QStringList tail = rig.observer.events.mid(rig.observer.events.size() - 3);
    QCOMPARE(tail, (QStringList{"status:Przerwano",
                                "message:Utracono połączenie z portem – operacja przerwana",
                                "finished"}));
}

void TestReadWorkers::cancel()
{
    Rig rig;
    qsizetype sentAtCancel = -1;
    rig.observer.onProgress = [&](int p) {
        if (p == 50 && rig.observer.statuses().size() == 1) {
            rig.cancel = true;
            sentAtCancel = rig.line.sent().size();
        }
    };
    QCOMPARE(ReadWorkerD60(rig.ctx), TransferResult::Cancelled);
    QCOMPARE(rig.line.sent().size(), sentAtCancel + 5);
    QCOMPARE(frameText(rig.line.frames().last()), QStringLiteral("5C 00 00 00 00"));
    QCOMPARE(rig.observer.imageCalls, 0);
    QCOMPARE(rig.observer.events.last(), QStringLiteral("finished"));
    QVERIFY(rig.observer.messages().isEmpty());
    QCOMPARE(rig.observer.statuses(), QStringList{"Trwa odczyt EEPROM"});
}

QTEST_APPLESS_MAIN(TestReadWorkers)
#include "tst_readworkers.moc"
