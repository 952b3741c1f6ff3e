// kestrel-cli run as a user who may not open the port: a pseudo-terminal owned by root, in a
// group nobody is not in, opened by `nobody`.

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
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("adminOnly"); // no group to join would let the user in
    QTest::newRow("group tty") << "tty" << 0660 << false;
    QTest::newRow("group dialout") << "dialout" << 0660 << false;
    QTest::newRow("group users") << "users" << 0660 << false;
    QTest::newRow("group root") << "root" << 0660 << true;
    QTest::newRow("group without access") << "dialout" << 0600 << true;
    QTest::newRow("no such device") << "" << 0 << false;
}

void TestCliAccess::deniedPort()
{
    QFETCH(QString, group);
    QFETCH(int, mode);
    QFETCH(bool, adminOnly);
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
        QCOMPARE(::chmod(device.constData(), mode_t(mode)), 0);
        expected = adminOnly
                       ? QStringLiteral("Brak uprawnień do portu %1. Port może otworzyć tylko "
                                        "administrator; poproś o regułę udev nadającą mu grupę "
                                        "dialout.")
                             .arg(port)
                       : QStringLiteral("Brak uprawnień do portu %1. Dodaj użytkownika do grupy "
                                        "%2 (sudo usermod -aG %2 $USER) i zaloguj się ponownie.")
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
    // The adapter check gives the same message as its diagnosis.
    const CliRun check = runAsNobody({QStringLiteral("check"), QStringLiteral("--chip"),
                                      QStringLiteral("68HC12B32"), QStringLiteral("--port"), port});
    QCOMPARE(check.exitCode, 3);
    const QString checkOut = QString::fromUtf8(check.out);
    QVERIFY2(checkOut.contains(QStringLiteral("Diagnoza: ") + expected), qPrintable(checkOut));
}

QTEST_GUILESS_MAIN(TestCliAccess)
#include "tst_cliaccess.moc"
