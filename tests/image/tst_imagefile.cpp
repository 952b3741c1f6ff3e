#include "file_names.h"
#include "image_file.h"
#include "image_formats.h"
#include "system_errors.h"

#include "../support/full_disk.h"
#include "file_helpers.h"

#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

using namespace kestrel;
using namespace testing;

Q_DECLARE_METATYPE(kestrel::ImageFormat)
Q_DECLARE_METATYPE(kestrel::ImageReadStatus)

namespace {

// A device that claims one size and delivers another, or fails after some bytes.
class FakeDevice : public QIODevice
{
public:
    FakeDevice(qint64 claimed, QByteArray content, qint64 failAt = -1)
        : claimed_(claimed), content_(std::move(content)), failAt_(failAt)
    {
        open(QIODevice::ReadOnly);
    }
    qint64 size() const override { return claimed_; }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        if (failAt_ >= 0 && pos_ >= failAt_) {
            setErrorString(QStringLiteral("Input/output error"));
            errno = EIO; // as a failed read(2) leaves it
            return -1;
        }
        qint64 n = std::min<qint64>(max, content_.size() - pos_);
        if (failAt_ >= 0)
            n = std::min(n, failAt_ - pos_);
        std::memcpy(data, content_.constData() + pos_, static_cast<std::size_t>(n));
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    qint64 claimed_;
    QByteArray content_;
    qint64 failAt_;
    qint64 pos_ = 0;
};

} // namespace

class TestImageFile : public QObject
{
    Q_OBJECT
private slots:
    void saveEachChipSize_data();
    void saveEachChipSize();
    void loadSizes_data();
    void loadSizes();
    void largerChipFileRefusedThenAccepted();
    void formatByNameThenContent_data();
    void formatByNameThenContent();
    void roundTrip_data();
    void roundTrip();
    void storeClearsWholeBuffer();
    void readNoFile_data();
    void readNoFile();
    void readPipeNeverBlocks();
    void readErrorOfRegularFile();
    void openErrorOfRegularFile();
    void readData_data();
    void readData();
    void writeFailureLeavesDisk_data();
    void writeFailureLeavesDisk();
    void failedWriteKeepsExistingFile_data();
    void failedWriteKeepsExistingFile();
    void namesNotUtf8_data();
    void namesNotUtf8();
    void writeReplacesLongerFile();
    void writeRefusesPipe();
};

void TestImageFile::saveEachChipSize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {256, 512, 640, 768, 1024})
        QTest::addRow("%d bytes", size) << size;
}

void TestImageFile::saveEachChipSize()
{
    QFETCH(int, size);
    ImageState s;
    s.EepromSize = size;
    for (int i = 1; i <= EepromLastEntry; ++i)
        s.EepromBuffer[static_cast<std::size_t>(i)] = (i * 3) & 0xFF;
    s.EepromBuffer[1] = 0x1A5;                                 // only the low byte counts
    s.EepromBuffer[static_cast<std::size_t>(size)] = 0x5C;     // last byte of the chip
    s.EepromBuffer[static_cast<std::size_t>(size + 1)] = 0x77; // beyond it: not saved

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    const ImageWriteResult w = writeImageFile(path, imageFileBytes(s));
    QVERIFY2(w.ok, qPrintable(w.reason));

    const QByteArray file = readAll(path);
    QCOMPARE(file.size(), size);
    QCOMPARE(static_cast<quint8>(file.front()), 0xA5);
    QCOMPARE(static_cast<quint8>(file.back()), 0x5C);
    for (int i = 2; i < size; ++i)
        QCOMPARE(static_cast<quint8>(file[i - 1]), static_cast<quint8>((i * 3) & 0xFF));
    // Only the target is left in the folder, no temporary file.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"image.bin"});
}

void TestImageFile::loadSizes_data()
{
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << 0 << true;
    QTest::newRow("100 bytes") << 100 << true;
    QTest::newRow("EepromSize") << 768 << true;
    QTest::newRow("EepromSize + 1") << 769 << false;
}

