// Loading and saving through the main window: the toolbar buttons, menu commands and shortcuts
// with scripted dialogs, and the questions and undo steps around unsaved changes.

#include "editing_window.h"
#include "../support/full_disk.h"

Q_DECLARE_METATYPE(kestrel::UnsavedAnswer)

using namespace kestrel;
using namespace kestrel::editingtest;

class TestEditingFiles : public QObject
{
    Q_OBJECT
private slots:
    void loadCommands_data();
    void loadCommands();
    void loadRefused_data();
    void loadRefused();
    void loadSizeFollowsSelectedChip();
    void loadRefusedDuringTransfer();
    void saveCommands_data();
    void saveCommands();
    void overwriteCancelThenOk();
    void failedSaveKeepsDisk_data();
    void failedSaveKeepsDisk();
    void saveAllowedDuringTransfer();
    void shortcuts();
    void bufferSteps_data();
    void bufferSteps();
    void unsavedQuestionAnswers_data();
    void unsavedQuestionAnswers();
};

void TestEditingFiles::loadCommands_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("fileSize");
    QTest::newRow("toolbar, 100 bytes") << "toolbar load" << 100;
    QTest::newRow("menu, 100 bytes") << "menu load" << 100;
    QTest::newRow("toolbar, empty") << "toolbar load" << 0;
    QTest::newRow("menu, whole chip") << "menu load" << 768;
}

void TestEditingFiles::loadCommands()
{
    QFETCH(QString, how);
    QFETCH(int, fileSize);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("obraz.bin"));
    const QByteArray bytes = pattern(fileSize, 5);
    QVERIFY(writeAll(path, bytes));

    Window w;
    selectChip(*w, ChipB32);
    clickCell(*w, 9, 7);
    QTest::keyClick(w->StringGrid1, '2');
    w.dialogs.openAnswers << path;
    w.dialogs.okCancelAnswers << true; // the typed digit is replaced
    QSignalSpy changed(&w->model(), &QAbstractItemModel::dataChanged);

    runCommand(*w, how);

    QCOMPARE(w.dialogs.openAsked, 1);
    QVERIFY(w.dialogs.messages.isEmpty());
    QCOMPARE(w->Label1->text(), path);
    QVERIFY(w->Label1->width() >= w->Label1->sizeHint().width());
    QVERIFY(wholeImageRefreshed(changed, 48));
    for (int i = 0; i < 768; ++i) {
        const int col = i % 16 + 1;
        const int row = i / 16 + 1;
        const int value = i < fileSize ? static_cast<unsigned char>(bytes[i]) : 0xFF;
        QCOMPARE(hexCell(*w, col, row), hexText(value));
        QCOMPARE(charCell(*w, col, row), charText(value));
    }
    // The cursor and its pending digit stay.
    QCOMPARE(w->image().CursorCol, 9);
    QCOMPARE(w->image().CursorRow, 7);
    QCOMPARE(w->image().NibbleCount, 1);
}

void TestEditingFiles::loadRefused_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("answer"); // cancel, missing, folder, large
    QTest::addColumn<bool>("message");
    for (const QString& how : {QStringLiteral("toolbar load"), QStringLiteral("menu load")}) {
        const QByteArray h = how.toLatin1();
        QTest::newRow(h + ", cancelled") << how << "cancel" << false;
        QTest::newRow(h + ", no such file") << how << "missing" << false;
        QTest::newRow(h + ", folder") << how << "folder" << false;
        QTest::newRow(h + ", one byte too large") << how << "large" << true;
    }
}

