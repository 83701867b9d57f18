#include "solvanecheck.h"

#include <QDir>
#include <QProcess>
#include <QTest>

#include <csignal>

using namespace solvcheck;

static constexpr quint16 Port = 18610;

static const QString Program = QDir(qEnvironmentVariable("TERVIX_BIN_DIR", QDir::currentPath()))
                                   .filePath(QStringLiteral("tervix-devsim"));

class DevsimProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { SOLV_Init(); }
    void cleanupTestCase() { SOLV_Cleanup(); }

    void servesUntilTerminated()
    {
        for (const int signal : { SIGTERM, SIGINT }) {
            QProcess process;
            process.start(Program,
                { "--count", "3", "--first-address", "127.0.6.201", "--port", QString::number(Port),
                    "--discovery-port", "0", "--password", "1=other", "--fault",
                    "1:refuse-set=1001" });
            QByteArray output;
            QTRY_VERIFY_WITH_TIMEOUT(
                (output += process.readAllStandardOutput()).contains("ready\n"), 5000);
            QCOMPARE(failure(login("127.0.6.202", Port) >= 0), uint32_t(SOLV_PASSWORD_ERROR));
            const int32_t id = login("127.0.6.202", Port, "other"); // refuses network sets
            QCOMPARE(failure(set(id, SOLV_GET_NETCFG, get(id, SOLV_GET_NETCFG))),
                uint32_t(SOLV_REFUSED));
            QVERIFY(SOLV_Logout(id));
            ::kill(pid_t(process.processId()), signal);
            QVERIFY(process.waitForFinished(5000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 0);
            QCOMPARE(failure(login("127.0.6.201", Port) >= 0), uint32_t(SOLV_CONNECT_FAILED));
        }
    }
};

QTEST_GUILESS_MAIN(DevsimProgramTest)
#include "tst_devsimprogram.moc"
