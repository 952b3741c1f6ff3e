// The files real tools write and read: a program built by the GNU m68hc1x toolchain (ELF, and
// its S-record and Intel HEX through objcopy), converted by srec_cat into the variants other
// tools write, loads to the same EEPROM bytes; the files KESTREL writes are read back by
// srec_cat and compared with srec_cmp. Skipped where the tools are not installed.

#include "image_file.h"
#include "image_formats.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace kestrel;

namespace {

const QStringList Tools = {QStringLiteral("m68hc11-as"), QStringLiteral("m68hc11-ld"),
                           QStringLiteral("m68hc11-objcopy"), QStringLiteral("srec_cat"),
                           QStringLiteral("srec_cmp")};

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    Run r;
    if (!p.waitForStarted() || !p.waitForFinished(60000)) {
        r.output = program + QStringLiteral(": ") + p.errorString();
        return r;
    }
    r.output = QString::fromLocal8Bit(p.readAll());
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QString hex(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16);
}

// ".byte 0x12,0x34,..." lines of the bytes.
QString byteLines(const QByteArray& bytes)
{
    QString out;
    for (qsizetype i = 0; i < bytes.size(); i += 16) {
        QStringList values;
        for (const char b : bytes.mid(i, 16))
            values << hex(static_cast<std::uint8_t>(b));
        out += QStringLiteral("  .byte ") + values.join(u',') + u'\n';
    }
    return out;
}

// A program for one chip: EEPROM contents in two sections (the chip's first bytes and its last
// two), code in flash at 0x8000 and a bank of code at 0x18000, beyond 16 bits.
struct Program
{
    ChipWindow window{0, 0};
    QByteArray eeprom; // what the chip's EEPROM gets: window.size bytes
    QString elf;       // linked at the chip's addresses
    QString offsetElf; // the EEPROM's sections only, linked from address 0
    QString srec;      // objcopy's S-records of elf
};

constexpr int FirstBytes = 700;
constexpr int CodeBytes = 8;
constexpr int BankBytes = 40;

} // namespace

class TestToolchainFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void sameBytesFromEveryVariant_data();
    void sameBytesFromEveryVariant();
    void writtenFilesReadByTheTools_data();
    void writtenFilesReadByTheTools();

private:
    [[nodiscard]] bool build(Program& p, const QString& name, ChipWindow window);

    QTemporaryDir m_dir;
    Program m_programs[2]; // 68HC12B32, 68HC12D60
};