void TestEditingFiles::loadRefused()
{
    QFETCH(QString, how);
    QFETCH(QString, answer);
    QFETCH(bool, message);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("pierwszy.bin"));
    QVERIFY(writeAll(first, pattern(512, 9)));

    Window w;
    w.dialogs.openAnswers << first;
    runCommand(*w, QStringLiteral("toolbar load"));
    QCOMPARE(w->Label1->text(), first);
    const EepromBufferType before = w->image().EepromBuffer;

    if (answer == QLatin1String("cancel")) {
        w.dialogs.openAnswers << std::nullopt;
    } else if (answer == QLatin1String("missing")) {
        w.dialogs.openAnswers << dir.filePath(QStringLiteral("brak.bin"));
    } else if (answer == QLatin1String("folder")) {
        w.dialogs.openAnswers << dir.path();
    } else {
        const QString large = dir.filePath(QStringLiteral("duzy.bin"));
        QVERIFY(writeAll(large, pattern(513, 1)));
        w.dialogs.openAnswers << large;
    }
    QSignalSpy changed(&w->model(), &QAbstractItemModel::dataChanged);
    runCommand(*w, how);

    QCOMPARE(w.dialogs.openAsked, 2);
    QCOMPARE(w->Label1->text(), first);
    QVERIFY(w->image().EepromBuffer == before);
    QCOMPARE(changed.size(), 0);
    if (message)
        QCOMPARE(w.dialogs.messages, QStringList{fileTooLargeMessage()});
    else
        QVERIFY(w.dialogs.messages.isEmpty());
}

void TestEditingFiles::loadSizeFollowsSelectedChip()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("d60.bin"));
    const QByteArray bytes = pattern(1024, 3);

    Window w;
    selectChip(*w, ChipD60);
    for (int i = 0; i < 1024; ++i)
        w->image().EepromBuffer[static_cast<std::size_t>(i + 1)] =
            static_cast<unsigned char>(bytes[i]);
    w.dialogs.saveAnswers << path;
    runCommand(*w, QStringLiteral("menu save"));
    QCOMPARE(readAll(path), bytes);

    selectChip(*w, ChipB32);
    w.dialogs.openAnswers << path;
    runCommand(*w, QStringLiteral("toolbar load"));
    QCOMPARE(w.dialogs.messages, QStringList{fileTooLargeMessage()});
    QCOMPARE(w->Label1->text(), QStringLiteral("Plik"));
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));

    selectChip(*w, ChipD60);
    w.dialogs.openAnswers << path;
    runCommand(*w, QStringLiteral("toolbar load"));
    QCOMPARE(w.dialogs.messages.size(), 1);
    QCOMPARE(w->Label1->text(), path);
    QCOMPARE(hexCell(*w, 1, 1), hexText(static_cast<unsigned char>(bytes[0])));
    QCOMPARE(hexCell(*w, 16, 64), hexText(static_cast<unsigned char>(bytes[1023])));
}

void TestEditingFiles::loadRefusedDuringTransfer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("obraz.bin"));
    QVERIFY(writeAll(path, pattern(100, 2)));

    Window w;
    w->setTransferActive(true);
    w.dialogs.openAnswers << path << path;
    // The commands are disabled; even when run they ask for no file.
    w->SpeedButton1Click();
    w->Wczytajzdysku2Click();
    QCOMPARE(w.dialogs.openAsked, 0);
    QCOMPARE(w->Label1->text(), QStringLiteral("Plik"));
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));

    w->setTransferActive(false);
    runCommand(*w, QStringLiteral("menu load"));
    QCOMPARE(w.dialogs.openAsked, 1);
    QCOMPARE(w->Label1->text(), path);
}

void TestEditingFiles::saveCommands_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("chip");
    QTest::addColumn<int>("size");
    QTest::newRow("toolbar, 68HC12B32") << "toolbar save" << int(ChipB32) << 768;
    QTest::newRow("menu, 68HC12B32") << "menu save" << int(ChipB32) << 768;
    QTest::newRow("toolbar, 68HC12D60") << "toolbar save" << int(ChipD60) << 1024;
    QTest::newRow("menu, 68HC05") << "menu save" << int(Chip68HC05) << 256;
}

