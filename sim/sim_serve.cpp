#include "sim_serve.h"

#include "pty_server.h"
#include "simulator.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
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

// Fills the target's EEPROM from the file; why it could not, or nothing.
QString loadEepromFile(Simulator& simulator, ChipKind chip, const QString& path)
{
    // A device or a pipe could be endless or block; one byte more than the EEPROM holds tells a
    // file that is too large.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("%1 is not a regular file").arg(info.filePath());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString());
    const QByteArray data = file.read(chipModel(chip).eepromSize() + 1);
    const std::vector<std::uint8_t> bytes(data.begin(), data.end());
    if (!simulator.modify([&](Target& t) { return t.loadEeprom(bytes); }))
        return QStringLiteral("%1 is larger than the EEPROM").arg(file.fileName());
    return {};
}

// SIGINT and SIGTERM write to the stop pipe, which ends the serving.
[[nodiscard]] bool catchStopSignals()
{
    if (::pipe2(stopPipe, O_CLOEXEC) != 0)
        return false;
    struct sigaction sa
    {
    };
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    return true;
}

// The symbolic link at path to the pseudo-terminal; why it could not be made, or nothing.
QString makeLink(const QString& path, const std::string& slavePath)
{
    // A link left by an earlier run is replaced; anything else at PATH is kept.
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    else if (QFileInfo::exists(path))
        return QStringLiteral("%1 exists and is no symbolic link").arg(path);
    if (::symlink(slavePath.c_str(), QFile::encodeName(path).constData()) != 0)
        return QStringLiteral("cannot make the link %1").arg(path);
    return {};
}

// The files asked for after serving: the EEPROM and the transcript. 1 when one of them could not
// be written, else 0.
int writeResultFiles(const SimOptions& options, Simulator& simulator)
{
    int rc = 0;
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
    return rc;
}

} // namespace

int serveAdapter(const SimOptions& options)
{
    Simulator simulator(options.chip, options.faults);
    if (options.eepromFile)
        if (const QString error = loadEepromFile(simulator, options.chip, *options.eepromFile);
            !error.isEmpty())
            return fail(error);
    if (!catchStopSignals())
        return fail(QStringLiteral("pipe failed"));

    PtyServer server(simulator);
    std::string error;
    if (!server.open(error))
        return fail(QString::fromStdString(error));
    const QString& link = options.linkPath;
    if (!link.isEmpty())
        if (const QString linkError = makeLink(link, server.slavePath()); !linkError.isEmpty())
            return fail(linkError);
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
    rc = std::max(rc, writeResultFiles(options, simulator));
    std::printf("%s", simulator.summary().c_str());
    return rc;
}

} // namespace kestrel::sim
