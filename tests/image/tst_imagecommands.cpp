#include "image_commands.h"
#include "image_file.h"
#include "image_formats.h"

#include "file_helpers.h"

#include <QtTest>

#include <functional>
#include <sys/stat.h>

using namespace kestrel;
using namespace testing;

Q_DECLARE_METATYPE(kestrel::ImageFormat)

namespace {

const QString kTooLarge = QStringLiteral("Rozmiar pliku przekracza pojemnosc pamieci EEPROM !");
const QString kOverwrite =
    QStringLiteral("Plik o podanej nazwie juz istnieje ! Czy zamienic istniejący plik ?");

// Answers the dialogs from a script and records every question and message.
class ScriptedDialogs : public UserDialogs
{
public:
    QList<std::optional<QString>> openAnswers;
    QList<std::optional<QString>> saveAnswers;
    QList<bool> okCancelAnswers;
    std::function<void()> beforeOpenAnswer; // runs when the open dialog "closes"

    QStringList saveSuggestions;
    QStringList questions;
    QStringList messages;
    bool unexpected = false;
    int longRuns = 0;

    std::optional<QString> askOpenFile() override
    {
        if (openAnswers.isEmpty()) {
            unexpected = true;
            return std::nullopt;
        }
        if (beforeOpenAnswer)
            beforeOpenAnswer();
        return openAnswers.takeFirst();
    }
    std::optional<QString> askSaveFile(const QString& suggested) override
    {
        saveSuggestions << suggested;
        if (saveAnswers.isEmpty()) {
            unexpected = true;
            return std::nullopt;
        }
        return saveAnswers.takeFirst();
    }
    void showMessage(const QString& text) override { messages << text; }
    bool askOkCancel(const QString& text) override
    {
        questions << text;
        if (okCancelAnswers.isEmpty()) {
            unexpected = true;
            return false;
        }
        return okCancelAnswers.takeFirst();
    }
    void runLong(const std::function<void()>& work) override
    {
        ++longRuns;
        work();
    }
};

// An image with a recognisable content and a cursor in the middle of a byte.
ImageState markedState(int size)
{
    ImageState s;
    s.EepromSize = size;
    for (int i = 1; i <= EepromLastEntry; ++i)
        s.EepromBuffer[static_cast<std::size_t>(i)] = (i * 13 + 1) & 0xFF;
    s.CursorCol = 7;
    s.CursorRow = 9;
    s.NibbleCount = 1;
    return s;
}

} // namespace

class TestImageCommands : public QObject
{
    Q_OBJECT
private slots:
    void loadCancelled();
    void loadAccepted_data();
    void loadAccepted();
    void loadTooLarge();
    void loadNoFile_data();
    void loadNoFile();
    void loadVanishedFile();
    void loadUnreadable();
    void loadLargerChipFile();
    void saveCancelled();
    void saveNewFileAsksNothing();
    void overwriteCancelThenOk();
    void overwriteCancelThenCancelDialog();
    void overwriteCancelThenOtherName();
    void saveFailureShowsReason_data();
    void saveFailureShowsReason();
    void failedSaveKeepsExistingFile();
    void roundTrip();
    void formatsThroughCommands_data();
    void formatsThroughCommands();
    void recordFileRefused_data();
    void recordFileRefused();
};

void TestImageCommands::loadCancelled()
{
    ScriptedDialogs d;
    d.openAnswers << std::nullopt;
    ImageState s = markedState(768);
    const EepromBufferType before = s.EepromBuffer;
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.outcome, LoadOutcome::Cancelled);
    QVERIFY(r.path.isEmpty());
    QCOMPARE(s.EepromBuffer, before);
    QVERIFY(d.messages.isEmpty());
    QVERIFY(!d.unexpected);
}

void TestImageCommands::loadAccepted_data()
{
    QTest::addColumn<int>("fileSize");
    QTest::newRow("empty") << 0;
    QTest::newRow("100 bytes") << 100;
    QTest::newRow("EepromSize") << 768;
}

