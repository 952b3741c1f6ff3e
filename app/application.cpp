#include "application.h"

#include "qt_translation.h"

#include <QMessageBox>

namespace kestrel {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // The system's UI language: Polish, Qt's standard dialogs with it, or English.
    (void)installSystemTranslations(*this);
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(error);
    } catch (...) {
        showException(
            std::runtime_error(QCoreApplication::translate("app", "Nieznany błąd").toStdString()));
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
