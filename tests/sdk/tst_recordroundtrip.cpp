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
    void unchangedRecordGoesBackIdentical_data();
    void unchangedRecordGoesBackIdentical();
};

void RecordRoundTripTest::initTestCase()
{
    SOLV_Init();
    SOLV_SetConnectTime(3000, 1);
    SOLV_SetRecvTimeOut(5000);
    devsim::FleetOptions options;
    options.count = 2;
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

    QTest::newRow("device name") << "device"
                                 << "name"
                                 << "Renamed camera";
    QTest::newRow("net gateway") << "net"
                                 << "gateway"
                                 << "127.0.42.200";
    QTest::newRow("net mask") << "net"
                              << "subnetMask"
                              << "255.255.0.0";
    QTest::newRow("front brightness") << "front"
                                      << "brightness"
                                      << "99";
    QTest::newRow("front exposure time") << "front"
                                         << "exposureTime"
                                         << "123400";
    QTest::newRow("picture channel name") << "picture"
                                          << "channelName" << QString(32, 'Z');
    QTest::newRow("compression sub bitrate") << "compression"
                                             << "sub.bitrate"
                                             << "0x80000800";
    QTest::newRow("compression main resolution") << "compression"
                                                 << "main.resolution"
                                                 << "31";
    QTest::newRow("record slot") << "record"
                                 << "day3.slot5"
                                 << "01:02-03:04/5";
    QTest::newRow("ddns user of type 2") << "ddns"
                                         << "entry2.userName"
                                         << "peanut-user";
    QTest::newRow("ntp port") << "ntp"
                              << "port"
                              << "1123";
    QTest::newRow("nfs last directory") << "nfs"
                                        << "disk7.directory"
                                        << "/srv/last";
    QTest::newRow("email last receiver") << "email"
                                         << "receiver2.address"
                                         << "x@example.net";
    QTest::newRow("email smtp port") << "email"
                                     << "smtpPort"
                                     << "2525";
    QTest::newRow("decoder address") << "decoder"
                                     << "decoderAddress"
                                     << "201";
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

    const int camera = 0;
    const QByteArray onCamera = m_fleet->record(camera, type->getCommand);
    QCOMPARE(onCamera.size(), type->size);

    SdkLogin login(m_fleet->address(camera).toLatin1(), Port, "admin", "60917");
    QVERIFY(login.ok());
    QByteArray bytes;
    QVERIFY(readRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
    QCOMPARE(bytes, onCamera);

    named->write(bytes, parsed);
    QVERIFY2(bytes != onCamera, "the change must be a real one");
    QVERIFY(writeRecordBytes(login.userId(), type->getCommand, type->channel, bytes));

    // The camera holds exactly what was sent: the read bytes with one field changed.
    const QByteArray after = m_fleet->record(camera, type->getCommand);
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

void RecordRoundTripTest::unchangedRecordGoesBackIdentical_data()
{
    QTest::addColumn<QString>("record");
    for (const RecordType &type : recordTypes()) {
        QTest::newRow(qPrintable(type.name)) << type.name;
    }
}

void RecordRoundTripTest::unchangedRecordGoesBackIdentical()
{
    QFETCH(QString, record);
    const RecordType *type = findRecordType(record);
    QVERIFY(type);
    const int camera = 1;
    // Still the factory's record, pattern bytes and all.
    QCOMPARE(m_fleet->record(camera, type->getCommand),
        m_fleet->factoryRecord(camera, type->getCommand));

    SdkLogin login(m_fleet->address(camera).toLatin1(), Port, "admin", "60917");
    QVERIFY(login.ok());
    QByteArray bytes;
    QVERIFY(readRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
    // Every named field rewritten with the value it holds changes nothing.
    for (const RecordField &field : type->fields) {
        QVariant value;
        QVERIFY(parseFieldValue(field, fieldValueText(field, field.read(bytes)), value, nullptr));
        field.write(bytes, value);
    }
    QVERIFY(writeRecordBytes(login.userId(), type->getCommand, type->channel, bytes));
    QCOMPARE(m_fleet->record(camera, type->getCommand),
        m_fleet->factoryRecord(camera, type->getCommand));
}

QTEST_GUILESS_MAIN(RecordRoundTripTest)
#include "tst_recordroundtrip.moc"
