// The simulator's fleet and cameras: layout, identity, faults, lifecycle.

#include "fleet.h"
#include "solvanecheck.h"

#include <QTest>

#include <atomic>
#include <cstring>

using namespace solvcheck;

namespace {
constexpr quint16 Port = 18600;
} // namespace

class DevsimFleetTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    // Logs in at address:port and logs out again.
    static bool serves(const QString &address, quint16 port = Port)
    {
        const int32_t id = login(address, port);
        return id >= 0 && SOLV_Logout(id);
    }

private slots:
    void initTestCase()
    {
        SOLV_Init();
        devsim::FleetOptions options;
        options.count = 4;
        options.firstAddress = QStringLiteral("127.0.6.1");
        options.port = Port;
        options.timeScale = 0.005;
        options.discoveryPort = 0;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        m_fleet.reset();
    }

    void addressesRollOverTheHostPart_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("address");
        QTest::newRow("first") << "127.0.1.1" << 0 << "127.0.1.1";
        QTest::newRow("seventh") << "127.0.1.1" << 6 << "127.0.1.7";
        QTest::newRow("last of the block") << "127.0.1.1" << 253 << "127.0.1.254";
        QTest::newRow("rolls over") << "127.0.1.1" << 254 << "127.0.2.1";
        QTest::newRow("two blocks on") << "127.0.1.1" << 254 * 2 << "127.0.3.1";
        QTest::newRow("late start") << "127.0.1.250" << 10 << "127.0.2.6";
    }

    void addressesRollOverTheHostPart()
    {
        QFETCH(QString, first);
        QFETCH(int, index);
        QFETCH(QString, address);
        QCOMPARE(devsim::Fleet::addressAt(first, index), address);
    }

    void faultWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("valid");
        QTest::newRow("delay") << "delay=250" << true;
        QTest::newRow("refuse set by get number") << "refuse-set=1067" << true;
        QTest::newRow("refuse set by set number") << "refuse-set=1068" << true;
        QTest::newRow("unsupported") << "unsupported=1042" << true;
        QTest::newRow("ability") << "unsupported-ability=6" << true;
        QTest::newRow("drop") << "drop-after=3" << true;
        QTest::newRow("ability size") << "ability-size=40000" << true;
        QTest::newRow("sessions") << "max-sessions=2" << true;
        QTest::newRow("never return") << "never-return" << true;
        QTest::newRow("ptz") << "ptz-unsupported" << true;
        QTest::newRow("unknown") << "explode=1" << false;
        QTest::newRow("no number") << "delay" << false;
        QTest::newRow("not a number") << "delay=soon" << false;
        QTest::newRow("negative") << "drop-after=-2" << false;
    }

    void faultWords()
    {
        QFETCH(QString, word);
        QFETCH(bool, valid);
        devsim::Fault fault;
        QString error;
        QCOMPARE(devsim::applyFaultWord(fault, word, &error), valid);
        QCOMPARE(error.isEmpty(), valid);
        QCOMPARE(fault == devsim::Fault {}, !valid);
        if (word.startsWith(QStringLiteral("refuse-set="))) { // the set number names its record
            devsim::Fault byGet;
            QVERIFY(devsim::applyFaultWord(byGet, QStringLiteral("refuse-set=1067"), nullptr));
            QCOMPARE(fault, byGet);
        }
    }

    void startFailsWhenAnAddressIsTaken()
    {
        devsim::FleetOptions options = m_fleet->options();
        options.firstAddress = QStringLiteral("127.0.6.3"); // overlaps cameras 2 and 3
        devsim::Fleet clash(options);
        QString error;
        QVERIFY(!clash.start(&error));
        QVERIFY2(error.contains(QStringLiteral("127.0.6.3")), qPrintable(error));
        QVERIFY(!clash.isRunning());
        QVERIFY(serves(QStringLiteral("127.0.6.3"))); // the running fleet is untouched
    }

    void versionTexts_data()
    {
        QTest::addColumn<quint32>("version");
        QTest::addColumn<quint32>("date");
        QTest::addColumn<QString>("software");
        QTest::addColumn<QString>("dsp"); // always the two-part form
        QTest::newRow("older form") << 0x00020001u << 0x000B0915u << "V2.1 build110921"
                                    << "V2.1 build110921";
        QTest::newRow("newer form") << 0x03010002u << 0x000B0915u << "V3.1.2 build110921"
                                    << "V769.2 build110921";
        QTest::newRow("revision zero") << 0x05030000u << 0x000C0101u << "V5.3.0 build120101"
                                       << "V1283.0 build120101";
    }

    void versionTexts()
    {
        QFETCH(quint32, version);
        QFETCH(quint32, date);
        QFETCH(QString, software);
        QFETCH(QString, dsp);
        QByteArray device = m_fleet->record(0, SOLV_GET_DEVICECFG);
        const QByteArray original = device;
        for (int offset :
            { SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET, SOLV_DEVICECFG_DSP_VERSION_OFFSET }) {
            std::memcpy(device.data() + offset, &version, 4);
        }
        for (int offset :
            { SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET, SOLV_DEVICECFG_DSP_BUILD_DATE_OFFSET }) {
            std::memcpy(device.data() + offset, &date, 4);
        }
        m_fleet->setRecord(0, SOLV_GET_DEVICECFG, device);
        QStringList texts;
        m_fleet->run([&] {
            texts << m_fleet->cameras().at(0)->softwareVersionText()
                  << m_fleet->cameras().at(0)->dspVersionText();
        });
        m_fleet->setRecord(0, SOLV_GET_DEVICECFG, original);
        QCOMPARE(texts, QStringList({ software, dsp }));
    }

    // A set through the protocol that changes identity fields is seen by
    // discovery at once; other fields are not.
    void identityFollowsTheRecords()
    {
        std::atomic<int> changes { 0 };
        QMetaObject::Connection connection;
        m_fleet->run([&] {
            connection = QObject::connect(m_fleet->cameras().at(1),
                &devsim::Camera::identityChanged, [&changes] { ++changes; });
        });
        const int32_t id = login(QStringLiteral("127.0.6.2"), Port);
        QVERIFY(id >= 0);
        QByteArray device = get(id, SOLV_GET_DEVICECFG);
        std::memcpy(device.data() + SOLV_DEVICECFG_NAME_OFFSET, "Lobby", 6);
        QVERIFY(set(id, SOLV_GET_DEVICECFG, device));
        QCOMPARE(changes.load(), 0);
        QByteArray serial(SOLV_DEVICECFG_SERIAL_LEN, '\0');
        std::memcpy(serial.data(), "TEST-SERIAL-0001", 16);
        device.replace(SOLV_DEVICECFG_SERIAL_OFFSET, SOLV_DEVICECFG_SERIAL_LEN, serial);
        device[SOLV_DEVICECFG_CHANNEL_COUNT_OFFSET] = 4;
        QVERIFY(set(id, SOLV_GET_DEVICECFG, device));
        QCOMPARE(changes.load(), 1);
        QString serialNo;
        quint32 channels = 0;
        m_fleet->run([&] {
            serialNo = m_fleet->cameras().at(1)->serialNo();
            channels = m_fleet->cameras().at(1)->channelCount();
        });
        QCOMPARE(serialNo, QStringLiteral("TEST-SERIAL-0001"));
        QCOMPARE(channels, 4u);
        QVERIFY(SOLV_RestoreConfig(id));
        QCOMPARE(changes.load(), 2);
        QVERIFY(SOLV_Logout(id));
        m_fleet->run([&] { QObject::disconnect(connection); });
    }

    void readdressRefusesAnAddressInUse()
    {
        const QString mask = QStringLiteral("255.255.255.0");
        // Camera 3 cannot move onto camera 2's address and port, nor take a bad mask.
        QVERIFY(!m_fleet->readdress(3, QStringLiteral("127.0.6.3"), mask, Port));
        QVERIFY(!m_fleet->readdress(3, QStringLiteral("127.0.6.40"), "not a mask", Port));
        QCOMPARE(m_fleet->currentAddress(3), QStringLiteral("127.0.6.4"));
        QVERIFY(m_fleet->readdress(3, QStringLiteral("127.0.6.40"), "255.255.0.0", Port + 5));
        QCOMPARE(m_fleet->currentAddress(3), QStringLiteral("127.0.6.40"));
        QCOMPARE(m_fleet->currentPort(3), quint16(Port + 5));
        QVERIFY(serves(QStringLiteral("127.0.6.40"), Port + 5));
        QVERIFY(m_fleet->readdress(3, QStringLiteral("127.0.6.4"), mask, Port));
    }

    // The camera took the new address; that its answer came too late for
    // the client must not leave the listener behind.
    void lateAnswerStillMovesTheListener()
    {
        devsim::Fault slow;
        slow.delayMs = 20000; // 100 ms at this fleet's time scale
        m_fleet->setFault(3, slow);
        const int32_t id = login(QStringLiteral("127.0.6.4"), Port);
        QVERIFY(id >= 0);
        QByteArray net = get(id, SOLV_GET_NETCFG);
        std::memcpy(net.data() + SOLV_NETCFG_IP_ADDRESS_OFFSET, "127.0.6.41\0", 11);
        SOLV_SetRecvTimeOut(20);
        QCOMPARE(failure(set(id, SOLV_GET_NETCFG, net)), uint32_t(SOLV_TIMEOUT));
        SOLV_SetRecvTimeOut(2000);
        QVERIFY(SOLV_Logout(id));
        m_fleet->clearFault(3);
        QCOMPARE(m_fleet->currentAddress(3), QStringLiteral("127.0.6.41"));
        // The new address is bound before the answer; a client arriving
        // before the move is served once it is done.
        QVERIFY(serves(QStringLiteral("127.0.6.41")));
        SOLV_SetRecvTimeOut(5000);
        QVERIFY(m_fleet->readdress(
            3, QStringLiteral("127.0.6.4"), QStringLiteral("255.255.255.0"), Port));
    }

    void stopEndsOpenSessions()
    {
        devsim::FleetOptions options = m_fleet->options();
        options.firstAddress = QStringLiteral("127.0.6.100");
        options.count = 1;
        devsim::Fleet fleet(options);
        QVERIFY(fleet.start());
        const int32_t id = login(options.firstAddress, Port);
        QVERIFY(id >= 0);
        QCOMPARE(fleet.sessionCount(0), 1);
        fleet.stop();
        QCOMPARE(failure(!get(id, SOLV_GET_DEVICECFG).isEmpty()), uint32_t(SOLV_RECV_FAILED));
        QVERIFY(SOLV_Logout(id));
        // A stopped fleet answers its accessors without crashing.
        QCOMPARE(fleet.record(0, SOLV_GET_DEVICECFG), QByteArray());
        QVERIFY(!fleet.isOnline(0));
    }
};

QTEST_GUILESS_MAIN(DevsimFleetTest)
#include "tst_devsimfleet.moc"