void TestImageFile::loadSizes()
{
    QFETCH(int, fileSize);
    QFETCH(bool, accepted);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.bin"));
    const QByteArray content = pattern(fileSize, 5);
    QVERIFY(writeAll(path, content));

    const ImageReadResult r = readImageFile(path, 768);
    if (!accepted) {
        QCOMPARE(r.status, ImageReadStatus::TooLarge);
        QVERIFY(r.data.isEmpty());
        return;
    }
    QCOMPARE(r.status, ImageReadStatus::Ok);
    QCOMPARE(r.data, content);

    ImageState s;
    s.EepromSize = 768;
    s.EepromBuffer.fill(0x42);
    storeImageBytes(s, r.data);
    QCOMPARE(s.EepromBuffer[0], 0x42);
    for (int i = 1; i <= EepromLastEntry; ++i) {
        const int expected = i <= fileSize ? static_cast<quint8>(content[i - 1]) : 0xFF;
        QCOMPARE(s.EepromBuffer[static_cast<std::size_t>(i)], expected);
    }
}

void TestImageFile::largerChipFileRefusedThenAccepted()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d60.bin"));
    ImageState d60;
    d60.EepromSize = 1024;
    QVERIFY(writeImageFile(path, imageFileBytes(d60)).ok);
    QCOMPARE(readImageFile(path, 768).status, ImageReadStatus::TooLarge);
    const ImageReadResult r = readImageFile(path, 1024);
    QCOMPARE(r.status, ImageReadStatus::Ok);
    QCOMPARE(r.data.size(), 1024);
}

void TestImageFile::formatByNameThenContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("given"); // the format given, -1 for none
    QTest::addColumn<ImageReadStatus>("status");
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<int>("line"); // the line refused
    const auto Ok = ImageReadStatus::Ok;
    const auto Raw = ImageFormat::Raw;
    const auto S = ImageFormat::SRecord;
    const QByteArray good = "S1070D0001020304E1\r\n";
    const QByteArray bad = "S1070D0001020304E2\r\n";
    const QByteArray hex = ":020D0000BEEF44\r\n:00000001FF\r\n";
    // Raw 68HC12B32 images that start like text.
    for (const auto& [name, head] : {std::pair{"serial.eep", "S20231105"},
                                     {"colon.img", ":10A"},
                                     {"dump", "S9AB"},
                                     {"nl.dat", "\nS1FF"},
                                     {"serial.bin", "S2023"}})
        QTest::newRow(name) << name << startingWith(head, 768) << -1 << Ok << Raw << 0;
    QTest::newRow("records, no record name") << "fw.txt" << good + good << -1 << Ok << S << 0;
    QTest::newRow("Intel HEX, no extension")
        << "fw" << hex << -1 << Ok << ImageFormat::IntelHex << 0;
    QTest::newRow("records contradicting, no record name")
        << "fw.dat" << good + "S1040D0200EC\r\n"
        << -1 << ImageReadStatus::BadLine << S << 2;
    QTest::newRow("records for no EEPROM byte, no record name")
        << "fw.txt" << QByteArray("S10510001122B7\r\n") << -1 << ImageReadStatus::NoData << S << 0;
    // One bad line: the raw rules.
    QTest::newRow("bad line, no record name: raw")
        << "fw.txt" << good + bad << -1 << Ok << Raw << 0;
    QTest::newRow("bad line, no record name, larger than the chip: raw")
        << "fw.txt" << good.repeated(40) + bad << -1 << ImageReadStatus::TooLarge << Raw << 0;
    QTest::newRow("bad line, record name")
        << "fw.s19" << good + good + bad << -1 << ImageReadStatus::BadLine << S << 3;
    QTest::newRow("raw bytes, record name")
        << "fw.hex" << startingWith(":10A", 100) << -1 << ImageReadStatus::BadLine
        << ImageFormat::IntelHex << 1;
    QTest::newRow(".bin is raw") << "fw.bin" << good << -1 << Ok << Raw << 0;
    QTest::newRow("raw given for a record name") << "fw.s19" << good << int(Raw) << Ok << Raw << 0;
    QTest::newRow("records given for any name") << "fw.bin" << good << int(S) << Ok << S << 0;
}