void TestImageCommands::loadAccepted()
{
    QFETCH(int, fileSize);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("in.bin"));
    const QByteArray content = pattern(fileSize, 4);
    QVERIFY(writeAll(path, content));

    ScriptedDialogs d;
    d.openAnswers << path;
    ImageState s = markedState(768);
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.outcome, LoadOutcome::Loaded);
    QCOMPARE(r.path, path);
    QVERIFY(d.messages.isEmpty());
    for (int i = 1; i <= EepromLastEntry; ++i) {
        const int expected = i <= fileSize ? static_cast<quint8>(content[i - 1]) : 0xFF;
        QCOMPARE(s.EepromBuffer[static_cast<std::size_t>(i)], expected);
    }
    // Loading leaves the chip size and the hex-entry cursor alone.
    QCOMPARE(s.EepromSize, 768);
    QCOMPARE(s.CursorCol, 7);
    QCOMPARE(s.CursorRow, 9);
    QCOMPARE(s.NibbleCount, 1);
}

void TestImageCommands::loadTooLarge()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bin"));
    QVERIFY(writeAll(path, pattern(769, 1)));
    ScriptedDialogs d;
    d.openAnswers << path;
    ImageState s = markedState(768);
    const EepromBufferType before = s.EepromBuffer;
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.outcome, LoadOutcome::Refused);
    QCOMPARE(d.messages, QStringList{kTooLarge});
    QCOMPARE(s.EepromBuffer, before);
}

void TestImageCommands::loadNoFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << QStringLiteral("missing.bin");
    QTest::newRow("folder") << QStringLiteral("sub");
}

void TestImageCommands::loadNoFile()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ScriptedDialogs d;
    d.openAnswers << dir.filePath(name);
    ImageState s = markedState(768);
    const EepromBufferType before = s.EepromBuffer;
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.outcome, LoadOutcome::NoFile);
    QVERIFY(d.messages.isEmpty());
    QCOMPARE(s.EepromBuffer, before);
}

void TestImageCommands::loadVanishedFile()
{
    // The file is removed after the user picked it.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gone.bin"));
    QVERIFY(writeAll(path, pattern(10, 0)));
    ScriptedDialogs d;
    d.openAnswers << path;
    d.beforeOpenAnswer = [&] { QFile::remove(path); };
    ImageState s = markedState(768);
    const EepromBufferType before = s.EepromBuffer;
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.outcome, LoadOutcome::NoFile);
    QVERIFY(d.messages.isEmpty());
    QCOMPARE(s.EepromBuffer, before);
}

void TestImageCommands::loadUnreadable()
{
    // A pipe cannot be loaded (opening it would wait for a writer).
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe.bin"));
    QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    ScriptedDialogs d;
    d.openAnswers << path;
    ImageState s = markedState(768);
    const EepromBufferType before = s.EepromBuffer;
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.outcome, LoadOutcome::Refused);
    QCOMPARE(d.messages, QStringList{QStringLiteral("Nie można odczytać pliku:\n") + path + u'\n' +
                                     notRegularFileReason()});
    QCOMPARE(s.EepromBuffer, before);

    // A regular file whose reading fails even for root.
    const QString mem = QStringLiteral("/proc/self/mem");
    if (!QFileInfo(mem).isFile())
        QSKIP("no /proc/self/mem here");
    d.openAnswers << mem;
    d.messages.clear();
    QCOMPARE(loadImageCommand(s, d).outcome, LoadOutcome::Refused);
    QCOMPARE(d.messages.size(), 1);
    QVERIFY(
        d.messages.front().startsWith(QStringLiteral("Nie można odczytać pliku:\n") + mem + u'\n'));
    QVERIFY(d.messages.front().size() >
            QStringLiteral("Nie można odczytać pliku:\n\n").size() + mem.size());
    QCOMPARE(s.EepromBuffer, before);
}

