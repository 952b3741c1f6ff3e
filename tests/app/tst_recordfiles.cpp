// S-record and Intel HEX files through the main window: loading by command and by drop, the
// refusals, the formats saved, and drops during a transfer.

#include "editing_window.h"

using namespace kestrel;
using namespace kestrel::editingtest;

class TestRecordFiles : public QObject
{
    Q_OBJECT
private slots:
    void loadRecordFiles_data();
    void loadRecordFiles();
    void recordFileRefused_data();
    void recordFileRefused();
    void saveFormats_data();
    void saveFormats();
    void dropRefusedDuringTransfer();
};

void TestRecordFiles::loadRecordFiles_data()
{
    QTest::addColumn<QString>("how"); // a load command, "drop" or "Ctrl+O"
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("chip");
    QTest::addColumn<QByteArray>("firstBytes"); // row 1 of the chip's image
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("filter"); // the format of the file type chosen, -1 for none
    const QString skipped = QStringLiteral("Pominięto 2 bajtów spoza EEPROM (0D00-0FFF)");
    const QByteArray s19Row = QByteArray::fromHex("01020304") + QByteArray(12, char(0xFF));
    const QByteArray hexRow = QByteArray::fromHex("BEEF") + QByteArray(14, char(0xFF));
    QTest::newRow("S-record, toolbar")
        << "toolbar load"
        << "fw.s19" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped} << -1;
    QTest::newRow("S-record by content, menu")
        << "menu load"
        << "fw.txt" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped} << -1;
    QTest::newRow("S-record, dropped")
        << "drop"
        << "fw.mot" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped} << -1;
    QTest::newRow("Intel HEX, Ctrl+O")
        << "Ctrl+O"
        << "fw.hex" << HandHex << int(ChipD60) << hexRow << QStringList() << -1;
    QTest::newRow("Intel HEX, dropped")
        << "drop"
        << "fw.ihx" << HandHex << int(ChipD60) << hexRow << QStringList() << -1;
    QTest::newRow("raw, dropped") << "drop"
                                  << "fw.bin" << HandHex << int(ChipD60) << HandHex.left(16)
                                  << QStringList() << -1;
    // Raw images that start like text load as raw, whatever their names.
    for (const auto& [how, name, head] : {std::tuple{"menu load", "serial.eep", "S20231105"},
                                          {"toolbar load", "colon.img", ":10A"},
                                          {"drop", "dump", "S9AB"},
                                          {"Ctrl+O", "nl.dat", "\nS1FF"}}) {
        const QByteArray raw = startingWith(head, 768, 3);
        QTest::addRow("raw %s, %s", name, how)
            << how << name << raw << int(ChipB32) << raw.left(16) << QStringList() << -1;
    }
    // The file type chosen decides the format.
    QTest::newRow("S-record file opened as raw")
        << "menu load"
        << "fw.s19" << HandS19 << int(ChipB32) << HandS19.left(16) << QStringList()
        << int(ImageFormat::Raw);
    QTest::newRow("file named .bin opened as S-record")
        << "toolbar load"
        << "fw.bin" << HandS19 << int(ChipB32) << s19Row << QStringList{skipped}
        << int(ImageFormat::SRecord);
}

void TestRecordFiles::loadRecordFiles()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, chip);
    QFETCH(QByteArray, firstBytes);
    QFETCH(QStringList, messages);
    QFETCH(int, filter);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    QVERIFY(writeAll(path, content));

    Window w;
    selectChip(*w, chip);
    clickCell(*w, 5, 3);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("77"));
    // The notice comes once the grids show the new image.
    QString cellAtNotice;
    struct NoticeDialogs : ScriptedDialogs
    {
        std::function<void()> onMessage;
        void showMessage(const QString& text) override
        {
            ScriptedDialogs::showMessage(text);
            onMessage();
        }
    } dialogs;
    dialogs.onMessage = [&] { cellAtNotice = hexCell(*w, 1, 1); };
    dialogs.okCancelAnswers << true; // the typed byte is replaced
    if (filter >= 0)
        dialogs.openFormat = ImageFormat(filter);
    w->setDialogs(&dialogs);

    if (how == QLatin1String("drop")) {
        QCOMPARE(dropFile(*w, path), std::make_pair(true, true));
        QTRY_COMPARE(w->Label1->text(), path);
    } else if (how == QLatin1String("Ctrl+O")) {
        dialogs.openAnswers << path;
        QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs.openAsked, 1);
    } else {
        dialogs.openAnswers << path;
        runCommand(*w, how);
    }
    w->setDialogs(&w.dialogs);

    QCOMPARE(w->Label1->text(), path);
    QCOMPARE(dialogs.messages, messages);
    if (!messages.isEmpty())
        QCOMPARE(cellAtNotice, hexText(static_cast<unsigned char>(firstBytes[0])));
    for (int col = 1; col <= 16; ++col)
        QCOMPARE(hexCell(*w, col, 1), hexText(static_cast<unsigned char>(firstBytes[col - 1])));
    // The byte typed before was replaced. Past row 1 the image holds the rest of a raw file (whose
    // row 1 is its first 16 bytes) or is erased.
    const QByteArray rest = firstBytes == content.left(16) ? content.mid(16) : QByteArray();
    for (int i = 16; i < w->image().EepromSize; ++i) {
        const int value = i - 16 < rest.size() ? static_cast<unsigned char>(rest[i - 16]) : 0xFF;
        QCOMPARE(hexCell(*w, i % 16 + 1, i / 16 + 1), hexText(value));
    }
}