bool TestToolchainFiles::build(Program& p, const QString& name, ChipWindow window)
{
    p.window = window;
    QRandomGenerator random(quint32(window.base));
    QByteArray first(FirstBytes, '\0');
    for (char& b : first)
        b = char(random.bounded(256));
    const QByteArray last = QByteArray::fromHex("5AC3");
    p.eeprom = first + QByteArray(window.size - FirstBytes - 2, char(0xFF)) + last;

    const QString eeprom = QStringLiteral("  .section .eeprom,\"aw\"\n") + byteLines(first) +
                           QStringLiteral("  .section .eeprom_end,\"aw\"\n") + byteLines(last);
    const QString code = QStringLiteral(R"(  .text
  .globl _start
_start: ldaa %1
  staa 0x0800
  bra _start
  .section .bank,"ax"
  .fill %2,1,0x3c
)")
                             .arg(hex(window.base))
                             .arg(BankBytes);
    // A small linker script: EEPROM, flash and a bank beyond 16 bits.
    const QString script = QStringLiteral(R"(MEMORY {
  eeprom (rw) : ORIGIN = %1, LENGTH = %2
  flash (rx) : ORIGIN = 0x8000, LENGTH = 0x8000
  bank (rx) : ORIGIN = 0x18000, LENGTH = 0x4000
}
SECTIONS {
  .text : { *(.text) } > flash
  .bank : { *(.bank) } > bank
  .eeprom : { *(.eeprom) } > eeprom
  .eeprom_end %3 : { *(.eeprom_end) } > eeprom
}
)");
    const QString folder = m_dir.path();
    const auto write = [&](const QString& file, const QString& text) {
        QFile f(m_dir.filePath(file));
        return f.open(QIODevice::WriteOnly) && f.write(text.toLatin1()) == text.size();
    };
    // Assembles and links the source with the EEPROM from eepromAt on; gives the tools' words
    // when they failed.
    const auto link = [&](const QString& stem, const QString& source, int eepromAt) {
        const int lastAt = eepromAt + window.size - 2;
        if (!write(stem + ".s", source) ||
            !write(stem + ".ld", script.arg(eepromAt).arg(window.size).arg(lastAt)))
            return QStringLiteral("cannot write in ") + folder;
        const Run as = run("m68hc11-as", {"-m68hc12", "-o", stem + ".o", stem + ".s"}, folder);
        const Run ld = as.exitCode != 0 ? as
                                        : run("m68hc11-ld",
                                              {"-m", "m68hc12elf", "-T", stem + ".ld", "-e",
                                               "0x8000", "-o", stem + ".elf", stem + ".o"},
                                              folder);
        return ld.exitCode == 0 ? QString() : ld.output;
    };
    p.elf = m_dir.filePath(name + ".elf");
    p.offsetElf = m_dir.filePath(name + "-offsets.elf");
    p.srec = m_dir.filePath(name + "-objcopy.s19");
    QString error = link(name, eeprom + code, window.base);
    if (error.isEmpty())
        error = link(name + "-offsets", eeprom, 0);
    if (error.isEmpty())
        error = run("m68hc11-objcopy", {"-O", "srec", p.elf, p.srec}, folder).output;
    if (!QFileInfo::exists(p.srec))
        qWarning("%s", qPrintable(error));
    return QFileInfo::exists(p.srec);
}

void TestToolchainFiles::initTestCase()
{
    QStringList missing;
    for (const QString& tool : Tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            missing << tool;
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("not installed: %1 (Debian's binutils-m68hc1x and "
                                        "srecord; scripts/setup.sh installs them)")
                             .arg(missing.join(QStringLiteral(", ")))));
    QVERIFY(m_dir.isValid());
    QVERIFY(build(m_programs[0], QStringLiteral("b32"), ChipWindow{0x0D00, 768}));
    QVERIFY(build(m_programs[1], QStringLiteral("d60"), ChipWindow{0x0C00, 1024}));
}

