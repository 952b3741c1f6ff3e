#include "application.h"
#include "main_window.h"
#include "sim_transport.h"

#include <exception>

int main(int argc, char** argv)
{
    kestrel::Application app(argc, argv);
    // "SYMULATOR" in the port list: the built-in simulated adapters, one per chip.
    kestrel::sim::registerSimulatorTransport();
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