void TestImageFile::formatByNameThenContent()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, given);
    QFETCH(ImageReadStatus, status);
    QFETCH(ImageFormat, format);
    QFETCH(int, line);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(writeAll(path, content));
    const ChipWindow window{0x0D00, 768};
    const ImageLoadResult r =
        loadImageFile(path, window, given < 0 ? std::nullopt : std::optional(ImageFormat(given)));
    QCOMPARE(r.status, status);
    QCOMPARE(r.path, path);
    QCOMPARE(r.line, line);
    QCOMPARE(r.format, format);
    if (status != ImageReadStatus::Ok)
        QVERIFY(r.bytes.isEmpty());
    else if (format == ImageFormat::Raw)
        QCOMPARE(r.bytes, content + QByteArray(768 - int(content.size()), char(0xFF)));
    else
        QCOMPARE(r.bytes.left(4),
                 QByteArray::fromHex(format == ImageFormat::IntelHex ? "BEEFFFFF" : "01020304"));
}

void TestImageFile::roundTrip_data()
{
    QTest::addColumn<int>("size");
    for (int size : {256, 512, 640, 768, 1024})
        QTest::addRow("%d bytes", size) << size;
}

void TestImageFile::roundTrip()
{
    QFETCH(int, size);
    ImageState out;
    out.EepromSize = size;
    const QByteArray bytes = pattern(EepromLastEntry, 11);
    for (int i = 1; i <= EepromLastEntry; ++i)
        out.EepromBuffer[static_cast<std::size_t>(i)] = static_cast<quint8>(bytes[i - 1]);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rt.bin"));
    QVERIFY(writeImageFile(path, imageFileBytes(out)).ok);
    const ImageReadResult r = readImageFile(path, size);
    QCOMPARE(r.status, ImageReadStatus::Ok);
    ImageState in;
    in.EepromSize = size;
    storeImageBytes(in, r.data);
    for (int i = 1; i <= size; ++i)
        QCOMPARE(in.EepromBuffer[static_cast<std::size_t>(i)],
                 out.EepromBuffer[static_cast<std::size_t>(i)]);
    QCOMPARE(in.EepromBuffer[static_cast<std::size_t>(size + 1)], 0xFF);
}

void TestImageFile::storeClearsWholeBuffer()
{
    ImageState s;
    s.EepromBuffer.fill(0);
    storeImageBytes(s, pattern(3000, 1)); // more than the buffer holds: cut at entry 2047
    QCOMPARE(s.EepromBuffer[0], 0);
    QCOMPARE(s.EepromBuffer[2047], static_cast<quint8>(pattern(3000, 1)[2046]));
    storeImageBytes(s, QByteArray("\x01\x02", 2));
    QCOMPARE(s.EepromBuffer[1], 1);
    QCOMPARE(s.EepromBuffer[2], 2);
    for (int i = 3; i <= EepromLastEntry; ++i)
        QCOMPARE(s.EepromBuffer[static_cast<std::size_t>(i)], 0xFF);
}

void TestImageFile::readNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("missing.bin");
    QTest::newRow("folder") << QStringLiteral("sub");
    QTest::newRow("below a regular file") << QStringLiteral("plain/x.bin");
    QTest::newRow("dangling link") << QStringLiteral("dangling");
    QTest::newRow("empty name") << QString();
}

void TestImageFile::readNoFile()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain")), "abc"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")),
                        dir.filePath(QStringLiteral("dangling"))));
    const ImageReadResult r = readImageFile(name.isEmpty() ? name : dir.filePath(name), 1024);
    QCOMPARE(r.status, ImageReadStatus::NoFile);
    QVERIFY(r.data.isEmpty());
}

