#include "clirun.h"
#include "fleet.h"

#include <QTest>

constexpr quint16 FleetPort = 18950;

// tervix-cli set-network and readdress against simulated cameras on 127.0.60.150 and up.
class TestCliNetwork : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

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
        const auto [code, lines, errors] = runCli({ "set-network", "127.0.60.150", "--port",
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
        const auto [code, lines, errors] = runCli(
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

    // The port moves only when a new one is asked for; --port is where the
    // device is reached, never where it goes. A searched device takes the
    // host mask the modification rules take; an announced one is named by
    // its MAC.
    void portMovesOnlyWhenAsked_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<quint16>("port");
        QTest::addColumn<QString>("line"); // set-network's report; empty for readdress's fields
        auto row
            = [](const char *tag, int camera, const QStringList &args, quint16 port,
                  const QString &line) { QTest::newRow(tag) << camera << args << port << line; };
        const QString port = QString::number(FleetPort);
        const QString done = QStringLiteral(" set ip, port, mask to");
        row("HOST:PORT, no new port", 6,
            { "set-network", "--mask", "255.255.255.255", "127.0.60.156:18950", "--ip",
                "127.0.61.156" },
            FleetPort, serial(6) + done + "127.0.61.156, 18950, 255.255.255.255 succeed!");
        row("new port", 7,
            { "set-network", "--mask", "255.255.255.0", "127.0.60.157", "--port", port, "--ip",
                "127.0.61.157", "--new-port", "18957" },
            18957, serial(7) + done + "127.0.61.157, 18957, 255.255.255.0 succeed!");
        row("announced, by its MAC, new port", 4,
            { "set-network", mac(4), "--ip", "127.0.61.170", "--mask", "255.255.255.0",
                "--new-port", "18970" },
            18970, mac(4) + done + "127.0.61.170, 18970, 255.255.255.0 succeed!");
        row("readdress, no new port", 8,
            { "readdress", mac(8), "--ip", "127.0.61.158", "--mask", "255.255.255.0", "--port",
                port },
            FleetPort, QString());
    }

    void portMovesOnlyWhenAsked()
    {
        QFETCH(int, camera);
        QFETCH(QStringList, args);
        QFETCH(quint16, port);
        QFETCH(QString, line);
        const auto [code, lines, errors] = runCli(args);
        QVERIFY2(code == 0, qPrintable(errors));
        if (!line.isEmpty()) {
            QCOMPARE(lines.join('|'), line);
        }
        QCOMPARE(m_fleet->currentAddress(camera), args.at(args.indexOf("--ip") + 1));
        QCOMPARE(m_fleet->currentPort(camera), port);
    }

    // Nothing is sent; the message says what was wrong.
    void badInputTouchesNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString host = QStringLiteral("127.0.60.155:18950");
        auto row = [](const char *tag, const QStringList &args, const char *message) {
            QTest::newRow(tag) << args << QString(message);
        };
        row("readdress, no MAC",
            { "readdress", "02:54:56", "--ip", "127.0.61.159", "--mask", "255.0.0.0" },
            "\"02:54:56\" is not a MAC");
        row("readdress, no mask", { "readdress", mac(5), "--ip", "127.0.61.159" },
            "readdress needs --ip and --mask");
        row("readdress, mask the rules refuse",
            { "readdress", mac(5), "--ip", "127.0.61.159", "--mask", "255.0.255.0" },
            "Subnet Mask is invalid!");
        // The rules take it; the discovery protocol does not carry it.
        row("readdress, host mask",
            { "readdress", mac(5), "--ip", "127.0.61.159", "--mask", "255.255.255.255" },
            "the discovery protocol cannot carry that address or mask");
        row("mask with a hole",
            { "set-network", "--ip", "127.0.61.180", "--mask", "255.0.255.0", host },
            "Subnet Mask is invalid!");
        row("address starting with 0",
            { "set-network", "--ip", "0.1.2.3", "--mask", "255.0.0.0", host },
            "IP Address is invalid!");
        row("new port below 2000",
            { "set-network", "--ip", "127.0.61.180", "--mask", "255.0.0.0", "--new-port", "1999",
                host },
            "Port should be ranged from 2000 to 65535!");
        row("two devices, one address",
            { "set-network", "--ip", "127.0.61.180", "--mask", "255.0.0.0", host, "127.0.60.154" },
            "several devices take consecutive addresses from --start-ip");
        row("batch over two ports",
            { "set-network", "--start-ip", "127.0.61.180", "--mask", "255.0.0.0", host,
                "127.0.60.154:18951" },
            "the devices listen on different ports; --new-port gives them one");
    }

    void badInputTouchesNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const auto [code, lines, errors] = runCli(args);
        QCOMPARE(code, 2);
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QCOMPARE(m_fleet->currentAddress(5), m_fleet->address(5));
    }
};

QTEST_GUILESS_MAIN(TestCliNetwork)
#include "tst_clinetwork.moc"
