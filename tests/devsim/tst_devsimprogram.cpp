// tervix-devsim as scripts use it: "ready" when it serves, clean stop on
// SIGTERM, clear refusal of bad options.

#include "solvanecheck.h"

#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <csignal>

using namespace solvcheck;

namespace {
constexpr quint16 Port = 18610;

QString program()
{
    return QDir(qEnvironmentVariable("TERVIX_BIN_DIR", QDir::currentPath()))
        .filePath(QStringLiteral("tervix-devsim"));
}
} // namespace

class DevsimProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SOLV_Init(); }
    void cleanupTestCase() { SOLV_Cleanup(); }

    void servesUntilTerminated_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void servesUntilTerminated()
    {
        QFETCH(int, signal);
        QProcess process;
        process.start(program(),
            { "--count", "3", "--first-address", "127.0.6.201", "--port", QString::number(Port),
                "--discovery-port", "0", "--password", "1=other", "--fault", "2:refuse-set=1001" });
        QVERIFY(process.waitForStarted());
        QByteArray output;
        while (!output.contains("ready\n") && process.waitForReadyRead(5000)) {
            output += process.readAllStandardOutput();
        }
        QVERIFY2(output.contains("ready\n"), output.constData());
        const QList<QByteArray> lines = output.trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).startsWith("127.0.6.201:18610 "));
        QVERIFY(lines.at(1).contains("(other password)"));

        QCOMPARE(failure(login("127.0.6.202", Port) >= 0), uint32_t(SOLV_PASSWORD_ERROR));
        int32_t id = login("127.0.6.202", Port, "other");
        QVERIFY(id >= 0 && SOLV_Logout(id));
        id = login("127.0.6.203", Port); // its fault refuses network sets
        QVERIFY(id >= 0);
        QCOMPARE(
            failure(set(id, SOLV_GET_NETCFG, get(id, SOLV_GET_NETCFG))), uint32_t(SOLV_REFUSED));
        QVERIFY(SOLV_Logout(id));

        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(process.readAllStandardOutput().contains("stopped"));
        QCOMPARE(failure(login("127.0.6.201", Port) >= 0), uint32_t(SOLV_CONNECT_FAILED));
    }

    void refusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("count zero") << QStringList { "--count", "0" } << "--count";
        QTest::newRow("port text") << QStringList { "--port", "eighty" } << "--port";
        QTest::newRow("password index out of range")
            << QStringList { "--password", "5=x" } << "--password";
        QTest::newRow("unknown fault") << QStringList { "--fault", "0:melt" } << "melt";
        QTest::newRow("fault index") << QStringList { "--fault", "9:delay=5" } << "--fault";
        QTest::newRow("address taken")
            << QStringList { "--first-address", "127.0.6.230", "--port", "18611" } << "127.0.6.230";
        QTest::newRow("not an address") << QStringList { "--first-address", "camera" } << "camera";
    }

    void refusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        // An address taken by a listener of the test itself.
        QTcpServer blocker;
        QVERIFY(blocker.listen(QHostAddress(QStringLiteral("127.0.6.230")), 18611));
        QProcess process;
        arguments << QStringLiteral("--discovery-port") << QStringLiteral("0");
        if (!arguments.contains(QStringLiteral("--first-address"))) {
            arguments << QStringLiteral("--first-address") << QStringLiteral("127.0.6.220");
        }
        process.start(program(), arguments);
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 2);
        const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QVERIFY(!process.readAllStandardOutput().contains("ready"));
    }
};

QTEST_GUILESS_MAIN(DevsimProgramTest)
#include "tst_devsimprogram.moc"
