#include "widget_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace kestrel;

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
    void message();
    void okCancel_data();
    void okCancel();
};

void TestWidgetDialogs::openDialog_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accept");
    QTest::newRow("existing file") << "obraz.bin" << true;
    QTest::newRow("name of no file") << "brak.hex" << true;
    QTest::newRow("cancelled") << "obraz.bin" << false;
}

void TestWidgetDialogs::openDialog()
{
    QFETCH(QString, name);
    QFETCH(bool, accept);
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
        if (accept) {
            typeFileName(*dialog, path);
            static_cast<QDialog*>(dialog)->accept();
        } else {
            dialog->reject();
        }
    });
    const std::optional<QString> chosen = dialogs.askOpenFile();

    QVERIFY(answer.answered());
    QCOMPARE(filters,
             QStringList({QStringLiteral("*.bin (*.bin)"), QStringLiteral("wszystkie (*)")}));
    QCOMPARE(preselected, QStringLiteral("*.bin"));
    // What the user reads in the list of file types.
    QCOMPARE(shownTypes, QStringList({QStringLiteral("*.bin"), QStringLiteral("wszystkie")}));
    QCOMPARE(shownType, QStringLiteral("*.bin"));
    QCOMPARE(mode, QFileDialog::AcceptOpen);
    if (accept)
        QCOMPARE(chosen, std::optional<QString>(path));
    else
        QVERIFY(!chosen);
}

void TestWidgetDialogs::saveDialog_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("suggest");
    QTest::newRow("new file") << false << false;
    QTest::newRow("existing file, no question of its own") << true << false;
    QTest::newRow("reopened with the name chosen") << true << true;
}

void TestWidgetDialogs::saveDialog()
{
    QFETCH(bool, exists);
    QFETCH(bool, suggest);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zapis.bin"));
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
        if (!suggest)
            typeFileName(*dialog, path);
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> chosen = dialogs.askSaveFile(suggest ? path : QString());

    QVERIFY(answer.answered());
    QCOMPARE(mode, QFileDialog::AcceptSave);
    if (suggest)
        QCOMPARE(shownName, QStringList{path});
    QCOMPARE(chosen, std::optional<QString>(path));
    QCOMPARE(answer.extraModals(), 0);
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

QTEST_MAIN(TestWidgetDialogs)
#include "tst_widgetdialogs.moc"
