#include <QtTest>
class TestToolchainFiles : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestToolchainFiles)
#include "tst_toolchainfiles.moc"
