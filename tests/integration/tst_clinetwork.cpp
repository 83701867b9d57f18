#include "fleet.h"

#include <QProcess>
#include <QTest>

constexpr quint16 FleetPort = 18950;

// tervix-cli set-network against simulated cameras on 127.0.60.150 and up.
class TestCliNetwork : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    static std::tuple<int, QStringList, QString> cli(const QStringList &args)
    {
        QProcess process;
        process.start(qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix-cli"), args);
        if (!process.waitForFinished(60000)) {
            process.kill();
            return { -1, {}, {} };
        }
        return { process.exitCode(),
            QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromUtf8(process.readAllStandardError()) };
    }

    QString serial(int index) const
    {
        QString result;
        m_fleet->run([&] { result = m_fleet->cameras().at(index)->serialNo(); });
        return result;
    }

private slots:
    void initTestCase()
    {
        devsim::FleetOptions options;
        options.count = 6;
        options.firstAddress = QStringLiteral("127.0.60.150");
        options.port = FleetPort;
        options.timeScale = 0.1;
        options.passwords.insert(3, "other");
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void oneDeviceGetsAddressNameAndGateway()
    {
        const auto [code, lines, errors] = cli({ "set-network", "127.0.60.150", "--port",
            QString::number(FleetPort), "--ip", "127.0.61.150", "--mask", "255.255.0.0",
            "--gateway", "127.0.61.254", "--name", QStringLiteral("Hall \u5357") });
        QCOMPARE(code, 0);
        const QString s = serial(0);
        QCOMPARE(lines,
            (QStringList { s + " set ip, port, mask to127.0.61.150, 18950, 255.255.0.0 succeed!",
                s + " set device name to\"Hall \u5357\" succeed!",
                s + " set gateway to127.0.61.254 succeed!" }));
        QCOMPARE(m_fleet->currentAddress(0), QStringLiteral("127.0.61.150"));
    }

    void batchTakesConsecutiveAddressesAndReportsEachDevice()
    {
        // Camera 3 refuses the password: reported, and the batch goes on.
        const auto [code, lines, errors] = cli(
            { "set-network", "--start-ip", "127.0.61.160", "--mask", "255.255.255.0", "--port",
                QString::number(FleetPort), "127.0.60.151", "127.0.60.153", "127.0.60.152" });
        QCOMPARE(code, 1);
        QCOMPARE(lines,
            (QStringList {
                serial(1) + " set ip, port, mask to127.0.61.160, 18950, 255.255.255.0 succeed!",
                "127.0.60.153 set ip, port, mask to127.0.61.161, 18950, 255.255.255.0 failed!",
                serial(2) + " set ip, port, mask to127.0.61.162, 18950, 255.255.255.0 succeed!" }));
        QCOMPARE(m_fleet->currentAddress(3), m_fleet->address(3));
        QCOMPARE(m_fleet->currentAddress(2), QStringLiteral("127.0.61.162"));
    }

    void announcedDeviceMovesByItsMac()
    {
        QString mac;
        m_fleet->run(
            [&] { mac = QString::fromLatin1(m_fleet->cameras().at(4)->macBytes().toHex(':')); });
        const auto [code, lines, errors] = cli({ "set-network", mac, "--ip", "127.0.61.170",
            "--mask", "255.255.255.0", "--port", "18970" });
        QCOMPARE(code, 0);
        QCOMPARE(lines.join('|'),
            mac + " set ip, port, mask to127.0.61.170, 18970, 255.255.255.0 succeed!");
        QCOMPARE(m_fleet->currentAddress(4), QStringLiteral("127.0.61.170"));
        QCOMPARE(m_fleet->currentPort(4), quint16(18970));
    }

    void badInputTouchesNothing()
    {
        const QString host = QStringLiteral("127.0.60.155:18950");
        const QList<std::pair<QStringList, QString>> cases {
            { { "--ip", "127.0.61.180", "--mask", "255.0.255.0", host },
                "Subnet Mask is invalid!" },
            { { "--ip", "127.0.61.180", "--mask", "255.0.0.0", host, "127.0.60.154" },
                "several devices take consecutive addresses from --start-ip" }
        };
        for (const auto &[args, message] : cases) {
            const auto [code, lines, errors] = cli(QStringList { "set-network" } + args);
            QCOMPARE(code, 2);
            QVERIFY2(errors.contains(message), qPrintable(errors));
        }
        QCOMPARE(m_fleet->currentAddress(5), m_fleet->address(5));
    }
};

QTEST_GUILESS_MAIN(TestCliNetwork)
#include "tst_clinetwork.moc"
