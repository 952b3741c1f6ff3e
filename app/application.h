#pragma once

#include <QApplication>

#include <exception>

namespace kestrel {

// The application object, with Qt's Polish translation installed. An exception that escapes an
// event handler is shown in a message box and the event loop goes on.
class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The message box for an exception, captioned with the application's title.
    static void showException(const std::exception& error);
};

} // namespace kestrel