void TestToolchainFiles::sameBytesFromEveryVariant_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("tool");       // "ld": the linked ELF itself
    QTest::addColumn<QStringList>("args");   // IN, OUT, BASE, END, -BASE replaced
    QTest::addColumn<QString>("name");       // the variant's file name
    QTest::addColumn<QByteArrayList>("has"); // texts the variant must hold
    QTest::addColumn<int>("skipped");
    QTest::addColumn<bool>("offsetBased");
    const int outside = CodeBytes + BankBytes;
    const QStringList srecCat = {"IN", "-o", "OUT"};
    const QStringList s1 = {"IN", "-crop", "0",         "0x10000",
                            "-o", "OUT",   "-motorola", "-address-length=2"};
    const QStringList fromZero = {"IN", "-crop", "BASE", "END", "-offset", "-BASE", "-o", "OUT"};
    for (const int chip : {0, 1}) {
        const char* c = chip == 0 ? "68HC12B32" : "68HC12D60";
        const auto row = [&](const char* what) -> QTestData& {
            return QTest::addRow("%s, %s", c, what);
        };
        row("ELF") << chip << "ld" << QStringList{} << "fw.elf" << QByteArrayList{} << outside
                   << false;
        row("ELF counted from 0") << chip << "offsets" << QStringList{} << "fw-offsets.out"
                                  << QByteArrayList{} << 0 << true;
        row("objcopy S-record") << chip << "m68hc11-objcopy"
                                << QStringList{"-O", "srec", "IN", "OUT"} << "fw.s19"
                                << QByteArrayList{"\nS2", "\nS8"} << outside << false;
        row("objcopy Intel HEX") << chip << "m68hc11-objcopy"
                                 << QStringList{"-O", "ihex", "IN", "OUT"} << "fw.hex"
                                 << QByteArrayList{":02000002", ":04000003"} << outside << false;
        row("S1 records") << chip << "srec_cat" << s1 << "s1.s19" << QByteArrayList{"\nS9"}
                          << CodeBytes << false;
        row("S2 records") << chip << "srec_cat"
                          << srecCat + QStringList{"-motorola", "-address-length=3"} << "s2.s28"
                          << QByteArrayList{"\nS2", "\nS8"} << outside << false;
        row("S3 records") << chip << "srec_cat"
                          << srecCat + QStringList{"-motorola", "-address-length=4"} << "s3.s37"
                          << QByteArrayList{"\nS3", "\nS7"} << outside << false;
        row("S-records of one byte each")
            << chip << "srec_cat" << srecCat + QStringList{"-motorola", "-obs=1"} << "short.srec"
            << QByteArrayList{"\nS2"} << outside << false;
        row("S1 records of 255 bytes")
            << chip << "srec_cat" << s1 + QStringList{"-obs=252"} << "long.mot"
            << QByteArrayList{"\nS1FF"} << CodeBytes << false;
        row("S3 records of 255 bytes, CRLF")
            << chip << "srec_cat"
            << srecCat + QStringList{"-motorola", "-address-length=4", "-obs=250", "-crlf"}
            << "long.sx" << QByteArrayList{"\nS3FF", "\r\n"} << outside << false;
        row("Intel HEX of one byte a record")
            << chip << "srec_cat" << srecCat + QStringList{"-intel", "-obs=1"} << "short.hex"
            << QByteArrayList{":01"} << outside << false;
        row("Intel HEX of 255 bytes a record")
            << chip << "srec_cat" << srecCat + QStringList{"-intel", "-obs=255"} << "long.hex"
            << QByteArrayList{":FF"} << outside << false;
        row("Intel HEX, segments (type 02), start (type 03)")
            << chip << "srec_cat" << srecCat + QStringList{"-intel", "-address-length=3"}
            << "segments.ihx" << QByteArrayList{":020000021000EC", ":0400000300008000"} << outside
            << false;
        row("Intel HEX, linear (type 04), start (type 05), CRLF")
            << chip << "srec_cat" << srecCat + QStringList{"-intel", "-address-length=4", "-crlf"}
            << "linear.ihex" << QByteArrayList{":020000040001F9", ":0400000500008000", "\r\n"}
            << outside << false;
        row("Intel HEX counted from 0") << chip << "srec_cat" << fromZero + QStringList{"-intel"}
                                        << "zero.hex" << QByteArrayList{":20000000"} << 0 << true;
        row("S-records counted from 0") << chip << "srec_cat" << fromZero + QStringList{"-motorola"}
                                        << "zero.s19" << QByteArrayList{"\nS1230000"} << 0 << true;
    }
}

