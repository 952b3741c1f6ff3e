#include "widget_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace kestrel;

Q_DECLARE_METATYPE(std::optional<kestrel::ImageFormat>)

namespace {

// Runs `answer` on the next modal dialog once it shows, then lets its exec() return.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(std::function<void(QWidget*)> answer) : m_answer(std::move(answer))
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalAnswer::poll);
        m_timer.start(5);
    }
    [[nodiscard]] bool answered() const { return m_answered; }
    // Further modal dialogs seen after the answer (a question the dialog asked on its own).
    [[nodiscard]] int extraModals() const { return m_extra; }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (m_answered) {
            // A question of the dialog's own is closed, and then the dialog.
            // A dialog that ignored its answer is closed after a second.
            if (modal != m_first)
                ++m_extra;
            if (modal != m_first || m_extra > 0 || ++m_stalePolls > 200)
                modal->close();
            return;
        }
        m_first = modal;
        m_answered = true;
        // Answered outside the timer, which may not fire again while its handler runs.
        QMetaObject::invokeMethod(
            this,
            [this, dialog = QPointer<QWidget>(modal)] {
                if (dialog)
                    m_answer(dialog);
            },
            Qt::QueuedConnection);
    }

    std::function<void(QWidget*)> m_answer;
    QTimer m_timer;
    QPointer<QWidget> m_first;
    bool m_answered = false;
    int m_extra = 0;
    int m_stalePolls = 0;
};

// Types a name into the dialog's file-name field, as the user would.
void typeFileName(QFileDialog& dialog, const QString& name)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
}

} // namespace

class TestWidgetDialogs : public QObject
{
    Q_OBJECT
private slots:
    void openDialog_data();
    void openDialog();
    void saveDialog_data();
    void saveDialog();
    void filterExtension_data();
    void filterExtension();
    void message();
    void okCancel_data();
    void okCancel();
    void runLongKeepsWindowDrawing();
};

void TestWidgetDialogs::openDialog_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("filter"); // the file type chosen, -1 for the preselected one
    QTest::addColumn<std::optional<ImageFormat>>("format");
    const std::optional<ImageFormat> byFile;
    QTest::newRow("existing file") << "obraz.bin" << true << -1 << byFile;
    QTest::newRow("name of no file") << "brak.hex" << true << -1 << byFile;
    QTest::newRow("cancelled") << "obraz.bin" << false << -1 << byFile;
    // The file type chosen names the format, whatever the file's name.
    QTest::newRow("binary image") << "obraz.s19" << true << 1 << std::optional(ImageFormat::Raw);
    QTest::newRow("S-record") << "obraz.bin" << true << 2 << std::optional(ImageFormat::SRecord);
    QTest::newRow("Intel HEX") << "obraz" << true << 3 << std::optional(ImageFormat::IntelHex);
    QTest::newRow("ELF") << "obraz.bin" << true << 4 << std::optional(ImageFormat::Elf);
    QTest::newRow("any file") << "obraz.hex" << true << 5 << byFile;
}

