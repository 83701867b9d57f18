// The simulator's fleet and cameras: layout, identity, faults, reboot, lifecycle.

#include "fleet.h"
#include "solvanecheck.h"

#include <QTest>

#include <cstring>

using namespace solvcheck;

constexpr quint16 Port = 18600;

class DevsimFleetTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    static bool serves(const QString &address, quint16 port = Port)
    {
        const int32_t id = login(address, port);
        return id >= 0 && SOLV_Logout(id);
    }

private slots:
    void initTestCase()
    {
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = 4,
            .firstAddress = QStringLiteral("127.0.6.1"),
            .port = Port,
            .timeScale = 0.005,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        m_fleet.reset();
    }

    void addressesRollOverTheHostPart()
    {
        QCOMPARE(devsim::Fleet::addressAt("127.0.1.1", 253), QStringLiteral("127.0.1.254"));
        QCOMPARE(devsim::Fleet::addressAt("127.0.1.1", 254), QStringLiteral("127.0.2.1"));
        QCOMPARE(devsim::Fleet::addressAt("127.0.1.250", 10), QStringLiteral("127.0.2.6"));
    }

    void faultWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("valid");
        // Words the other suites inject are checked there; these only here.
        QTest::newRow("refuse set by set number") << "refuse-set=1068" << true;
        QTest::newRow("never return") << "never-return" << true;
        QTest::newRow("unknown") << "explode=1" << false;
        QTest::newRow("not a number") << "delay=soon" << false;
        QTest::newRow("negative") << "drop-after=-2" << false;
        QTest::newRow("largest ability text") << "ability-size=32767" << true;
        QTest::newRow("ability text too large") << "ability-size=32768" << false;
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

    // A serial set through the protocol is the camera's at once; a restore undoes it.
    void identityFollowsTheRecordsUntilRestored()
    {
        const auto serialNo = [this] {
            QString serial;
            m_fleet->run([&] { serial = m_fleet->cameras().at(1)->serialNo(); });
            return serial;
        };
        const QString factorySerial = serialNo();
        const int32_t id = login(QStringLiteral("127.0.6.2"), Port);
        QVERIFY(id >= 0);
        QByteArray device = get(id, SOLV_GET_DEVICECFG);
        QByteArray serial(SOLV_DEVICECFG_SERIAL_LEN, '\0');
        std::memcpy(serial.data(), "TEST-SERIAL-0001", 16);
        device.replace(SOLV_DEVICECFG_SERIAL_OFFSET, SOLV_DEVICECFG_SERIAL_LEN, serial);
        QVERIFY(set(id, SOLV_GET_DEVICECFG, device));
        QCOMPARE(serialNo(), QStringLiteral("TEST-SERIAL-0001"));
        QVERIFY(SOLV_RestoreConfig(id));
        QCOMPARE(serialNo(), factorySerial);
        QVERIFY(SOLV_Logout(id));
    }

    // Asked for an ability text larger than clients can take, a camera has none.
    void abilityTextNeverExceedsTheLargest_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<uint32_t>("error"); // ~0: served
        QTest::newRow("largest") << 32767 << ~0u;
        QTest::newRow("one byte more") << 32768 << uint32_t(SOLV_NOT_SUPPORT);
    }

    void abilityTextNeverExceedsTheLargest()
    {
        QFETCH(int, size);
        QFETCH(uint32_t, error);
        devsim::Fault fault;
        fault.abilityMinSize = size;
        m_fleet->setFault(0, fault);
        const int32_t id = login(QStringLiteral("127.0.6.1"), Port);
        QVERIFY(id >= 0);
        QByteArray text(65536, '\0');
        QCOMPARE(failure(SOLV_GetDeviceAbility(
                     id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), uint32_t(text.size()))),
            error);
        if (error == ~0u) {
            QCOMPARE(qstrlen(text.constData()), uint(size));
        }
        QVERIFY(SOLV_Logout(id));
        m_fleet->clearFault(0);
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
        QVERIFY(serves(QStringLiteral("127.0.6.40"), Port + 5));
        QVERIFY(m_fleet->readdress(3, QStringLiteral("127.0.6.4"), mask, Port));
    }

    // Offline at once, serving again after the reboot time.
    void rebootComesBack()
    {
        m_fleet->reboot(2);
        QVERIFY(!m_fleet->isOnline(2));
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(2), 5000);
        QVERIFY(serves(QStringLiteral("127.0.6.3")));
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
        QVERIFY(!fleet.isOnline(0)); // and answers without crashing
    }
};

QTEST_GUILESS_MAIN(DevsimFleetTest)
#include "tst_devsimfleet.moc"
