// kestrel-cli run as a user who may not open the port: a pseudo-terminal of mode 0600 that
// belongs to root, opened by `nobody`.

#include "cli_process.h"
#include "pty_peer.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrel::testsupport;

namespace {

const QString Cli = QStringLiteral(KESTREL_CLI_PATH);

CliRun runAsNobody(const QStringList& args)
{
    return runCli(
        QStringLiteral("runuser"),
        QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), Cli} +
            args,
        30000);
}

} // namespace

class TestCliAccess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void deniedPort_data();
    void deniedPort();
};

void TestCliAccess::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("Handing a device to another user and running as nobody needs root");
    if (QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty())
        QSKIP("runuser is not installed");
    if (runAsNobody({QStringLiteral("--version")}).exitCode != 0)
        QSKIP("nobody cannot run kestrel-cli from the build folder");
}

void TestCliAccess::deniedPort_data()
{
    QTest::addColumn<QString>("group"); // owning the pseudo-terminal; empty: no such device
    QTest::newRow("group tty") << "tty";
    QTest::newRow("group dialout") << "dialout";
    QTest::newRow("group users") << "users";
    QTest::newRow("no such device") << "";
}

void TestCliAccess::deniedPort()
{
    QFETCH(QString, group);
    PtyPeer peer;
    QVERIFY(peer.isValid());
    QString port = peer.slaveName();
    QString expected;
    if (group.isEmpty()) {
        port = QStringLiteral("/dev/kestrel-no-such-port");
        expected = QStringLiteral("Niewłaściwa nazwa portu lub port jest aktywny !!");
    } else {
        const ::group* entry = ::getgrnam(group.toLocal8Bit().constData());
        if (entry == nullptr)
            QSKIP("no such group on this machine");
        const QByteArray device = port.toLocal8Bit();
        QCOMPARE(::chown(device.constData(), 0, entry->gr_gid), 0);
        QCOMPARE(::chmod(device.constData(), 0600), 0);
        expected = QStringLiteral("Brak uprawnień do portu %1. Dodaj użytkownika do grupy %2 "
                                  "(sudo usermod -aG %2 $USER) i zaloguj się ponownie.")
                       .arg(port, group);
    }
    // A folder nobody may write into, so that the file is no reason to stop.
    QTemporaryDir dir;
    QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString out = dir.filePath(QStringLiteral("out.bin"));

    const CliRun run =
        runAsNobody({QStringLiteral("read"), QStringLiteral("--chip"), QStringLiteral("68HC12B32"),
                     QStringLiteral("--port"), port, out});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(QStringLiteral("kestrel-cli: %1: %2").arg(port, expected)),
             qPrintable(run.err));
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestCliAccess)
#include "tst_cliaccess.moc"