void TestWidgetDialogs::openDialog()
{
    QFETCH(QString, name);
    QFETCH(bool, accept);
    QFETCH(int, filter);
    QFETCH(std::optional<ImageFormat>, format);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("obraz.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = dir.filePath(name);

    QWidget parent;
    WidgetDialogs dialogs(&parent);
    QStringList filters;
    QString preselected;
    QStringList shownTypes;
    QString shownType;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
    ModalAnswer answer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        filters = dialog->nameFilters();
        preselected = dialog->selectedNameFilter();
        if (auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
            for (int i = 0; i < types->count(); ++i)
                shownTypes << types->itemText(i);
            shownType = types->currentText();
        }
        mode = dialog->acceptMode();
        if (filter >= 0)
            dialog->selectNameFilter(dialog->nameFilters().at(filter));
        if (accept) {
            typeFileName(*dialog, path);
            static_cast<QDialog*>(dialog)->accept();
        } else {
            dialog->reject();
        }
    });
    const std::optional<OpenChoice> chosen = dialogs.askOpenImage();

    QVERIFY(answer.answered());
    const QStringList expected = {
        QStringLiteral(
            "Wszystkie obrazy (*.bin *.s19 *.s28 *.s37 *.srec *.mot *.sx *.hex *.ihex *.ihx *.elf "
            "*.out)"),
        QStringLiteral("Obraz binarny (*.bin)"),
        QStringLiteral("S-record (*.s19 *.s28 *.s37 *.srec *.mot *.sx)"),
        QStringLiteral("Intel HEX (*.hex *.ihex *.ihx)"),
        QStringLiteral("ELF (*.elf *.out)"),
        QStringLiteral("wszystkie (*)")};
    QCOMPARE(filters, expected);
    QCOMPARE(preselected, expected.front());
    // What the user reads in the list of file types.
    QCOMPARE(shownTypes, expected);
    QCOMPARE(shownType, expected.front());
    QCOMPARE(mode, QFileDialog::AcceptOpen);
    QVERIFY(chosen.has_value() == accept);
    if (accept) {
        QCOMPARE(chosen->path, path);
        QCOMPARE(chosen->format, format);
    }
}

void TestWidgetDialogs::saveDialog_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("suggest");
    QTest::addColumn<QString>("typed");      // what the user types; the name is zapis.bin otherwise
    QTest::addColumn<int>("filter");         // the file type chosen, -1 for the preselected one
    QTest::addColumn<QString>("chosenName"); // the name the dialog gives
    QTest::newRow("new file") << false << false << "" << -1 << "zapis.bin";
    QTest::newRow("existing file, no question of its own")
        << true << false << "" << -1 << "zapis.bin";
    QTest::newRow("reopened with the name chosen") << true << true << "" << -1 << "zapis.bin";
    QTest::newRow("no extension, *.bin") << false << false << "zapis" << -1 << "zapis.bin";
    QTest::newRow("no extension, S-record") << false << false << "zapis" << 1 << "zapis.s19";
    QTest::newRow("no extension, Intel HEX") << false << false << "zapis" << 2 << "zapis.hex";
    QTest::newRow("own extension kept") << false << false << "zapis.s28" << 2 << "zapis.s28";
}

void TestWidgetDialogs::saveDialog()
{
    QFETCH(bool, exists);
    QFETCH(bool, suggest);
    QFETCH(QString, typed);
    QFETCH(int, filter);
    QFETCH(QString, chosenName);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zapis.bin"));
    const QString typedPath = typed.isEmpty() ? path : dir.filePath(typed);
    QStringList filters;
    QString preselected;
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    QWidget parent;
    WidgetDialogs dialogs(&parent);
    QStringList shownName;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    ModalAnswer answer([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        shownName = dialog->selectedFiles();
        mode = dialog->acceptMode();
        filters = dialog->nameFilters();
        preselected = dialog->selectedNameFilter();
        if (filter >= 0)
            dialog->selectNameFilter(dialog->nameFilters().at(filter));
        if (!suggest)
            typeFileName(*dialog, typedPath);
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = dialogs.askSaveFile(suggest ? path : QString());

    QVERIFY(answer.answered());
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QCOMPARE(filters, QStringList({QStringLiteral("*.bin"), QStringLiteral("S-record (*.s19)"),
                                   QStringLiteral("Intel HEX (*.hex)")}));
    QCOMPARE(preselected, QStringLiteral("*.bin"));
    if (suggest)
        QCOMPARE(shownName, QStringList{path});
    QCOMPARE(chosen, std::optional<QString>(dir.filePath(chosenName)));
    QCOMPARE(answer.extraModals(), 0);
}

void TestWidgetDialogs::filterExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bin") << "/tmp/obraz"
                         << "*.bin"
                         << "/tmp/obraz.bin";
    QTest::newRow("S-record") << "/tmp/obraz"
                              << "S-record (*.s19)"
                              << "/tmp/obraz.s19";
    QTest::newRow("Intel HEX") << "obraz"
                               << "Intel HEX (*.hex)"
                               << "obraz.hex";
    QTest::newRow("trailing dot") << "obraz."
                                  << "Intel HEX (*.hex)"
                                  << "obraz.hex";
    QTest::newRow("any extension stays") << "obraz.dat"
                                         << "S-record (*.s19)"
                                         << "obraz.dat";
    QTest::newRow("a dot in the folder only") << "/tmp/a.b/obraz"
                                              << "S-record (*.s19)"
                                              << "/tmp/a.b/obraz.s19";
    QTest::newRow("filter without a pattern") << "obraz"
                                              << "wszystkie (*)"
                                              << "obraz";
}

void TestWidgetDialogs::filterExtension()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(WidgetDialogs::withFilterExtension(name, filter), expected);
}

