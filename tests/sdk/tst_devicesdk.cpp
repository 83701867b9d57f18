// The program's SDK helpers against simulated cameras: the ability reader's
// growing buffer, whole-record reads and writes, the PTZ list and the login.

#include "devicesdk.h"
#include "fleet.h"
#include "solvane.h"

#include <QTest>

#include <memory>

namespace {

constexpr quint16 Port = 18040;
enum Cam { Plain, Ability, Faulty, Count };

} // namespace

class DeviceSdkTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<devsim::Fleet> m_fleet;

    QByteArray ip(int index) const { return m_fleet->address(index).toLatin1(); }

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void abilityBufferDoubles_data();
    void abilityBufferDoubles();
    void unsupportedRequestsFailAtOnce();
    void refusedOrWrongSizedWritesChangeNothing();
    void ptzProtocolsArrive();
    void loginReportsWrongPasswordAndLogsOutWhenDestroyed();
};

void DeviceSdkTest::initTestCase()
{
    SOLV_Init();
    devsim::FleetOptions options;
    options.count = Count;
    options.firstAddress = QStringLiteral("127.0.40.1");
    options.port = Port;
    options.seed = 40;
    options.discoveryPort = 0;
    options.ptzCount = 12;
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));
}

void DeviceSdkTest::cleanupTestCase()
{
    m_fleet.reset();
    SOLV_Cleanup();
}

void DeviceSdkTest::init()
{
    SOLV_SetConnectTime(3000, 1);
    SOLV_SetRecvTimeOut(5000);
    for (int i = 0; i < Count; ++i) {
        m_fleet->clearFault(i);
    }
}

void DeviceSdkTest::abilityBufferDoubles_data()
{
    QTest::addColumn<int>("initial");
    QTest::addColumn<int>("textSize");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("lastBuffer");

    QTest::newRow("fits at once") << 5120 << 0 << true << 1 << 5120;
    QTest::newRow("text and zero just fit") << 5120 << 5119 << true << 1 << 5120;
    QTest::newRow("zero does not fit") << 5120 << 5120 << true << 2 << 10240;
    QTest::newRow("third try") << 5120 << 15000 << true << 3 << 20480;
    // 20480 is under the limit, so one more doubling is allowed.
    QTest::newRow("past the limit once") << 5120 << 30000 << true << 4 << 40960;
    QTest::newRow("too large") << 5120 << 41000 << false << 4 << 40960;
    QTest::newRow("upgrade start, 10000 bytes") << 2048 << 10000 << true << 4 << 16384;
    QTest::newRow("upgrade start, five calls at most") << 2048 << 33000 << false << 5 << 32768;
}

void DeviceSdkTest::abilityBufferDoubles()
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
    if (ok) {
        QVERIFY(ability.text.startsWith("<?xml"));
        QVERIFY(ability.text.contains("<UpdateFlag>"));
        QVERIFY(ability.text.size() >= textSize);
        QCOMPARE(ability.error, 0u);
    } else {
        QCOMPARE(ability.error, quint32(SOLV_INSUFFICIENT_BUFFER));
        QVERIFY(ability.text.isEmpty());
    }
}

void DeviceSdkTest::unsupportedRequestsFailAtOnce()
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
    const AbilityText camera = readAbility(login.userId(), SOLV_ABILITY_CAMERA);
    QVERIFY(camera.ok);
    QVERIFY(camera.text.contains("CAMERAPARA"));

    // A failed read leaves zeros, not stale bytes.
    PicCfg picture;
    picture.bytes().fill('\x33');
    QVERIFY(!readRecord(login.userId(), picture, 1));
    QCOMPARE(SOLV_GetLastError(), quint32(SOLV_NOT_SUPPORT));
    QCOMPARE(picture.bytes(), QByteArray(PicCfg::recordSize, '\0'));
}

void DeviceSdkTest::refusedOrWrongSizedWritesChangeNothing()
{
    devsim::Fault fault;
    fault.refusedSets.insert(SOLV_GET_FRONTCFG);
    m_fleet->setFault(Faulty, fault);
    SdkLogin faulty(ip(Faulty), Port, "admin", "60917");
    QVERIFY(faulty.ok());
    FrontCfg front;
    QVERIFY(readRecord(faulty.userId(), front, 1));
    const QByteArray frontBefore = m_fleet->record(Faulty, SOLV_GET_FRONTCFG);
    QCOMPARE(front.bytes(), frontBefore);
    front.setBrightness(front.brightness() == 1 ? 2 : 1);
    QVERIFY(!writeRecord(faulty.userId(), front, 1));
    QVERIFY(SOLV_GetLastError() != SOLV_NOERROR);
    QCOMPARE(m_fleet->record(Faulty, SOLV_GET_FRONTCFG), frontBefore);

    SdkLogin login(ip(Plain), Port, "admin", "60917");
    QVERIFY(login.ok());
    const QByteArray before = m_fleet->record(Plain, SOLV_GET_NTPCFG);
    NtpCfg ntp;
    QVERIFY(readRecord(login.userId(), ntp, 1));
    ntp.bytes().chop(1);
    QVERIFY(!writeRecord(login.userId(), ntp, 1));
    // A set command is not a record to read or write with.
    QByteArray bytes;
    QVERIFY(!readRecordBytes(login.userId(), SOLV_SET_NTPCFG, 1, bytes));
    QVERIFY(!writeRecordBytes(login.userId(), SOLV_SET_NTPCFG, 1, before));
    QCOMPARE(m_fleet->record(Plain, SOLV_GET_NTPCFG), before);
}

void DeviceSdkTest::ptzProtocolsArrive()
{
    SdkLogin login(ip(Plain), Port, "admin", "60917");
    QVERIFY(login.ok());
    PtzProtocolList list;
    QVERIFY(readPtzProtocols(login.userId(), list));
    QCOMPARE(list.count(), 12);
    QCOMPARE(list.name(0), QByteArray("PELCO-D"));
    for (int i = 0; i < list.count(); ++i) {
        QVERIFY(!list.name(i).isEmpty());
    }
    QVERIFY(list.name(12).isEmpty());
}

void DeviceSdkTest::loginReportsWrongPasswordAndLogsOutWhenDestroyed()
{
    SdkLogin wrong(ip(Plain), Port, "admin", "wrong");
    QVERIFY(!wrong.ok());
    QCOMPARE(wrong.userId(), -1);
    QCOMPARE(wrong.error(), quint32(SOLV_PASSWORD_ERROR));
    {
        SdkLogin login(ip(Plain), Port, "admin", "60917");
        QVERIFY(login.ok());
        QTRY_COMPARE(m_fleet->sessionCount(Plain), 1);
    }
    QTRY_COMPARE(m_fleet->sessionCount(Plain), 0);
}

QTEST_GUILESS_MAIN(DeviceSdkTest)
#include "tst_devicesdk.moc"