void TestImageFile::readPipeNeverBlocks()
{
    // Opening a pipe with no writer would block; it is refused without opening.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    const ImageReadResult r = readImageFile(path, 1024);
    QCOMPARE(r.status, ImageReadStatus::Unreadable);
    QCOMPARE(r.reason, notRegularFileReason());
    QCOMPARE(r.reason, QStringLiteral("to nie jest zwykły plik"));
}

void TestImageFile::readErrorOfRegularFile()
{
    // A regular file whose reading fails even for root: the process's own memory at address 0.
    const QString path = QStringLiteral("/proc/self/mem");
    if (!QFileInfo(path).isFile())
        QSKIP("no /proc/self/mem here");
    const ImageReadResult r = readImageFile(path, 1024);
    QCOMPARE(r.status, ImageReadStatus::Unreadable);
    QCOMPARE(r.reason, QStringLiteral("Błąd wejścia-wyjścia")); // EIO, told in Polish
    QVERIFY(r.data.isEmpty());
}

void TestImageFile::openErrorOfRegularFile()
{
    // A write-only attribute of the kernel: a regular file that nobody, not even root, can open
    // for reading.
    const QString path = QStringLiteral("/sys/bus/pci/uevent");
    QFile probe(path);
    if (!QFileInfo(path).isFile() || probe.open(QIODevice::ReadOnly))
        QSKIP("no unopenable regular file here");
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    QCOMPARE(fd, -1);
    const int error = errno;
    const ImageReadResult r = readImageFile(path, 1024);
    QCOMPARE(r.status, ImageReadStatus::Unreadable);
    QCOMPARE(r.reason, systemErrorReason(error));
}

void TestImageFile::readData_data()
{
    QTest::addColumn<qint64>("claimed");
    QTest::addColumn<int>("delivered");
    QTest::addColumn<qint64>("failAt");
    QTest::addColumn<int>("status");
    const int ok = int(ImageReadStatus::Ok);
    const int large = int(ImageReadStatus::TooLarge);
    const int bad = int(ImageReadStatus::Unreadable);
    QTest::newRow("grew after its size was taken") << qint64(10) << 769 << qint64(-1) << large;
    QTest::newRow("grew to exactly the size") << qint64(10) << 768 << qint64(-1) << ok;
    QTest::newRow("shrank after its size was taken") << qint64(700) << 5 << qint64(-1) << ok;
    QTest::newRow("claims more than the chip") << qint64(769) << 0 << qint64(-1) << large;
    QTest::newRow("read error at once") << qint64(100) << 100 << qint64(0) << bad;
    QTest::newRow("read error midway") << qint64(100) << 100 << qint64(40) << bad;
}

void TestImageFile::readData()
{
    QFETCH(qint64, claimed);
    QFETCH(int, delivered);
    QFETCH(qint64, failAt);
    QFETCH(int, status);
    const QByteArray content = pattern(delivered, 3);
    FakeDevice device(claimed, content, failAt);
    const ImageReadResult r = readImageData(device, 768);
    QCOMPARE(int(r.status), status);
    if (r.status == ImageReadStatus::Ok)
        QCOMPARE(r.data, content);
    else
        QVERIFY(r.data.isEmpty());
    if (r.status == ImageReadStatus::Unreadable)
        QCOMPARE(r.reason, QStringLiteral("Błąd wejścia-wyjścia"));
}

void TestImageFile::writeFailureLeavesDisk_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QStringLiteral("nofolder/out.bin");
    QTest::newRow("below a regular file") << QStringLiteral("plain/out.bin");
    QTest::newRow("a folder of that name") << QStringLiteral("sub");
}

