#include "application.h"
#include "main_window.h"

#include <exception>

int main(int argc, char** argv)
{
    kestrel::Application app(argc, argv);
    try {
        kestrel::TForm1 form;
        form.show();
        form.activateWindow();
        app.exec();
    } catch (const std::exception& error) {
        kestrel::Application::showException(error);
    }
    return 0;
}