void TestImageCommands::loadLargerChipFile()
{
    // Saved with a 1024-byte chip: refused with 768 bytes, accepted after switching back.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d60.bin"));
    ImageState s = markedState(1024);
    ScriptedDialogs d;
    d.saveAnswers << path;
    QCOMPARE(saveImageCommand(s, d).outcome, SaveOutcome::Saved);

    s.EepromSize = 768;
    s.fillFF(1, EepromLastEntry);
    d.openAnswers << path << path;
    QCOMPARE(loadImageCommand(s, d).outcome, LoadOutcome::Refused);
    QCOMPARE(d.messages, QStringList{kTooLarge});
    QCOMPARE(s.EepromBuffer[1], 0xFF);

    s.EepromSize = 1024;
    QCOMPARE(loadImageCommand(s, d).outcome, LoadOutcome::Loaded);
    ImageState expected = markedState(1024);
    expected.fillFF(1025, EepromLastEntry);
    QCOMPARE(s.EepromBuffer, expected.EepromBuffer);
    QCOMPARE(d.messages.size(), 1);
    QVERIFY(!d.unexpected);
}

void TestImageCommands::saveCancelled()
{
    QTemporaryDir dir;
    const QStringList before = listing(dir.path());
    ScriptedDialogs d;
    d.saveAnswers << std::nullopt;
    const SaveCommandResult r = saveImageCommand(markedState(512), d);
    QCOMPARE(r.outcome, SaveOutcome::Cancelled);
    QCOMPARE(d.saveSuggestions, QStringList{QString()});
    QVERIFY(d.questions.isEmpty());
    QVERIFY(d.messages.isEmpty());
    QCOMPARE(listing(dir.path()), before);
}

void TestImageCommands::saveNewFileAsksNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.bin"));
    ScriptedDialogs d;
    d.saveAnswers << path;
    const ImageState s = markedState(640);
    const SaveCommandResult r = saveImageCommand(s, d);
    QCOMPARE(r.outcome, SaveOutcome::Saved);
    QCOMPARE(r.path, path);
    QVERIFY(d.questions.isEmpty());
    QVERIFY(d.messages.isEmpty());
    QCOMPARE(readAll(path), imageFileBytes(s));
    QCOMPARE(readAll(path).size(), 640);
}

void TestImageCommands::overwriteCancelThenOk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.bin"));
    QVERIFY(writeAll(path, "12345"));
    ScriptedDialogs d;
    d.saveAnswers << path << path;
    d.okCancelAnswers << false << true;
    const ImageState s = markedState(768);
    const SaveCommandResult r = saveImageCommand(s, d);
    QCOMPARE(r.outcome, SaveOutcome::Saved);
    QCOMPARE(d.questions, (QStringList{kOverwrite, kOverwrite}));
    // Cancel reopened the save dialog with the name just chosen.
    QCOMPARE(d.saveSuggestions, (QStringList{QString(), path}));
    QVERIFY(d.messages.isEmpty());
    QCOMPARE(readAll(path), imageFileBytes(s));
    QCOMPARE(readAll(path).size(), 768);
    QVERIFY(!d.unexpected);
}

void TestImageCommands::overwriteCancelThenCancelDialog()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.bin"));
    QVERIFY(writeAll(path, "12345"));
    ScriptedDialogs d;
    d.saveAnswers << path << std::nullopt;
    d.okCancelAnswers << false;
    QCOMPARE(saveImageCommand(markedState(768), d).outcome, SaveOutcome::Cancelled);
    QCOMPARE(d.questions, QStringList{kOverwrite});
    QCOMPARE(readAll(path), QByteArray("12345"));
    QVERIFY(!d.unexpected);
}

