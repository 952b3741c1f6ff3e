#include "application.h"

#include <QMessageBox>

namespace kestrel {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error);
    } catch (...) {
        showException(std::runtime_error("Unknown error"));
    }
    return false;
}

void Application::showException(const std::exception& error)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    QString::fromUtf8(error.what()), QMessageBox::Ok);
    box.exec();
}

} // namespace kestrel
