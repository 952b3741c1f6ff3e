#include "application.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <stdexcept>

namespace {

class Thrower : public QObject
{
public:
    int delivered = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Błąd w obsłudze zdarzenia");
        if (e->type() == QEvent::Type(QEvent::User + 2))
            throw 42;
        if (e->type() == QEvent::Type(QEvent::User + 1)) {
            ++delivered;
            return true;
        }
        return QObject::event(e);
    }
};

// Closes the first message box that comes up and remembers what it showed.
struct BoxWatcher
{
    QString title;
    QString text;
    int shown = 0;
    QTimer timer;

    BoxWatcher()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                ++shown;
                box->accept();
            }
        });
        timer.start();
    }
};

} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private slots:
    void handlerExceptionIsShownAndEventsGoOn();
    void unknownExceptionIsShownInPolish();
    void standardButtonsArePolish_data();
    void standardButtonsArePolish();
};

void TestApplication::handlerExceptionIsShownAndEventsGoOn()
{
    BoxWatcher watcher;
    Thrower thrower;
    QEvent failing(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &failing);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.text, QStringLiteral("Błąd w obsłudze zdarzenia"));
    QCOMPARE(watcher.title, QCoreApplication::applicationName());

    // The event loop keeps delivering.
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
    QTRY_COMPARE(thrower.delivered, 1);
    QCOMPARE(watcher.shown, 1);
}

void TestApplication::unknownExceptionIsShownInPolish()
{
    BoxWatcher watcher;
    Thrower thrower;
    QEvent failing(QEvent::Type(QEvent::User + 2));
    QCoreApplication::sendEvent(&thrower, &failing);
    QCOMPARE(watcher.shown, 1);
    QCOMPARE(watcher.text, QStringLiteral("Nieznany błąd"));
}

void TestApplication::standardButtonsArePolish_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << QStringLiteral("Anuluj");
    QTest::newRow("open") << int(QMessageBox::Open) << QStringLiteral("Otwórz");
    QTest::newRow("yes") << int(QMessageBox::Yes) << QStringLiteral("&Tak");
}

void TestApplication::standardButtonsArePolish()
{
    // The application installs Qt's Polish translation as it starts.
    QFETCH(int, button);
    QFETCH(QString, text);
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::StandardButton(button));
    QCOMPARE(box.button(QMessageBox::StandardButton(button))->text(), text);
}

int main(int argc, char** argv)
{
    kestrel::Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