void TestEditingFiles::saveCommands()
{
    QFETCH(QString, how);
    QFETCH(int, chip);
    QFETCH(int, size);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zapis.bin"));

    Window w;
    selectChip(*w, chip);
    const int rows = size / 16;
    // First and last byte typed into the grid.
    clickCell(*w, 1, 1);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5a"));
    clickCell(*w, 16, rows);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("C3"));
    w->image().EepromBuffer[static_cast<std::size_t>(size + 1)] = 0x11; // past the chip
    w->setFileLabel(QStringLiteral("poprzedni.bin"));
    const EepromBufferType before = w->image().EepromBuffer;

    w.dialogs.saveAnswers << path;
    runCommand(*w, how);

    const QByteArray saved = readAll(path);
    QCOMPARE(saved.size(), size);
    QCOMPARE(static_cast<unsigned char>(saved.front()), 0x5A);
    QCOMPARE(static_cast<unsigned char>(saved.back()), 0xC3);
    QCOMPARE(saved.count(char(0xFF)), size - 2);
    QVERIFY(w.dialogs.questions.isEmpty());
    QVERIFY(w.dialogs.messages.isEmpty());
    QCOMPARE(w->Label1->text(), QStringLiteral("poprzedni.bin"));
    QVERIFY(w->image().EepromBuffer == before);

    // Loading it back gives the same image.
    clickCell(*w, 1, 1);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("00"));
    w.dialogs.openAnswers << path;
    w.dialogs.okCancelAnswers << true; // the typed byte is replaced
    runCommand(*w, QStringLiteral("menu load"));
    for (int i = 1; i <= size; ++i)
        QCOMPARE(w->image().EepromBuffer[static_cast<std::size_t>(i)],
                 before[static_cast<std::size_t>(i)]);
}

void TestEditingFiles::overwriteCancelThenOk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("istniejacy.bin"));
    const QByteArray old = pattern(2000, 7);
    QVERIFY(writeAll(path, old));

    Window w;
    clickCell(*w, 1, 1);
    QTest::keyClicks(w->StringGrid1, QStringLiteral("77"));

    // Cancel reopens the save dialog with the name chosen; cancelling that ends the command.
    w.dialogs.saveAnswers << path << std::nullopt;
    w.dialogs.okCancelAnswers << false;
    runCommand(*w, QStringLiteral("menu save"));
    QCOMPARE(w.dialogs.questions, QStringList{overwriteQuestion()});
    QCOMPARE(w.dialogs.saveSuggestions, QStringList({QString(), path}));
    QCOMPARE(readAll(path), old);

    // Cancel, the same name again, OK: the file is replaced by exactly the chip's bytes.
    w.dialogs.questions.clear();
    w.dialogs.saveSuggestions.clear();
    w.dialogs.saveAnswers << path << path;
    w.dialogs.okCancelAnswers << false << true;
    runCommand(*w, QStringLiteral("toolbar save"));
    QCOMPARE(w.dialogs.questions, QStringList({overwriteQuestion(), overwriteQuestion()}));
    QCOMPARE(w.dialogs.saveSuggestions, QStringList({QString(), path}));
    const QByteArray saved = readAll(path);
    QCOMPARE(saved.size(), 512);
    QCOMPARE(static_cast<unsigned char>(saved.front()), 0x77);
    QCOMPARE(saved.mid(1), QByteArray(511, char(0xFF)));
    QVERIFY(w.dialogs.messages.isEmpty());
}

void TestEditingFiles::failedSaveKeepsDisk_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason"); // the message's last line; empty: any
    QTest::newRow("missing folder") << "brak/plik.bin" << "";
    QTest::newRow("below a regular file") << "plik.txt/plik.bin" << "";
    QTest::newRow("a folder of that name") << "katalog" << "";
    // On a full disk plik.txt itself is replaced: it keeps its content.
    QTest::newRow("a full disk") << "plik.txt" << "Brak miejsca na dysku";
}

void TestEditingFiles::failedSaveKeepsDisk()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    testsupport::FullDisk disk;
    const bool full = !reason.isEmpty();
    if (full && !disk.mounted())
        QSKIP(qPrintable(disk.skipReason()));
    const auto filePath = [&](const QString& name) {
        return full ? disk.filePath(name) : dir.filePath(name);
    };
    QVERIFY(writeAll(filePath(QStringLiteral("plik.txt")), pattern(40, 1)));
    QVERIFY(QDir(full ? disk.path() : dir.path()).mkdir(QStringLiteral("katalog")));
    if (full)
        QVERIFY(disk.fill());
    const QStringList before = full ? disk.names() : listing(dir.path());
    const QString path = filePath(target);

    Window w;
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5A"));
    QVERIFY(w->isWindowModified());
    w.dialogs.saveAnswers << path;
    w.dialogs.okCancelAnswers << true;
    runCommand(*w, QStringLiteral("toolbar save"));

    QCOMPARE(w.dialogs.messages.size(), 1);
    const QStringList lines = w.dialogs.messages.front().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QStringLiteral("Nie można zapisać pliku:"));
    QCOMPARE(lines.at(1), path);
    QVERIFY(!lines.at(2).isEmpty());
    if (full)
        QCOMPARE(lines.at(2), reason);
    QCOMPARE(full ? disk.names() : listing(dir.path()), before);
    QCOMPARE(readAll(filePath(QStringLiteral("plik.txt"))), pattern(40, 1));
    QVERIFY(w->isWindowModified()); // nothing was saved
}

