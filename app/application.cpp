#include "application.h"

#include "qt_translation.h"

#include <QMessageBox>

namespace kestrel {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    // Qt's standard dialogs and texts in Polish; without the translation they stay as Qt has them.
    (void)installQtPolishTranslation(*this);
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
