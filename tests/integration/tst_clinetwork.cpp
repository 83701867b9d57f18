#include "fleet.h"

#include <QProcess>
#include <QTest>

constexpr quint16 FleetPort = 18950;

// tervix-cli set-network and readdress against simulated cameras on 127.0.60.150 and up.
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

    QString mac(int index) const
    {
        QString result;
        m_fleet->run([&] {
            result = QString::fromLatin1(m_fleet->cameras().at(index)->macBytes().toHex(':'));
        });
        return result;
    }

private slots:
    void initTestCase()
    {
        devsim::FleetOptions options;
        options.count = 9;
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
        QVERIFY2(errors.contains("cannot log in to 127.0.60.153:18950: wrong user name or password "
                                 "(SDK error 1)"),
            qPrintable(errors));
        QCOMPARE(m_fleet->currentAddress(3), m_fleet->address(3));
        QCOMPARE(m_fleet->currentAddress(2), QStringLiteral("127.0.61.162"));
    }

    void announcedDeviceMovesByItsMac()
    {
        const QString mac = this->mac(4);
        const auto [code, lines, errors] = cli({ "set-network", mac, "--ip", "127.0.61.170",
            "--mask", "255.255.255.0", "--new-port", "18970" });
        QCOMPARE(code, 0);
        QCOMPARE(lines.join('|'),
            mac + " set ip, port, mask to127.0.61.170, 18970, 255.255.255.0 succeed!");
        QCOMPARE(m_fleet->currentAddress(4), QStringLiteral("127.0.61.170"));
        QCOMPARE(m_fleet->currentPort(4), quint16(18970));
    }

    // The port moves only when a new one is asked for; --port is where the
    // device is reached, never where it goes. A searched device takes the
    // host mask the modification rules take.
    void portMovesOnlyWhenAsked_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<quint16>("port");
        QTest::newRow("HOST:PORT, no new port")
            << 6 << QStringList { "127.0.60.156:18950", "--ip", "127.0.61.156" }
            << "255.255.255.255" << FleetPort;
        QTest::newRow("new port")
            << 7
            << QStringList { "127.0.60.157", "--port", "18950", "--ip", "127.0.61.157",
                   "--new-port", "18957" }
            << "255.255.255.0" << quint16(18957);
    }

    void portMovesOnlyWhenAsked()
    {
        QFETCH(int, camera);
        QFETCH(QStringList, args);
        QFETCH(QString, mask);
        QFETCH(quint16, port);
        const auto [code, lines, errors] = cli(QStringList { "set-network", "--mask", mask } + args);
        QCOMPARE(code, 0);
        QCOMPARE(lines.join('|'),
            QStringLiteral("%1 set ip, port, mask to%2, %3, %4 succeed!")
                .arg(serial(camera), args.at(args.indexOf("--ip") + 1))
                .arg(port)
                .arg(mask));
        QCOMPARE(m_fleet->currentPort(camera), port);
    }

    void readdressKeepsThePortWithoutANewOne()
    {
        const auto [code, lines, errors] = cli({ "readdress", mac(8), "--ip", "127.0.61.158",
            "--mask", "255.255.255.0", "--port", QString::number(FleetPort) });
        QVERIFY2(code == 0, qPrintable(errors));
        QCOMPARE(m_fleet->currentAddress(8), QStringLiteral("127.0.61.158"));
        QCOMPARE(m_fleet->currentPort(8), FleetPort);
    }

    // Nothing is sent; the message says what was wrong.
    void readdressRefusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no MAC") << QStringList { "02:54:56", "--ip", "127.0.61.159", "--mask",
            "255.0.0.0" } << "\"02:54:56\" is not a MAC";
        QTest::newRow("no mask")
            << QStringList { mac(5), "--ip", "127.0.61.159" } << "readdress needs --ip and --mask";
        QTest::newRow("mask the rules refuse")
            << QStringList { mac(5), "--ip", "127.0.61.159", "--mask", "255.0.255.0" }
            << "Subnet Mask is invalid!";
        // The rules take it; the discovery protocol does not carry it.
        QTest::newRow("host mask")
            << QStringList { mac(5), "--ip", "127.0.61.159", "--mask", "255.255.255.255" }
            << "the discovery protocol cannot carry that address or mask";
    }

    void readdressRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const auto [code, lines, errors] = cli(QStringList { "readdress" } + args);
        QCOMPARE(code, 2);
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QCOMPARE(m_fleet->currentAddress(5), m_fleet->address(5));
    }

    void badInputTouchesNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString host = QStringLiteral("127.0.60.155:18950");
        QTest::newRow("mask with a hole")
            << QStringList { "--ip", "127.0.61.180", "--mask", "255.0.255.0", host }
            << "Subnet Mask is invalid!";
        QTest::newRow("address starting with 0")
            << QStringList { "--ip", "0.1.2.3", "--mask", "255.0.0.0", host }
            << "IP Address is invalid!";
        QTest::newRow("new port below 2000")
            << QStringList { "--ip", "127.0.61.180", "--mask", "255.0.0.0", "--new-port", "1999",
                   host }
            << "Port should be ranged from 2000 to 65535!";
        QTest::newRow("two devices, one address")
            << QStringList { "--ip", "127.0.61.180", "--mask", "255.0.0.0", host, "127.0.60.154" }
            << "several devices take consecutive addresses from --start-ip";
        QTest::newRow("batch over two ports")
            << QStringList { "--start-ip", "127.0.61.180", "--mask", "255.0.0.0", host,
                   "127.0.60.154:18951" }
            << "the devices listen on different ports; --new-port gives them one";
    }

    void badInputTouchesNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const auto [code, lines, errors] = cli(QStringList { "set-network" } + args);
        QCOMPARE(code, 2);
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QCOMPARE(m_fleet->currentAddress(5), m_fleet->address(5));
    }
};

QTEST_GUILESS_MAIN(TestCliNetwork)
#include "tst_clinetwork.moc"