void TestEditingFiles::saveAllowedDuringTransfer()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("w_trakcie.bin"));
    const QByteArray old = pattern(300, 4);
    QVERIFY(writeAll(path, old));

    Window w;
    w->setTransferActive(true);
    QVERIFY(w->Zapissznadysk1->isEnabled());

    // A disk that fills up: the existing file survives the failed save byte for byte.
    w.dialogs.saveAnswers << path;
    w.dialogs.okCancelAnswers << true;
    {
        FileSizeLimit limit(100);
        QVERIFY(limit.ok());
        runCommand(*w, QStringLiteral("menu save"));
    }
    QCOMPARE(w.dialogs.messages.size(), 1);
    QVERIFY(w.dialogs.messages.front().startsWith(QStringLiteral("Nie można zapisać pliku:\n")));
    QCOMPARE(readAll(path), old);

    w.dialogs.saveAnswers << path;
    w.dialogs.okCancelAnswers << true;
    runCommand(*w, QStringLiteral("menu save"));
    QCOMPARE(readAll(path), QByteArray(512, char(0xFF)));
    QCOMPARE(w.dialogs.messages.size(), 1);
}

void TestEditingFiles::shortcuts()
{
    Window w;
    QCOMPARE(w->Wczytajzdysku2->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(w->Zapissznadysk1->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));

    // With the hex grid focused, the keys run the commands and type nothing.
    clickCell(*w, 1, 1);
    QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(w.dialogs.openAsked, 1);
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs.saveSuggestions.size(), 1);
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));
    QCOMPARE(w->image().NibbleCount, 0);

    QCOMPARE(w->Cofnij1->shortcuts(), QList<QKeySequence>{QKeySequence::fromString("Ctrl+Z")});
    QCOMPARE(w->Ponow1->shortcuts(), QKeySequence::listFromString("Ctrl+Y; Ctrl+Shift+Z"));
    QTest::keyClicks(w->StringGrid1, QStringLiteral("3c"));
    QTest::keyClick(w.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));

    // During a transfer the load is refused; saving stays allowed.
    w->setTransferActive(true);
    QTest::keyClick(w.form.get(), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(w.dialogs.openAsked, 1);
    QTest::keyClick(w.form.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(w.dialogs.saveSuggestions.size(), 2);
}

void TestEditingFiles::bufferSteps_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("typedBefore"); // a byte typed after the first file was loaded
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("question"); // what the step asks over a changed buffer
    QTest::addColumn<bool>("changedAfter");
    QTest::addColumn<bool>("changedAfterUndo");
    const QString load = loadOverChangesQuestion();
    const QString chip = chipChangeQuestion();
    const QString close = closeWithChangesQuestion();
    QTest::newRow("typed byte") << "5c" << false << false << "" << true << false;
    QTest::newRow("first digit only") << "7" << false << false << "" << true << false;
    QTest::newRow("toolbar fill") << "toolbar fill" << false << false << "" << true << false;
    QTest::newRow("menu fill, changed") << "menu fill" << true << false << "" << true << true;
    // Undone, the buffer no longer equals the file loaded last.
    QTest::newRow("toolbar load") << "toolbar load" << false << false << load << false << true;
    QTest::newRow("menu load, changed, OK") << "menu load" << true << true << load << false << true;
    QTest::newRow("drop, changed, OK") << "drop" << true << true << load << false << true;
    QTest::newRow("toolbar load, changed, Cancel")
        << "toolbar load" << true << false << load << false << false;
    QTest::newRow("drop, changed, Cancel") << "drop" << true << false << load << false << false;
    QTest::newRow("chip change") << "chip change" << false << false << chip << false << false;
    QTest::newRow("chip change, changed, OK")
        << "chip change" << true << true << chip << false << false;
    QTest::newRow("chip change, changed, Cancel")
        << "chip change" << true << false << chip << false << false;
    QTest::newRow("close") << "close" << false << false << close << false << false;
    QTest::newRow("close, changed, OK") << "close" << true << true << close << false << false;
    QTest::newRow("close, changed, Cancel") << "close" << true << false << close << false << false;
}

