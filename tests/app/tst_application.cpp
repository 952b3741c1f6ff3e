#include "application.h"

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

int main(int argc, char** argv)
{
    kestrel::Application app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
