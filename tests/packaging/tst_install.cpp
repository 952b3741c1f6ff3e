// What `cmake --install` puts on a system, installed into a temporary DESTDIR, and the Debian
// package CPack builds from it.

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString MetaInfo = QStringLiteral("io.github.kestrel_hc12.kestrel.metainfo.xml");

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
        const QString& workingDir = {}, int timeoutMs = 300000)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (!workingDir.isEmpty())
        p.setWorkingDirectory(workingDir);
    p.start(program, arguments);
    Run r;
    if (!p.waitForStarted()) {
        r.output = program + QStringLiteral(": ") + p.errorString();
        return r;
    }
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.output = program + QStringLiteral(": did not end");
        return r;
    }
    r.output = QString::fromLocal8Bit(p.readAll());
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fileList();
    void programsRun_data();
    void programsRun();
    void commandLineToolVersion();
    void desktopEntry();
    void metaInfo();
    void icon();
    void debianPackage();

private:
    [[nodiscard]] QString installed(const QString& relative) const
    {
        return m_root.filePath(QStringLiteral("usr/") + relative);
    }

    QTemporaryDir m_root;
};

void TestInstall::initTestCase()
{
    QVERIFY(m_root.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), m_root.path());
    const Run r = run(QStringLiteral(KESTREL_CMAKE),
                      {QStringLiteral("--install"), QStringLiteral(KESTREL_BUILD_DIR),
                       QStringLiteral("--prefix"), QStringLiteral("/usr")},
                      env);
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
}

void TestInstall::fileList()
{
    QStringList expected{
        QStringLiteral("usr/bin/kestrel"),
        QStringLiteral("usr/bin/kestrel-sim"),
        QStringLiteral("usr/share/applications/kestrel.desktop"),
        QStringLiteral("usr/share/icons/hicolor/scalable/apps/kestrel.svg"),
        QStringLiteral("usr/share/metainfo/") + MetaInfo,
    };
    if (KESTREL_HAS_CLI)
        expected << QStringLiteral("usr/bin/kestrel-cli");
    // Every man page of the source tree.
    const QDir man(QStringLiteral(KESTREL_SOURCE_DIR "/man"));
    for (const QString& page : man.entryList({QStringLiteral("*.1")}, QDir::Files))
        expected << QStringLiteral("usr/share/man/man1/") + page;
    expected.sort();

    QStringList got;
    QDirIterator it(m_root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    const QDir root(m_root.path());
    while (it.hasNext())
        got << root.relativeFilePath(it.next());
    got.sort();
    QCOMPARE(got, expected);

    for (const QString& file : expected) {
        const bool program = file.startsWith(QStringLiteral("usr/bin/"));
        QCOMPARE(QFileInfo(m_root.filePath(file)).isExecutable(), program);
    }
}

void TestInstall::programsRun_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("kestrel-sim") << QStringLiteral("bin/kestrel-sim")
                                 << QStringList{QStringLiteral("--help")}
                                 << QStringLiteral("--chip");
}

void TestInstall::programsRun()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const Run r = run(installed(program), arguments);
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    QVERIFY2(r.output.contains(expected), qPrintable(r.output));
}