void TestImageFile::writeFailureLeavesDisk()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain")), "abc"));
    const QStringList before = listing(dir.path());

    ImageState s;
    const ImageWriteResult w = writeImageFile(dir.filePath(name), imageFileBytes(s));
    QVERIFY(!w.ok);
    QVERIFY(!w.reason.isEmpty());
    QCOMPARE(listing(dir.path()), before);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("plain"))), QByteArray("abc"));
}

void TestImageFile::failedWriteKeepsExistingFile_data()
{
    QTest::addColumn<bool>("fullDisk"); // else a file size limit of 512 bytes
    QTest::newRow("file size limit") << false;
    QTest::newRow("full disk") << true;
}

void TestImageFile::failedWriteKeepsExistingFile()
{
    QFETCH(bool, fullDisk);
    QTemporaryDir dir;
    testsupport::FullDisk disk;
    if (fullDisk && !disk.mounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString path = fullDisk ? disk.filePath(QStringLiteral("keep.bin"))
                                  : dir.filePath(QStringLiteral("keep.bin"));
    const QByteArray old = pattern(300, 9);
    QVERIFY(writeAll(path, old));
    if (fullDisk)
        QVERIFY(disk.fill());
    const QStringList before = fullDisk ? disk.names() : listing(dir.path());

    ImageState s;
    s.EepromSize = 1024;
    ImageWriteResult w;
    {
        // Without a full disk, the disk "fills up" after 512 bytes.
        std::optional<FileSizeLimit> limit;
        if (!fullDisk)
            QVERIFY(limit.emplace(512).ok());
        w = writeImageFile(path, imageFileBytes(s));
    }
    QVERIFY(!w.ok);
    QCOMPARE(w.reason, systemErrorReason(fullDisk ? ENOSPC : EFBIG));
    QCOMPARE(readAll(path), old);
    QCOMPARE(fullDisk ? disk.names() : listing(dir.path()), before);
}

void TestImageFile::namesNotUtf8_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("Latin-2 bytes") << QByteArray("\xBF\xF3\xB3w.bin");
    QTest::newRow("UTF-8") << QByteArray("\xC5\xBC\xC3\xB3\xC5\x82w.bin");
    QTest::newRow("an encoded surrogate") << QByteArray("\xED\xA0\x80.bin");
    // U+10080, whose low surrogate is the one an escaped 0x80 becomes, before a bare 0x80.
    QTest::newRow("four bytes, then 0x80") << QByteArray("\xF0\x90\x82\x80\x80.bin");
    QTest::newRow("cut sequence") << QByteArray("a\xE2\x82.bin");
}

void TestImageFile::namesNotUtf8()
{
    QFETCH(QByteArray, name);
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const QString path = fileNameFromSystem(folder + name);
    QCOMPARE(fileNameToSystem(path), folder + name);
    const QByteArray bytes = pattern(100, 3);
    QVERIFY(writeImageFile(path, bytes).ok);
    struct stat st
    {
    };
    QCOMPARE(::stat((folder + name).constData(), &st), 0); // the file of exactly that name
    QCOMPARE(qint64(st.st_size), qint64(bytes.size()));
    const ImageLoadResult back = loadImageFile(path, ChipWindow{0x0D00, 768}, ImageFormat::Raw);
    QCOMPARE(back.status, ImageReadStatus::Ok);
    QCOMPARE(back.bytes.left(100), bytes);
}

void TestImageFile::writeReplacesLongerFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.bin"));
    QVERIFY(writeAll(path, pattern(5000, 2)));
    ImageState s;
    s.EepromSize = 256;
    QVERIFY(writeImageFile(path, imageFileBytes(s)).ok);
    QCOMPARE(readAll(path), QByteArray(256, '\xFF'));
}

void TestImageFile::writeRefusesPipe()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    const ImageWriteResult w = writeImageFile(path, imageFileBytes(ImageState{}));
    QVERIFY(!w.ok);
    QCOMPARE(w.reason, notRegularFileReason());
    struct stat st
    {
    };
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

QTEST_GUILESS_MAIN(TestImageFile)
#include "tst_imagefile.moc"
