#include "sim_serve.h"

#include "pty_server.h"
#include "simulator.h"

#include <QFile>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace kestrel::sim {

namespace {

int stopPipe[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto r = ::write(stopPipe[1], &c, 1);
}

int fail(const QString& text)
{
    std::fprintf(stderr, "kestrel-sim: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int serveAdapter(const SimOptions& options)
{
    Simulator simulator(options.chip, options.faults);
    if (options.eepromFile) {
        // A device or a pipe could be endless or block; one byte more than the EEPROM holds
        // tells a file that is too large.
        const QFileInfo info(*options.eepromFile);
        if (info.exists() && !info.isFile())
            return fail(QStringLiteral("%1 is not a regular file").arg(info.filePath()));
        QFile file(*options.eepromFile);
        if (!file.open(QIODevice::ReadOnly))
            return fail(
                QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        const QByteArray data = file.read(chipModel(options.chip).eepromSize() + 1);
        const std::vector<std::uint8_t> bytes(data.begin(), data.end());
        if (!simulator.modify([&](Target& t) { return t.loadEeprom(bytes); }))
            return fail(QStringLiteral("%1 is larger than the EEPROM").arg(file.fileName()));
    }

    if (::pipe2(stopPipe, O_CLOEXEC) != 0)
        return fail(QStringLiteral("pipe failed"));
    struct sigaction sa
    {
    };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    PtyServer server(simulator);
    std::string error;
    if (!server.open(error))
        return fail(QString::fromStdString(error));
    const QString& link = options.linkPath;
    if (!link.isEmpty()) {
        // A link left by an earlier run is replaced; anything else at PATH is kept.
        if (QFileInfo(link).isSymLink())
            QFile::remove(link);
        else if (QFileInfo::exists(link))
            return fail(QStringLiteral("%1 exists and is no symbolic link").arg(link));
        if (::symlink(server.slavePath().c_str(), QFile::encodeName(link).constData()) != 0)
            return fail(QStringLiteral("cannot make the link %1").arg(link));
    }
    std::printf("%s on %s%s%s\n", std::string(chipModel(options.chip).name).c_str(),
                server.slavePath().c_str(), link.isEmpty() ? "" : " -> ", qPrintable(link));
    std::fflush(stdout);

    server.markServing(raiseServingPriority());
    const bool interrupted = server.serve(stopPipe[0]);
    // serve() also stops when waiting on the terminal fails; only the fault hangs up.
    const bool hungUp = !interrupted && simulator.hungUp();
    if (hungUp)
        std::printf("line hung up (fault)\n");
    server.close();
    if (!link.isEmpty() &&
        QFileInfo(link).symLinkTarget() == QString::fromStdString(server.slavePath()))
        QFile::remove(link);

    int rc = 0;
    if (!interrupted && !hungUp) {
        std::fprintf(stderr, "kestrel-sim: serving the pseudo-terminal failed\n");
        rc = 1;
    }
    if (options.saveEepromFile) {
        const auto bytes = simulator.eeprom();
        QFile file(*options.saveEepromFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
            std::fprintf(stderr, "kestrel-sim: cannot write %s\n", qPrintable(file.fileName()));
            rc = 1;
        }
    }
    if (options.logFile) {
        const bool ok = simulator.inspect([&](const Target&, const Adapter& a) {
            return a.writeTranscript(options.logFile->toStdString());
        });
        if (!ok) {
            std::fprintf(stderr, "kestrel-sim: cannot write %s\n", qPrintable(*options.logFile));
            rc = 1;
        }
    }
    std::printf("%s", simulator.summary().c_str());
    return rc;
}

} // namespace kestrel::sim