void TestImageCommands::overwriteCancelThenOtherName()
{
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("old.bin"));
    const QString other = dir.filePath(QStringLiteral("other.bin"));
    QVERIFY(writeAll(old, "12345"));
    ScriptedDialogs d;
    d.saveAnswers << old << other;
    d.okCancelAnswers << false;
    const SaveCommandResult r = saveImageCommand(markedState(256), d);
    QCOMPARE(r.outcome, SaveOutcome::Saved);
    QCOMPARE(r.path, other);
    QCOMPARE(d.questions.size(), 1);
    QCOMPARE(readAll(old), QByteArray("12345"));
    QCOMPARE(readAll(other).size(), 256);
}

void TestImageCommands::saveFailureShowsReason_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing folder") << QStringLiteral("nofolder/out.bin");
    QTest::newRow("below a regular file") << QStringLiteral("plain/out.bin");
    QTest::newRow("a folder of that name") << QStringLiteral("sub");
}

void TestImageCommands::saveFailureShowsReason()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("plain")), "abc"));
    const QStringList before = listing(dir.path());
    const QString path = dir.filePath(name);

    ScriptedDialogs d;
    d.saveAnswers << path;
    const SaveCommandResult r = saveImageCommand(markedState(512), d);
    QCOMPARE(r.outcome, SaveOutcome::Failed);
    QVERIFY(d.questions.isEmpty()); // not an existing file: no overwrite question
    QCOMPARE(d.messages.size(), 1);
    const QString head = QStringLiteral("Nie można zapisać pliku:\n") + path + u'\n';
    QVERIFY2(d.messages.front().startsWith(head), qPrintable(d.messages.front()));
    QVERIFY(d.messages.front().size() > head.size()); // the system's reason follows
    QCOMPARE(listing(dir.path()), before);
    QVERIFY(!d.unexpected);
}

void TestImageCommands::failedSaveKeepsExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.bin"));
    const QByteArray old = pattern(300, 7);
    QVERIFY(writeAll(path, old));
    const QStringList before = listing(dir.path());

    ScriptedDialogs d;
    d.saveAnswers << path;
    d.okCancelAnswers << true;
    SaveCommandResult r;
    {
        // The disk "fills up" after 512 bytes.
        FileSizeLimit limit(512);
        QVERIFY(limit.ok());
        r = saveImageCommand(markedState(1024), d);
    }
    QCOMPARE(r.outcome, SaveOutcome::Failed);
    QCOMPARE(d.questions, QStringList{kOverwrite});
    QCOMPARE(d.messages.size(), 1);
    QVERIFY(
        d.messages.front().startsWith(QStringLiteral("Nie można zapisać pliku:\n") + path + u'\n'));
    QCOMPARE(readAll(path), old);
    QCOMPARE(listing(dir.path()), before);
}

void TestImageCommands::roundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rt.bin"));
    const ImageState out = markedState(768);
    ScriptedDialogs d;
    d.saveAnswers << path;
    QCOMPARE(saveImageCommand(out, d).outcome, SaveOutcome::Saved);

    ImageState in;
    in.EepromSize = 768;
    in.EepromBuffer.fill(0);
    d.openAnswers << path;
    QCOMPARE(loadImageCommand(in, d).outcome, LoadOutcome::Loaded);
    for (int i = 1; i <= 768; ++i)
        QCOMPARE(in.EepromBuffer[static_cast<std::size_t>(i)],
                 out.EepromBuffer[static_cast<std::size_t>(i)]);
}

void TestImageCommands::formatsThroughCommands_data()
{
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("name");
    QTest::addColumn<ImageFormat>("format");
    for (const auto& [chip, base, size] :
         {std::tuple{"68HC12B32", 0x0D00, 768}, std::tuple{"68HC12D60", 0x0C00, 1024}}) {
        QTest::addRow("%s, raw", chip) << base << size << "a.bin" << ImageFormat::Raw;
        QTest::addRow("%s, S-record", chip) << base << size << "a.s19" << ImageFormat::SRecord;
        QTest::addRow("%s, .srec", chip) << base << size << "a.srec" << ImageFormat::SRecord;
        QTest::addRow("%s, Intel HEX", chip) << base << size << "a.hex" << ImageFormat::IntelHex;
        QTest::addRow("%s, .ihx", chip) << base << size << "a.ihx" << ImageFormat::IntelHex;
        QTest::addRow("%s, other name: raw", chip) << base << size << "a.img" << ImageFormat::Raw;
    }
}