void TestEditingFiles::bufferSteps()
{
    QFETCH(QString, step);
    QFETCH(bool, typedBefore);
    QFETCH(bool, answer);
    QFETCH(QString, question);
    QFETCH(bool, changedAfter);
    QFETCH(bool, changedAfterUndo);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("pierwszy.bin"));
    const QString second = dir.filePath(QStringLiteral("drugi.bin"));
    QVERIFY(writeAll(first, pattern(768, 4)) && writeAll(second, pattern(700, 8)));
    Window w;
    selectChip(*w, ChipB32);
    w.dialogs.openAnswers << first << second;
    runCommand(*w, QStringLiteral("toolbar load"));
    if (typedBefore)
        QTest::keyClicks(w->StringGrid1, QStringLiteral("99"));
    const EepromBufferType before = w->image().EepromBuffer;

    w.dialogs.okCancelAnswers << answer;
    clickCell(*w, 3, 2);
    bool closed = false;
    if (step == QLatin1String("toolbar fill"))
        w->SpeedButton3->click();
    else if (step == QLatin1String("menu fill"))
        w->Wype1->trigger();
    else if (step == QLatin1String("drop"))
        QVERIFY(dropFile(*w, second).second);
    else if (step == QLatin1String("chip change"))
        w->ComboBox2->setCurrentIndex(ChipD60);
    else if (step == QLatin1String("close"))
        closed = w->close();
    else if (step.endsWith(QLatin1String("load")))
        runCommand(*w, step);
    else
        QTest::keyClicks(w->StringGrid1, step);
    QCoreApplication::processEvents(); // a dropped file loads once the drop has returned
    const bool asked = typedBefore && !question.isEmpty();
    QCOMPARE(w.dialogs.questions, asked ? QStringList{question} : QStringList());
    if (asked && !answer) {
        // Nothing happened: no file asked for, the chip shown again without reshaping.
        QCOMPARE(w.dialogs.openAsked, 1);
        QCOMPARE(w->ComboBox2->currentIndex(), ChipB32);
        QCOMPARE(w->model().rowCount(), 48);
        QVERIFY(showsImage(*w, before));
        QVERIFY(w->isWindowModified() && !closed);
        return;
    }
    if (step == QLatin1String("close")) {
        QVERIFY(closed);
        return;
    }
    if (step == QLatin1String("chip change")) {
        // A new buffer with an empty history.
        QCOMPARE(w->model().rowCount(), 64);
        QCOMPARE(hexCell(*w, 1, 1), QStringLiteral("FF"));
        QVERIFY(!w->Cofnij1->isEnabled() && !w->isWindowModified());
        return;
    }
    const EepromBufferType after = w->image().EepromBuffer;
    QVERIFY(after != before);
    QCOMPARE(w->windowHandle()->title(),
             changedAfter ? QStringLiteral("KESTREL v1.0*") : QStringLiteral("KESTREL v1.0"));
    w->Cofnij1->trigger();
    QVERIFY(showsImage(*w, before));
    QCOMPARE(w->isWindowModified(), changedAfterUndo);
    w->Ponow1->trigger();
    QVERIFY(showsImage(*w, after));
    QCOMPARE(w->isWindowModified(), changedAfter);
}