void TestToolchainFiles::sameBytesFromEveryVariant()
{
    QFETCH(int, chip);
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(QString, name);
    QFETCH(QByteArrayList, has);
    QFETCH(int, skipped);
    QFETCH(bool, offsetBased);
    const Program& p = m_programs[chip];
    const QTemporaryDir dir;
    QString file = dir.filePath(name);
    if (tool == QLatin1String("ld") || tool == QLatin1String("offsets")) {
        QVERIFY(QFile::copy(tool == QLatin1String("ld") ? p.elf : p.offsetElf, file));
    } else {
        const QString input = tool == QLatin1String("srec_cat") ? p.srec : p.elf;
        for (QString& a : args) {
            a = a == QLatin1String("IN")      ? input
                : a == QLatin1String("OUT")   ? file
                : a == QLatin1String("BASE")  ? hex(p.window.base)
                : a == QLatin1String("-BASE") ? QStringLiteral("-") + hex(p.window.base)
                : a == QLatin1String("END")   ? hex(p.window.base + p.window.size)
                                              : a;
        }
        const Run r = run(tool, args, dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    }
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray content = written.readAll();
    for (const QByteArray& text : has)
        QVERIFY2(content.contains(text), text.constData());

    // By its name, and by its content under a name that names no format.
    const QString bare = dir.filePath(QStringLiteral("variant"));
    QVERIFY(QFile::copy(file, bare));
    for (const QString& path : {file, bare}) {
        const ImageLoadResult loaded = loadImageFile(path, p.window);
        QVERIFY2(loaded.status == ImageReadStatus::Ok, qPrintable(path + u' ' + loaded.reason));
        QCOMPARE(loaded.bytes, p.eeprom);
        QCOMPARE(loaded.skipped, skipped);
        QCOMPARE(loaded.offsetBased, offsetBased);
    }
}

void TestToolchainFiles::writtenFilesReadByTheTools_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<ImageFormat>("format");
    QTest::addColumn<QString>("toolFormat");
    for (const int chip : {0, 1}) {
        const char* c = chip == 0 ? "68HC12B32" : "68HC12D60";
        QTest::addRow("%s, S-record", c) << chip << ImageFormat::SRecord << "-motorola";
        QTest::addRow("%s, Intel HEX", c) << chip << ImageFormat::IntelHex << "-intel";
    }
}

void TestToolchainFiles::writtenFilesReadByTheTools()
{
    QFETCH(int, chip);
    QFETCH(ImageFormat, format);
    QFETCH(QString, toolFormat);
    const Program& p = m_programs[chip];
    const QTemporaryDir dir;
    const QString base = hex(p.window.base);
    const QString end = hex(p.window.base + p.window.size);
    const QString written = dir.filePath(QStringLiteral("kestrel.txt"));
    const QString changed = dir.filePath(QStringLiteral("changed.txt"));
    QByteArray other = p.eeprom;
    other[100] = char(~other[100]);
    for (const auto& [path, bytes] : {std::pair{written, p.eeprom}, {changed, other}}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray file = encodeImage(bytes, format, p.window);
        QCOMPARE(f.write(file), file.size());
    }

    // srec_cat reads it back to the bytes, from the window's first address on.
    const QString back = dir.filePath(QStringLiteral("back.bin"));
    const Run cat = run(QStringLiteral("srec_cat"),
                        {written, toolFormat, QStringLiteral("-offset"), QStringLiteral("-") + base,
                         QStringLiteral("-o"), back, QStringLiteral("-binary")},
                        dir.path());
    QVERIFY2(cat.exitCode == 0, qPrintable(cat.output));
    QFile backFile(back);
    QVERIFY(backFile.open(QIODevice::ReadOnly));
    QCOMPARE(backFile.readAll(), p.eeprom);

    // srec_cmp finds it equal to the toolchain's EEPROM, erased bytes filled in, and finds a
    // file that differs in one byte different.
    const QString reference = dir.filePath(QStringLiteral("reference.s19"));
    const Run crop = run(QStringLiteral("srec_cat"),
                         {p.srec, QStringLiteral("-crop"), base, end, QStringLiteral("-fill"),
                          QStringLiteral("0xFF"), base, end, QStringLiteral("-o"), reference},
                         dir.path());
    QVERIFY2(crop.exitCode == 0, qPrintable(crop.output));
    const Run same = run(QStringLiteral("srec_cmp"), {written, toolFormat, reference}, dir.path());
    QVERIFY2(same.exitCode == 0, qPrintable(same.output));
    const Run different =
        run(QStringLiteral("srec_cmp"), {changed, toolFormat, reference}, dir.path());
    QVERIFY2(different.exitCode == 2, qPrintable(different.output));
}

QTEST_GUILESS_MAIN(TestToolchainFiles)
#include "tst_toolchainfiles.moc"
