// For every record: a get, a change of one named field and a set leave every
// other byte of the camera's record as it was.

#include "devicesdk.h"
#include "factory.h"
#include "fleet.h"
#include "recordfields.h"
#include "solvane.h"

#include <QTest>

#include <memory>

namespace {

constexpr quint16 Port = 18042;

} // namespace

class RecordRoundTripTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<devsim::Fleet> m_fleet;

private slots:
    void initTestCase();
    void cleanupTestCase();
    void changeOneFieldKeepsTheRest_data();
    void changeOneFieldKeepsTheRest();
};

void RecordRoundTripTest::initTestCase()
{
    SOLV_Init();
    SOLV_SetConnectTime(3000, 1);
    SOLV_SetRecvTimeOut(5000);
    devsim::FleetOptions options;
    options.count = 1;
    options.firstAddress = QStringLiteral("127.0.42.1");
    options.port = Port;
    options.seed = 42;
    options.discoveryPort = 0;
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));
}

void RecordRoundTripTest::cleanupTestCase()
{
    m_fleet.reset();
    SOLV_Cleanup();
}

void RecordRoundTripTest::changeOneFieldKeepsTheRest_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");

    // One row a record, so every record type goes to the camera and back.
    auto row = [](const char *record, const char *field, const QString &value) {
        QTest::addRow("%s.%s", record, field) << QString(record) << QString(field) << value;
    };
    row("device", "name", "Renamed camera");
    row("net", "gateway", "127.0.42.200");
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

void RecordRoundTripTest::changeOneFieldKeepsTheRest()
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
    const QByteArray onCamera = m_fleet->record(0, type->getCommand);
    QCOMPARE(onCamera, m_fleet->factoryRecord(0, type->getCommand));
    QCOMPARE(onCamera.size(), type->size);

    SdkLogin login(m_fleet->address(0).toLatin1(), Port, "admin", "60917");
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
    QCOMPARE(m_fleet->record(0, type->getCommand), onCamera);

    named->write(bytes, parsed);
    QVERIFY2(bytes != onCamera, "the change must be a real one");
    QVERIFY(writeRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
    // The camera holds exactly what was sent: the read bytes with one field changed.
    const QByteArray after = m_fleet->record(0, type->getCommand);
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

QTEST_GUILESS_MAIN(RecordRoundTripTest)
#include "tst_recordroundtrip.moc"