void TestInstall::commandLineToolVersion()
{
    if (!KESTREL_HAS_CLI)
        QSKIP("kestrel-cli is not built in this tree: its installed --version is not checked");
    const Run r = run(installed(QStringLiteral("bin/kestrel-cli")), {QStringLiteral("--version")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    QVERIFY2(r.output.contains(QStringLiteral(KESTREL_VERSION)), qPrintable(r.output));
}

void TestInstall::desktopEntry()
{
    const QString entry = installed(QStringLiteral("share/applications/kestrel.desktop"));
    const Run r = run(QStringLiteral("desktop-file-validate"), {entry});
    QVERIFY2(r.exitCode == 0 && r.output.trimmed().isEmpty(),
             qPrintable(r.output + QStringLiteral(" (desktop-file-utils: scripts/setup.sh)")));

    QFile file(entry);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QString, QString> keys;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            keys.insert(line.left(eq), line.mid(eq + 1));
    }
    QCOMPARE(keys.value(QStringLiteral("Name")), QStringLiteral("KESTREL"));
    QCOMPARE(keys.value(QStringLiteral("Categories")), QStringLiteral("Development;Electronics;"));
    // English, with the Polish for Polish desktops.
    QVERIFY(keys.value(QStringLiteral("Comment")).contains(QStringLiteral("the EEPROM of 68HC12")));
    QVERIFY(keys.value(QStringLiteral("Comment[pl]")).contains(QStringLiteral("pamięci EEPROM")));
    QCOMPARE(keys.value(QStringLiteral("GenericName[pl]")), QStringLiteral("Programator EEPROM"));
    // It starts the installed program and names the installed icon.
    QVERIFY(QFileInfo(installed(QStringLiteral("bin/") + keys.value(QStringLiteral("Exec"))))
                .isExecutable());
    QVERIFY(
        QFileInfo::exists(installed(QStringLiteral("share/icons/hicolor/scalable/apps/") +
                                    keys.value(QStringLiteral("Icon")) + QStringLiteral(".svg"))));
}

void TestInstall::metaInfo()
{
    if (QStandardPaths::findExecutable(QStringLiteral("appstreamcli")).isEmpty())
        QSKIP("appstreamcli is missing (package appstream: scripts/setup.sh)");
    const QString file = installed(QStringLiteral("share/metainfo/") + MetaInfo);
    const Run r = run(QStringLiteral("appstreamcli"),
                      {QStringLiteral("validate"), QStringLiteral("--no-net"), file});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    // It launches the installed desktop entry.
    QFile xml(file);
    QVERIFY(xml.open(QIODevice::ReadOnly));
    QVERIFY(xml.readAll().contains("<launchable type=\"desktop-id\">kestrel.desktop</launchable>"));
}

void TestInstall::icon()
{
    QSvgRenderer icon(installed(QStringLiteral("share/icons/hicolor/scalable/apps/kestrel.svg")));
    QVERIFY(icon.isValid());
    QVERIFY(!icon.defaultSize().isEmpty());
}

void TestInstall::debianPackage()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const Run arch = run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
    QVERIFY2(arch.exitCode == 0, qPrintable(arch.output));
    const Run r =
        run(QStringLiteral(KESTREL_CPACK),
            {QStringLiteral("--config"), QStringLiteral(KESTREL_BUILD_DIR "/CPackConfig.cmake"),
             QStringLiteral("-B"), out.path()});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    const QString deb = out.filePath(QStringLiteral("kestrel_" KESTREL_VERSION "_") +
                                     arch.output.trimmed() + QStringLiteral(".deb"));
    QVERIFY2(QFileInfo::exists(deb), qPrintable(r.output));

    // Dependencies computed from the programs' libraries, plus the plugins loaded at run time.
    const Run depends =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    QVERIFY2(depends.exitCode == 0, qPrintable(depends.output));
    for (const char* package : {"libqt6core6", "libqt6widgets6", "libqt6serialport6", "libc6",
                                "qt6-qpa-plugins", "libqt6svg6", "libelf1", "zlib1g"})
        QVERIFY2(depends.output.contains(QLatin1String(package)), qPrintable(depends.output));
    const Run description =
        run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Description")});
    QVERIFY2(description.output.contains(QStringLiteral("EEPROM")), qPrintable(description.output));

    const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
    QVERIFY2(contents.exitCode == 0, qPrintable(contents.output));
    for (const char* file :
         {"./usr/bin/kestrel", "./usr/bin/kestrel-sim", "./usr/share/applications/kestrel.desktop",
          "./usr/share/icons/hicolor/scalable/apps/kestrel.svg",
          "./usr/share/metainfo/io.github.kestrel_hc12.kestrel.metainfo.xml"})
        QVERIFY2(contents.output.contains(QLatin1String(file)), file);
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