void TestEditingFiles::unsavedQuestionAnswers_data()
{
    QTest::addColumn<QString>("step");
    QTest::addColumn<bool>("named");    // the buffer came from a file, which the save writes
    QTest::addColumn<UnsavedAnswer>("answer");
    QTest::addColumn<QString>("saveAs"); // the save dialog's answer: "" cancelled, "-" not asked
    QTest::addColumn<bool>("saved");     // the typed byte reached a file
    QTest::addColumn<bool>("wentOn");
    using A = UnsavedAnswer;
    QTest::newRow("close, save to its file") << "close" << true << A::Save << "-" << true << true;
    QTest::newRow("close, save, no name") << "close" << false << A::Save << "new.bin" << true << true;
    QTest::newRow("close, save dialog cancelled") << "close" << false << A::Save << "" << false << false;
    QTest::newRow("close, save fails") << "close" << true << A::Save << "gone" << false << false;
    QTest::newRow("close, discard") << "close" << true << A::Discard << "-" << false << true;
    QTest::newRow("close, cancel") << "close" << true << A::Cancel << "-" << false << false;
    QTest::newRow("load, save, then load") << "load" << true << A::Save << "-" << true << true;
    QTest::newRow("load, save fails") << "load" << true << A::Save << "gone" << false << false;
    QTest::newRow("chip change, save") << "chip change" << true << A::Save << "-" << true << true;
    QTest::newRow("chip change, cancel") << "chip change" << false << A::Cancel << "-" << false << false;
}

// Before unsaved changes go, "Zapisz" saves and goes on; nothing is lost when it cannot save.
void TestEditingFiles::unsavedQuestionAnswers()
{
    QFETCH(QString, step);
    QFETCH(bool, named);
    QFETCH(QString, saveAs);
    QTemporaryDir dir;
    const QString gone = dir.filePath(QStringLiteral("gone"));
    const QString file = QDir(named && saveAs == QLatin1String("gone") ? gone : dir.path())
                             .filePath(QStringLiteral("plik.bin"));
    QVERIFY(QDir().mkpath(QFileInfo(file).path()) && writeAll(file, pattern(768, 4)));
    QVERIFY(pattern(768, 4).at(0) != '\x5C');
    Window w;
    selectChip(*w, ChipB32);
    if (named) {
        w.dialogs.openAnswers << file;
        runCommand(*w, QStringLiteral("toolbar load"));
    }
    QTest::keyClicks(w->StringGrid1, QStringLiteral("5c"));
    if (saveAs == QLatin1String("gone")) // the file's folder went away meanwhile
        QVERIFY(QDir(gone).removeRecursively());
    else if (saveAs != QLatin1String("-"))
        w.dialogs.saveAnswers << (saveAs.isEmpty() ? std::optional<QString>() : dir.filePath(saveAs));
    w.dialogs.openAnswers << file;
    QFETCH(UnsavedAnswer, answer);
    w.dialogs.unsavedAnswers << answer;
    bool closed = false;
    if (step == QLatin1String("close"))
        closed = w->close();
    else if (step == QLatin1String("load"))
        runCommand(*w, QStringLiteral("toolbar load"));
    else
        w->ComboBox2->setCurrentIndex(ChipD60);
    QCOMPARE(w.dialogs.questions.size(), 1);
    QCOMPARE(w.dialogs.saveSuggestions.size(), saveAs == QLatin1String("-") || named ? 0 : 1);
    const QString written = saveAs.isEmpty() || saveAs == QLatin1String("-") || named
                                ? file : dir.filePath(saveAs);
    QTEST(readAll(written).startsWith('\x5C'), "saved");
    QFETCH(bool, wentOn);
    if (step == QLatin1String("close"))
        QCOMPARE(closed, wentOn);
    else if (step == QLatin1String("load"))
        QCOMPARE(w.dialogs.openAsked, wentOn ? 2 : 1);
    else
        QCOMPARE(w->ComboBox2->currentIndex(), wentOn ? ChipD60 : ChipB32);
    // Gone back, the typed byte is still there and unsaved; saved, nothing is unsaved.
    if (!wentOn)
        QVERIFY(w->isWindowModified() && hexCell(*w, 1, 1) == QStringLiteral("5C"));
    QFETCH(bool, saved);
    if (saved)
        QVERIFY(!w->isWindowModified());
    QCOMPARE(w.dialogs.messages.size(), saveAs == QLatin1String("gone") ? 1 : 0);
}

QTEST_MAIN(TestEditingFiles)
#include "tst_editingfiles.moc"