void TestWidgetDialogs::message()
{
    QWidget parent;
    WidgetDialogs dialogs(&parent);
    QString title;
    QString text;
    int buttons = 0;
    ModalAnswer answer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        title = box->windowTitle();
        text = box->text();
        buttons = static_cast<int>(box->standardButtons());
        box->button(QMessageBox::Ok)->click();
    });
    dialogs.showMessage(QStringLiteral("Rozmiar pliku przekracza pojemnosc pamieci EEPROM !"));

    QVERIFY(answer.answered());
    // The executable's name.
    QCOMPARE(title, QStringLiteral("tst_widgetdialogs"));
    QCOMPARE(text, QStringLiteral("Rozmiar pliku przekracza pojemnosc pamieci EEPROM !"));
    QCOMPARE(buttons, static_cast<int>(QMessageBox::Ok));
}

void TestWidgetDialogs::okCancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("expected");
    QTest::newRow("OK") << "ok" << true;
    QTest::newRow("Enter takes the default OK") << "enter" << true;
    QTest::newRow("Cancel") << "cancel" << false;
    QTest::newRow("Escape") << "escape" << false;
    QTest::newRow("closed") << "close" << false;
}

void TestWidgetDialogs::okCancel()
{
    QFETCH(QString, how);
    QFETCH(bool, expected);
    QWidget parent;
    WidgetDialogs dialogs(&parent);
    int buttons = 0;
    ModalAnswer answer([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            modal->close();
            return;
        }
        buttons = static_cast<int>(box->standardButtons());
        if (how == QLatin1String("ok"))
            box->button(QMessageBox::Ok)->click();
        else if (how == QLatin1String("cancel"))
            box->button(QMessageBox::Cancel)->click();
        else if (how == QLatin1String("enter"))
            QTest::keyClick(box, Qt::Key_Return);
        else if (how == QLatin1String("escape"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->close();
    });
    const bool ok = dialogs.askOkCancel(
        QStringLiteral("Plik o podanej nazwie juz istnieje ! Czy zamienic istniejący plik ?"));

    QVERIFY(answer.answered());
    QCOMPARE(buttons, static_cast<int>(QMessageBox::Ok | QMessageBox::Cancel));
    QCOMPARE(ok, expected);
}

void TestWidgetDialogs::runLongKeepsWindowDrawing()
{
    QWidget parent;
    WidgetDialogs dialogs(&parent);

    // Short work: done on a thread of its own, no wait cursor.
    Qt::HANDLE workThread = nullptr;
    dialogs.runLong([&] { workThread = QThread::currentThreadId(); });
    QVERIFY(workThread != nullptr);
    QVERIFY(workThread != QThread::currentThreadId());
    QVERIFY(!QApplication::overrideCursor());

    // Long work: timers keep firing meanwhile, under the wait cursor.
    int ticks = 0;
    bool waitCursor = false;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] {
        ++ticks;
        waitCursor = waitCursor || (QApplication::overrideCursor() &&
                                    QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    });
    timer.start(10);
    bool done = false;
    dialogs.runLong([&] {
        QThread::msleep(400);
        done = true;
    });
    QVERIFY(done);
    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QVERIFY(waitCursor);
    QVERIFY(!QApplication::overrideCursor());
}

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