void TestImageCommands::formatsThroughCommands()
{
    QFETCH(int, base);
    QFETCH(int, size);
    QFETCH(QString, name);
    QFETCH(ImageFormat, format);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    ImageState out = markedState(size);
    out.EepromBase = base;
    ScriptedDialogs d;
    d.saveAnswers << path;
    QCOMPARE(saveImageCommand(out, d).outcome, SaveOutcome::Saved);
    const QByteArray file = readAll(path);
    if (format == ImageFormat::Raw)
        QCOMPARE(file, imageFileBytes(out));
    else
        QCOMPARE(formatFromContent(file), format);

    ImageState in;
    in.EepromSize = size;
    in.EepromBase = base;
    d.openAnswers << path;
    const LoadCommandResult r = loadImageCommand(in, d);
    QCOMPARE(r.outcome, LoadOutcome::Loaded);
    QVERIFY(r.notice.isEmpty());
    QCOMPARE(d.longRuns, 1);
    QCOMPARE(imageFileBytes(in), imageFileBytes(out));
    QVERIFY(d.messages.isEmpty());
    QVERIFY(!d.unexpected);
}

void TestImageCommands::recordFileRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("notice");
    QTest::newRow("checksum") << "fw.s19" << QByteArray("\n\nS1070D0001020304E0\n")
                              << "Błąd w pliku, wiersz 3: zła suma kontrolna"
                              << "";
    QTest::newRow("nothing in the window")
        << "fw.txt" << QByteArray(":02100000BEEF41\r\n")
        << "Plik nie zawiera danych dla EEPROM układu (0D00-0FFF)"
        << "";
    QTest::newRow("flash left out")
        << "fw.txt" << QByteArray(":020D0000BEEF44\r\n:02100000BEEF41\r\n") << ""
        << "Pominięto 2 bajtów spoza EEPROM (0D00-0FFF)";
    QTest::newRow("counted from the EEPROM's first byte")
        << "fw.hex" << QByteArray(":02000000BEEF51\r\n:00000001FF\r\n") << ""
        << "Adresy w pliku liczone od początku EEPROM";
    QTest::newRow("damaged ELF") << "fw.elf"
                                 << QByteArray("\x7f"
                                               "ELF\x01\x02\x01") +
                                        QByteArray(40, '\0')
                                 << "Błąd w pliku: plik ELF uszkodzony lub niepełny"
                                 << "";
}

void TestImageCommands::recordFileRefused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(QString, notice);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QVERIFY(writeAll(path, content));
    ScriptedDialogs d;
    d.openAnswers << path;
    ImageState s = markedState(768);
    s.EepromBase = 0x0D00;
    const EepromBufferType before = s.EepromBuffer;
    const LoadCommandResult r = loadImageCommand(s, d);
    QCOMPARE(r.notice, notice);
    if (message.isEmpty()) {
        QCOMPARE(r.outcome, LoadOutcome::Loaded);
        QVERIFY(d.messages.isEmpty());
        QCOMPARE(s.EepromBuffer[1], 0xBE);
        QCOMPARE(s.EepromBuffer[3], 0xFF);
    } else {
        QCOMPARE(r.outcome, LoadOutcome::Refused);
        QCOMPARE(d.messages, QStringList{message});
        QCOMPARE(s.EepromBuffer, before);
    }
}

QTEST_GUILESS_MAIN(TestImageCommands)
#include "tst_imagecommands.moc"
