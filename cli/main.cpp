// kestrel-cli: reads, programs and verifies the EEPROM of 68HC12 chips from scripts.

#include "cli_app.h"
#include "exit_codes.h"
#include "file_names.h"
#include "qt_translation.h"
#include "sim_transport.h"
#include "standard_descriptors.h"
#include "standard_output.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The transfers stop at their next frame boundary; a second signal ends the process at once.
extern "C" void onSignal(int signal)
{
    interrupted.store(true);
    std::signal(signal, SIG_DFL);
}

bool stderrIsTerminal()
{
#if defined(Q_OS_UNIX)
    return ::isatty(2) != 0;
#elif defined(Q_OS_WIN)
    return ::_isatty(2) != 0;
#else
    return false;
#endif
}

} // namespace

int main(int argc, char* argv[])
{
    // Before anything is opened: a closed 0, 1 or 2 would otherwise go to the first file opened.
    if (!kestrel::openClosedStandardDescriptors())
        return kestrel::cli::ExitFile;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));

    // The system's UI language: Polish, Qt's own texts (the parser's errors) with it, or English.
    // What scripts read (--json, --log, exit codes, files) is the same in every language.
    (void)kestrel::installSystemTranslations(app);

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    QFile in;
    QFile err;
    (void)in.open(stdin, QIODevice::ReadOnly);
    (void)err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    // Standard output straight to its descriptor, every write checked (CheckedOutput).
    kestrel::cli::DescriptorOutput out(1);

    // Each --port SYMULATOR a simulated adapter of its own, erased at each run.
    const kestrel::sim::PortSimulators simulators;
    simulators.registerTransport();

    kestrel::cli::CliEnvironment env;
    env.in = &in;
    env.out = &out;
    env.err = &err;
    env.errIsTerminal = stderrIsTerminal();
    env.cancel = &interrupted;
    kestrel::cli::CliApp cli(std::move(env));
    // File names as the system gives them, bytes that are not UTF-8 included.
    int code = cli.run(kestrel::argumentsFromSystem(argc, argv));
    if (const QString reason = out.closeDescriptor(); !reason.isEmpty()) {
        err.write(("kestrel-cli: " + kestrel::cli::standardOutputFailed(reason) + u'\n').toUtf8());
        code = std::max(code, int(kestrel::cli::ExitFile));
    }
    err.close();
    return code;
}