void TestRecordFiles::recordFileRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("checksum, menu")
        << "menu load"
        << "zly.s19" << QByteArray("S1070D0001020304E1\r\n\r\nS1050FFEAA55EF\r\n")
        << "Błąd w pliku, wiersz 3: zła suma kontrolna";
    QTest::newRow("nothing for the EEPROM, dropped")
        << "drop"
        << "zly.rec" << QByteArray("S10510001122B7\nS9030000FC\n")
        << "Plik nie zawiera danych dla EEPROM układu (0D00-0FFF)";
    QTest::newRow("data after the end, toolbar")
        << "toolbar load"
        << "zly.rec" << QByteArray(":020D0000BEEF44\n:00000001FF\n:020D0000BEEF44\n")
        << "Błąd w pliku, wiersz 3: dane po rekordzie końca";
    // Not records throughout and no record name: a raw image, too large for the chip.
    QTest::newRow("one bad line among 40 records, menu")
        << "menu load"
        << "zly.rec" << QByteArray("S1070D0001020304E1\r\n").repeated(40) + "S1050FFEAA55EF\r\n"
        << fileTooLargeMessage();
}

void TestRecordFiles::recordFileRefused()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("pierwszy.bin"));
    QVERIFY(writeAll(first, pattern(512, 9)));
    const QString path = dir.filePath(name);
    QVERIFY(writeAll(path, content));

    Window w;
    selectChip(*w, ChipB32);
    w.dialogs.openAnswers << first;
    runCommand(*w, QStringLiteral("menu load"));
    const EepromBufferType before = w->image().EepromBuffer;
    QSignalSpy changed(&w->model(), &QAbstractItemModel::dataChanged);

    if (how == QLatin1String("drop")) {
        QVERIFY(dropFile(*w, path).second);
        QTRY_COMPARE(w.dialogs.messages.size(), 1);
    } else {
        w.dialogs.openAnswers << path;
        runCommand(*w, how);
    }
    QCOMPARE(w.dialogs.messages, QStringList{message});
    QCOMPARE(w->Label1->text(), first);
    QVERIFY(w->image().EepromBuffer == before);
    QCOMPARE(changed.size(), 0);
}

void TestRecordFiles::saveFormats_data()
{
    QTest::addColumn<int>("chip");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("firstLines"); // the file's start
    QTest::addColumn<int>("lineCount");
    for (const int chip : {int(ChipB32), int(ChipD60)}) {
        const QByteArray chipName = chip == ChipB32 ? "68HC12B32" : "68HC12D60";
        const int rows = chip == ChipB32 ? 48 : 64;
        const QByteArray first = chip == ChipB32 ? "0D00" : "0C00";
        QTest::newRow(chipName + ", raw") << chip << "obraz.bin" << QByteArray("\x5A", 1) << 0;
        // Header, 16-byte data records at the EEPROM's addresses, count and end.
        QTest::newRow(chipName + ", S-record")
            << chip << "obraz.s19"
            << "S00A00004B45535452454CDB\r\nS113" + first + "5AFFFFFF" << rows + 3;
        QTest::newRow(chipName + ", Intel HEX") << chip << "obraz.HEX"
                                                << ":10" + first + "005AFFFFFF" << rows + 1;
    }
}

void TestRecordFiles::saveFormats()
{
    QFETCH(int, chip);
    QFETCH(QString, name);
    QFETCH(QByteArray, firstLines);
    QFETCH(int, lineCount);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);

    Window w;
    selectChip(*w, chip);
    const int size = w->image().EepromSize;
    for (int i = 1; i <= size; ++i)
        w->image().EepromBuffer[static_cast<std::size_t>(i)] = (i * 7 + 3) & 0xFF;
    w->image().EepromBuffer[1] = 0x5A;
    w->image().EepromBuffer[2] = w->image().EepromBuffer[3] = w->image().EepromBuffer[4] = 0xFF;
    const EepromBufferType saved = w->image().EepromBuffer;
    w.dialogs.saveAnswers << path;
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs.saveSuggestions.size(), 1);
    QVERIFY(w.dialogs.messages.isEmpty());

    const QByteArray file = readAll(path);
    QVERIFY2(file.startsWith(firstLines), file.left(80).constData());
    if (lineCount > 0) {
        QCOMPARE(file.count("\r\n"), lineCount);
        QCOMPARE(file.count('\n'), lineCount);
        QVERIFY(file.endsWith("\r\n"));
    } else {
        QCOMPARE(file.size(), size);
    }

    // Loaded back from an erased image: the same bytes, no notice.
    w->SpeedButton3Click();
    w.dialogs.openAnswers << path;
    w.dialogs.okCancelAnswers << true; // the fill is replaced
    runCommand(*w, QStringLiteral("toolbar load"));
    QVERIFY(w.dialogs.messages.isEmpty());
    for (int i = 1; i <= size; ++i)
        QCOMPARE(w->image().EepromBuffer[static_cast<std::size_t>(i)],
                 saved[static_cast<std::size_t>(i)]);
}

void TestRecordFiles::dropRefusedDuringTransfer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("fw.s19"));
    QVERIFY(writeAll(path, HandS19));

    Window w;
    selectChip(*w, ChipB32);
    w->setTransferActive(true);
    QCOMPARE(dropFile(*w, path), std::make_pair(false, false));
    // A drop that was queued before the transfer started is refused too.
    w->loadImageFrom(path);
    QTest::qWait(20);
    QCOMPARE(w->Label1->text(), QStringLiteral("Plik"));
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));
    QVERIFY(w.dialogs.messages.isEmpty());

    w->setTransferActive(false);
    QCOMPARE(dropFile(*w, path), std::make_pair(true, true));
    QTRY_COMPARE(w->Label1->text(), path);
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("01"));
    QCOMPARE(w.dialogs.openAsked, 0);
}

QTEST_MAIN(TestRecordFiles)
#include "tst_recordfiles.moc"
