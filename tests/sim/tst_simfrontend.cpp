// The kestrel-sim program: options, the pseudo-terminal it serves, reopening, files, summary.

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <thread>

namespace {

const QString Program = QStringLiteral(KESTREL_SIM_PATH);

// A host on the slave side, raw, pausing 3 ms after every byte.
class Host
{
public:
    explicit Host(const QString& path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        if (fd_ >= 0) {
            termios tio{};
            ::tcgetattr(fd_, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Host()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    [[nodiscard]] bool ok() const { return fd_ >= 0; }
    // All five bytes in one write, no pauses.
    bool burst(const char* hex)
    {
        const QByteArray bytes = QByteArray::fromHex(hex);
        return ::write(fd_, bytes.constData(), static_cast<std::size_t>(bytes.size())) ==
               bytes.size();
    }
    bool frame(const char* hex)
    {
        for (char c : QByteArray::fromHex(hex)) {
            if (::write(fd_, &c, 1) != 1)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
        return true;
    }
    // Up to n bytes within ms milliseconds.
    QByteArray read(int n, int ms)
    {
        QByteArray out;
        QDeadlineTimer deadline(ms);
        while (out.size() < n && !deadline.hasExpired()) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(deadline.remainingTime())) <= 0)
                break;
            if (p.revents & POLLHUP) {
                hungUp = true;
                break;
            }
            char buf[16];
            const ssize_t r = ::read(fd_, buf, static_cast<std::size_t>(n - out.size()));
            if (r <= 0)
                break;
            out.append(buf, static_cast<int>(r));
        }
        return out;
    }
    bool hungUp = false;

private:
    int fd_ = -1;
};

QString startAndGetPath(QProcess& p, const QStringList& args)
{
    p.start(Program, args);
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000))
        return {};
    const QString line = QString::fromLocal8Bit(p.readLine()).trimmed();
    // "68HC12B32 on /dev/pts/N[ -> link]"
    return line.section(QLatin1Char(' '), 2, 2);
}

} // namespace

class TestSimFrontEnd : public QObject
{
    Q_OBJECT

private slots:
    void helpNamesEveryOption();
    void badArguments_data();
    void badArguments();
    void servesReopensAndSaves();
    void hangUpClosesTheTerminal();
    void unpacedFrameInSummary_data();
    void unpacedFrameInSummary();
    void linkKeepsAnExistingFile();
};

void TestSimFrontEnd::helpNamesEveryOption()
{
    QProcess p;
    p.start(Program, {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
    for (const char* option :
         {"--chip", "--eeprom", "--save-eeprom", "--log", "--link", "--silent", "--ready-on-try",
          "--status-byte", "--short-word", "--missing-word", "--short-every", "--missing-every",
          "--late-ms", "--hang-up-after", "--stuck", "--random-stuck", "--missing-rate",
          "--late-every", "--late-rate", "--late-by-ms", "--seed"})
        QVERIFY2(help.contains(QLatin1String(option)), option);
}

void TestSimFrontEnd::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("no chip") << QStringList{} << "--chip";
    QTest::newRow("other chip") << QStringList{"--chip", "68HC11E9"} << "--chip";
    QTest::newRow("bad try") << QStringList{"--chip", "68HC12B32", "--ready-on-try", "0"}
                             << "--ready-on-try";
    QTest::newRow("bad status") << QStringList{"--chip", "68HC12B32", "--status-byte", "1FF"}
                                << "--status-byte";
    QTest::newRow("bad stuck") << QStringList{"--chip", "68HC12D60", "--stuck", "0C00"}
                               << "--stuck";
    QTest::newRow("word past the EEPROM")
        << QStringList{"--chip", "68HC12B32", "--missing-word", "384"} << "--missing-word";
    QTest::newRow("short word past the EEPROM")
        << QStringList{"--chip", "68HC12D60", "--short-word", "512"} << "--short-word";
    QTest::newRow("stuck outside the EEPROM")
        << QStringList{"--chip", "68HC12B32", "--stuck", "0CFF=00"} << "--stuck";
    QTest::newRow("bad rate") << QStringList{"--chip", "68HC12D60", "--missing-rate", "2"}
                              << "--missing-rate";
    QTest::newRow("missing file") << QStringList{"--chip", "68HC12D60", "--eeprom", "/nonexistent"}
                                  << "/nonexistent";
    // Endless or blocking: refused before a byte is read.
    QTest::newRow("device") << QStringList{"--chip", "68HC12B32", "--eeprom", "/dev/zero"}
                            << "/dev/zero is not a regular file";
    QTest::newRow("fifo") << QStringList{"--chip", "68HC12B32", "--eeprom", "FIFO"}
                          << "is not a regular file";
    QTest::newRow("one byte too many") << QStringList{"--chip", "68HC12B32", "--eeprom", "769"}
                                       << "is larger than the EEPROM";
}

void TestSimFrontEnd::badArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString fifo = dir.filePath("fifo");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QFile big(dir.filePath("769.bin"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.write(QByteArray(769, '\0')) == 769);
    big.close();
    args.replaceInStrings(QRegularExpression("^FIFO$"), fifo);
    args.replaceInStrings(QRegularExpression("^769$"), big.fileName());
    QProcess p;
    p.start(Program, args);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(error));
}

