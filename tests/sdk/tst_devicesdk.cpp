// The program's SDK helpers against simulated cameras.

#include "devicesdk.h"
#include "fleet.h"
#include "solvane.h"

#include <QTest>

#include <memory>

static constexpr quint16 Port = 18040;
enum Cam { Plain, Ability, Faulty, Count };

class DeviceSdkTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    QByteArray ip(int index) const { return m_fleet->address(index).toLatin1(); }

private slots:
    void initTestCase()
    {
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Count,
            .firstAddress = QStringLiteral("127.0.40.1"),
            .port = Port,
            .seed = 40,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void abilityBufferDoubles_data()
    {
        QTest::addColumn<int>("initial");
        QTest::addColumn<int>("textSize");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("lastBuffer");
        QTest::newRow("text and zero just fit") << 5120 << 5119 << true << 1 << 5120;
        QTest::newRow("zero does not fit") << 5120 << 5120 << true << 2 << 10240;
        QTest::newRow("past the limit once") << 5120 << 30000 << true << 4 << 40960;
        // The largest text a device may send fits the last buffer of either start.
        QTest::newRow("largest text") << 5120 << 32767 << true << 4 << 40960;
        QTest::newRow("upgrade start, largest text, five calls") << 2048 << 32767 << true << 5
                                                                << 32768;
    }

    void abilityBufferDoubles()
    {
        QFETCH(int, initial);
        QFETCH(int, textSize);
        QFETCH(bool, ok);
        QFETCH(int, calls);
        QFETCH(int, lastBuffer);
        devsim::Fault fault;
        fault.abilityMinSize = textSize;
        m_fleet->setFault(Ability, fault);
        SdkLogin login(ip(Ability), Port, "admin", "60917");
        QVERIFY(login.ok());
        const AbilityText ability = readAbility(login.userId(), SOLV_ABILITY_DEVICE, initial);
        QCOMPARE(ability.ok, ok);
        QCOMPARE(ability.calls, calls);
        QCOMPARE(ability.bufferSize, lastBuffer);
        QCOMPARE(ability.error, ok ? 0u : quint32(SOLV_INSUFFICIENT_BUFFER));
        QVERIFY(ok ? ability.text.contains("<UpdateFlag>") && ability.text.size() >= textSize
                   : ability.text.isEmpty());
    }

    void unsupportedRequestsFailAtOnce()
    {
        devsim::Fault fault;
        fault.unsupportedAbilities.insert(SOLV_ABILITY_DEVICE);
        fault.unsupportedCommands.insert(SOLV_GET_PICCFG);
        m_fleet->setFault(Faulty, fault);
        SdkLogin login(ip(Faulty), Port, "admin", "60917");
        QVERIFY(login.ok());
        const AbilityText ability = readAbility(login.userId(), SOLV_ABILITY_DEVICE, 2048);
        QVERIFY(!ability.ok);
        QCOMPARE(ability.error, quint32(SOLV_NOT_SUPPORT));
        QCOMPARE(ability.calls, 1);
        // A failed read leaves zeros, not stale bytes.
        PicCfg picture;
        picture.bytes().fill('\x33');
        QVERIFY(!readRecord(login.userId(), picture, 1));
        QCOMPARE(SOLV_GetLastError(), quint32(SOLV_NOT_SUPPORT));
        QCOMPARE(picture.bytes(), QByteArray(PicCfg::recordSize, '\0'));
    }

    void refusedWriteChangesNothing()
    {
        devsim::Fault fault;
        fault.refusedSets.insert(SOLV_GET_FRONTCFG);
        m_fleet->setFault(Faulty, fault);
        SdkLogin faulty(ip(Faulty), Port, "admin", "60917");
        QVERIFY(faulty.ok());
        FrontCfg front;
        QVERIFY(readRecord(faulty.userId(), front, 1));
        const QByteArray before = m_fleet->record(Faulty, SOLV_GET_FRONTCFG);
        front.setBrightness(front.brightness() == 1 ? 2 : 1);
        QVERIFY(!writeRecord(faulty.userId(), front, 1));
        QCOMPARE(SOLV_GetLastError(), quint32(SOLV_REFUSED));
        QCOMPARE(m_fleet->record(Faulty, SOLV_GET_FRONTCFG), before);
    }

    void ptzProtocolsArrive()
    {
        SdkLogin login(ip(Plain), Port, "admin", "60917");
        QVERIFY(login.ok());
        PtzProtocolList list;
        QVERIFY(readPtzProtocols(login.userId(), list));
        QCOMPARE(list.count(), 20);
        QCOMPARE(list.name(0), QByteArray("PELCO-D"));
        QVERIFY(list.name(20).isEmpty());
    }

    void loginReportsWrongPasswordAndLogsOutWhenDestroyed()
    {
        SdkLogin wrong(ip(Plain), Port, "admin", "wrong");
        QVERIFY(!wrong.ok());
        QCOMPARE(wrong.error(), quint32(SOLV_PASSWORD_ERROR));
        {
            SdkLogin login(ip(Plain), Port, "admin", "60917");
            QVERIFY(login.ok());
            QTRY_COMPARE(m_fleet->sessionCount(Plain), 1);
        }
        QTRY_COMPARE(m_fleet->sessionCount(Plain), 0);
    }
};

QTEST_GUILESS_MAIN(DeviceSdkTest)
#include "tst_devicesdk.moc"
