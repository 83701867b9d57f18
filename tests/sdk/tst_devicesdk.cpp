// The program's SDK helpers against simulated cameras on 127.0.40.x.

#include "devicesdk.h"
#include "fleet.h"
#include "recordfields.h"
#include "solvane.h"

#include <QTest>

#include <memory>

static constexpr quint16 Port = 18040;
enum Cam { Plain, Ability, Faulty, RoundTrip, Count };

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
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("lastBuffer");
        QTest::newRow("text and zero just fit") << 5120 << 5119 << 1 << 5120;
        QTest::newRow("zero does not fit") << 5120 << 5120 << 2 << 10240;
        // The largest text a device may send fits the last buffer of either start.
        QTest::newRow("largest text") << 5120 << 32767 << 4 << 40960;
        QTest::newRow("upgrade start, largest text, five calls") << 2048 << 32767 << 5 << 32768;
    }

    void abilityBufferDoubles()
    {
        QFETCH(int, initial);
        QFETCH(int, textSize);
        devsim::Fault fault;
        fault.abilityMinSize = textSize;
        m_fleet->setFault(Ability, fault);
        SdkLogin login(ip(Ability), Port, "admin", "60917");
        QVERIFY(login.ok());
        const AbilityText ability = readAbility(login.userId(), SOLV_ABILITY_DEVICE, initial);
        QVERIFY(ability.ok);
        QTEST(ability.calls, "calls");
        QTEST(ability.bufferSize, "lastBuffer");
        QCOMPARE(ability.error, 0u);
        QVERIFY(ability.text.contains("<UpdateFlag>") && ability.text.size() >= textSize);
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

    // For every record: a get, a change of one named field and a set leave
    // every other byte of the camera's record as it was.
    void changeOneFieldKeepsTheRest_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");

        // One row a record, so every record type goes to the camera and back.
        auto row = [](const char *record, const char *field, const QString &value) {
            QTest::addRow("%s.%s", record, field) << QString(record) << QString(field) << value;
        };
        row("device", "name", "Renamed camera");
        row("net", "gateway", "127.0.40.200");
        row("front", "exposureTime", "123400");
        row("picture", "channelName", QString(32, 'Z'));
        row("compression", "sub.bitrate", "0x80000800");
        row("record", "day3.slot5", "01:02-03:04/5");
        row("ddns", "entry2.userName", "peanut-user");
        row("ntp", "port", "1123");
        row("nfs", "disk7.directory", "/srv/last");
        row("email", "receiver2.address", "x@example.net");
        row("decoder", "decoderAddress", "201");
    }

    void changeOneFieldKeepsTheRest()
    {
        QFETCH(QString, record);
        QFETCH(QString, field);
        QFETCH(QString, value);

        const RecordType *type = findRecordType(record);
        QVERIFY(type);
        const RecordField *named = findField(*type, field);
        QVERIFY(named);
        QVariant parsed;
        QVERIFY(parseFieldValue(*named, value, parsed, nullptr));
        // Still the factory's record, pattern bytes and all.
        const QByteArray onCamera = m_fleet->record(RoundTrip, type->getCommand);
        QCOMPARE(onCamera, m_fleet->factoryRecord(RoundTrip, type->getCommand));
        QCOMPARE(onCamera.size(), type->size);

        SdkLogin login(ip(RoundTrip), Port, "admin", "60917");
        QVERIFY(login.ok());
        QByteArray bytes;
        QVERIFY(readRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
        QCOMPARE(bytes, onCamera);

        // Every named field rewritten with the text it shows changes nothing.
        for (const RecordField &each : type->fields) {
            QVariant same;
            QVERIFY(parseFieldValue(each, fieldValueText(each, each.read(bytes)), same, nullptr));
            each.write(bytes, same);
        }
        QVERIFY(writeRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
        QCOMPARE(m_fleet->record(RoundTrip, type->getCommand), onCamera);

        named->write(bytes, parsed);
        QVERIFY2(bytes != onCamera, "the change must be a real one");
        QVERIFY(writeRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
        // The camera holds exactly what was sent: the read bytes with one field changed.
        const QByteArray after = m_fleet->record(RoundTrip, type->getCommand);
        QCOMPARE(after, bytes);
        int changed = 0;
        for (int i = 0; i < after.size(); ++i) {
            changed += after.at(i) != onCamera.at(i) ? 1 : 0;
        }
        QVERIFY(changed > 0 && changed <= named->width);
        QCOMPARE(fieldValueText(*named, named->read(after)), fieldValueText(*named, parsed));

        QByteArray again;
        QVERIFY(readRecordBytes(login.userId(), type->getCommand, type->channel, again));
        QCOMPARE(again, after);
    }
};

QTEST_GUILESS_MAIN(DeviceSdkTest)
#include "tst_devicesdk.moc"