void TestSimFrontEnd::servesReopensAndSaves()
{
    QTemporaryDir dir;
    QByteArray eeprom(768, '\0');
    for (int i = 0; i < eeprom.size(); ++i)
        eeprom[i] = static_cast<char>(i * 7);
    {
        QFile in(dir.filePath("in.bin"));
        QVERIFY(in.open(QIODevice::WriteOnly));
        in.write(eeprom);
    }
    const QString link = dir.filePath("adapter");
    QProcess p;
    const QString path = startAndGetPath(
        p, {"--chip", "68HC12B32", "--eeprom", dir.filePath("in.bin"), "--save-eeprom",
            dir.filePath("out.bin"), "--log", dir.filePath("log.txt"), "--link", link});
    QVERIFY(path.startsWith("/dev/pts/"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);
    {
        Host host(link);
        QVERIFY(host.ok());
        QVERIFY(host.frame("5B00000000"));
        QVERIFY(host.frame("2100000000"));
        QVERIFY(host.frame("3701FF0000"));
        QCOMPARE(host.read(2, 1000).toHex(), QByteArray("c000"));
        QVERIFY(host.frame("16020D0000")); // bytes at 0x0D03, then 0x0D02
        QCOMPARE(host.read(2, 1000), eeprom.mid(3, 1) + eeprom.mid(2, 1));
        QVERIFY(host.frame("5C00000000"));
    }
    {
        Host again(path); // the host closed the port and opens it once more
        QVERIFY(again.ok());
        QVERIFY(again.frame("5B00000000"));
        QVERIFY(again.frame("2100000000"));
        QVERIFY(again.frame("16FE0F0000"));
        QCOMPARE(again.read(2, 1000), eeprom.mid(767, 1) + eeprom.mid(766, 1));
        QVERIFY(again.frame("5C00000000"));
    }
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 0);
    const QString summary = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(summary.contains("68HC12B32: 9 frames"), qPrintable(summary));
    QVERIFY2(summary.contains("0 erase operation(s), 0 byte(s) programmed"), qPrintable(summary));
    QVERIFY(!QFileInfo::exists(link));
    QFile out(dir.filePath("out.bin"));
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), eeprom);
    QFile log(dir.filePath("log.txt"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString transcript = QString::fromLatin1(log.readAll());
    QCOMPARE(transcript.count("CMD_BEGIN"), 2);
    QVERIFY(transcript.contains("16 FE 0F 00 00  CMD_READ_WORD  reply"));
}

void TestSimFrontEnd::hangUpClosesTheTerminal()
{
    QProcess p;
    const QString path = startAndGetPath(p, {"--chip", "68HC12D60", "--hang-up-after", "2"});
    QVERIFY(!path.isEmpty());
    Host host(path);
    QVERIFY(host.ok());
    QVERIFY(host.frame("5B00000000"));
    QVERIFY(host.frame("2100000000"));
    QVERIFY(p.waitForFinished(5000)); // ends by itself
    QCOMPARE(p.exitCode(), 0);
    const QString summary = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(summary.contains("line hung up"), qPrintable(summary));
    QVERIFY(summary.contains("68HC12D60: 2 frames"));
    host.read(1, 500);
    QVERIFY(host.hungUp);
    QVERIFY(!host.frame("3701FF0000"));
}

// Frames written in one go, then one paced frame. One such frame alone proves nothing on a
// pseudo-terminal and is counted as not judged; eight in a row are each flagged.
// The paced frame's gaps depend on when a busy machine lets the simulator read; only the bursts
// are certain.
void TestSimFrontEnd::unpacedFrameInSummary_data()
{
    QTest::addColumn<int>("bursts");
    QTest::newRow("one frame in one go") << 1;
    QTest::newRow("eight frames in one go") << 8;
}

void TestSimFrontEnd::unpacedFrameInSummary()
{
    QFETCH(int, bursts);
    QProcess p;
    const QString path = startAndGetPath(p, {"--chip", "68HC12B32"});
    {
        Host host(path);
        QVERIFY(host.ok());
        QByteArray frames("5B00000000");
        for (int i = 1; i < bursts; ++i)
            frames += "2100000000";
        QVERIFY(host.burst(frames.constData()));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QVERIFY(host.frame("5C00000000"));
    }
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 0);
    const QString summary = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY2(summary.contains(QStringLiteral("%1 frames, ").arg(bursts + 1)), qPrintable(summary));
    if (bursts < 8) {
        QVERIFY2(summary.contains(" 0 protocol violation(s)"), qPrintable(summary));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("(\\d+) early frame\\(s\\) alone not judged"))
                .match(summary);
        QVERIFY2(m.hasMatch() && m.captured(1).toInt() >= 1, qPrintable(summary));
    } else {
        for (int i = 1; i <= bursts; ++i)
            QVERIFY2(QRegularExpression(QStringLiteral("frame %1 at [0-9.]+ ms: bytes 0 us apart")
                                            .arg(i))
                         .match(summary)
                         .hasMatch(),
                     qPrintable(summary));
    }
}

void TestSimFrontEnd::linkKeepsAnExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("precious");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    QProcess p;
    p.start(Program, {"--chip", "68HC12B32", "--link", path});
    QVERIFY(p.waitForFinished(5000));
    QCOMPARE(p.exitCode(), 1);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("keep"));
}

QTEST_GUILESS_MAIN(TestSimFrontEnd)
#include "tst_simfrontend.moc"
