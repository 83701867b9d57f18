// The simulator's factory contents: deterministic, unique where devices must
// differ, valid for every page that reads them, and the pattern everywhere else.

#include "deviceformat.h"
#include "factory.h"
#include "recordfields.h"
#include "records.h"

#include <QDomDocument>
#include <QSet>
#include <QTest>

namespace {

devsim::FactoryDevice device(int index, quint32 seed = 1)
{
    return devsim::makeFactoryDevice(index, seed, QStringLiteral("10.1.2.%1").arg(index + 1), 8000);
}

QByteArray patternRecord(quint32 command)
{
    QByteArray bytes(int(SOLV_RecordSize(command)), '\0');
    for (int i = 0; i < bytes.size(); ++i) {
        bytes[i] = char(devsim::patternByte(command, i));
    }
    return bytes;
}

// Sets every named field of the record to zero or empty text.
QByteArray withNamedFieldsCleared(const RecordType &type, QByteArray bytes)
{
    for (const RecordField &field : type.fields) {
        QVariant zero;
        switch (field.kind) {
        case FieldKind::Number:
            zero = qulonglong(0);
            break;
        case FieldKind::Text:
            zero = QByteArray();
            break;
        case FieldKind::Mac:
            zero = QStringLiteral("00:00:00:00:00:00");
            break;
        case FieldKind::Slot:
            zero = QStringLiteral("00:00-00:00/0");
            break;
        }
        field.write(bytes, zero);
    }
    return bytes;
}

} // namespace

class FactoryTest : public QObject
{
    Q_OBJECT

private slots:
    void sameIndexAndSeedGiveSameDevice();
    void everyRecordHasItsSize();
    void unlistedBytesHoldThePattern();
    void identitiesAndFirmwareNamesArePlausible();
    void networkRecordFollowsAddress();
    void pageValuesAreInRangeOfTheAbility();
    void ptzProtocolsAreListed();
};

void FactoryTest::sameIndexAndSeedGiveSameDevice()
{
    const auto a = device(5, 77);
    const auto b = device(5, 77);
    QCOMPARE(a.records, b.records);
    QCOMPARE(a.cameraAbility, b.cameraAbility);
    QCOMPARE(a.deviceAbility, b.deviceAbility);
    QCOMPARE(a.startTime, b.startTime);
    QVERIFY(device(5, 78).records != a.records);
}

void FactoryTest::everyRecordHasItsSize()
{
    const auto d = device(0);
    QCOMPARE(d.records.size(), SOLV_RECORD_COUNT);
    for (int i = 0; i < SOLV_RECORD_COUNT; ++i) {
        const quint32 command = SOLV_RecordGetCommandAt(i);
        QVERIFY2(d.records.contains(command), qPrintable(QString::number(command)));
        QCOMPARE(quint32(d.records.value(command).size()), SOLV_RecordSize(command));
    }
}

void FactoryTest::unlistedBytesHoldThePattern()
{
    // The pattern itself is varied, so a record of zeros would not pass for it.
    QSet<quint8> values;
    for (int offset = 0; offset < 64; ++offset) {
        values.insert(devsim::patternByte(SOLV_GET_FRONTCFG, offset));
    }
    QVERIFY(values.size() > 32);
    QVERIFY(devsim::patternByte(SOLV_GET_FRONTCFG, 0) != devsim::patternByte(SOLV_GET_NETCFG, 0));

    // With every named field cleared, a factory record and a record of pure
    // pattern must be identical: the factory wrote nothing outside the fields.
    for (int index : { 0, 3, 4, 11 }) {
        const auto d = device(index);
        for (const RecordType &type : recordTypes()) {
            const QByteArray factory
                = withNamedFieldsCleared(type, d.records.value(type.getCommand));
            const QByteArray pattern = withNamedFieldsCleared(type, patternRecord(type.getCommand));
            QVERIFY2(factory == pattern, qPrintable(type.name));
        }
    }
}

void FactoryTest::identitiesAndFirmwareNamesArePlausible()
{
    QSet<QByteArray> names, serials, macs;
    QSet<quint8> types;
    QSet<QString> firmwareNames;
    int olderVersions = 0;
    const int count = 300;
    for (int index = 0; index < count; ++index) {
        const auto d = device(index);
        DeviceCfg cfg;
        QVERIFY(cfg.setBytes(d.records.value(SOLV_GET_DEVICECFG)));
        NetCfg net;
        QVERIFY(net.setBytes(d.records.value(SOLV_GET_NETCFG)));
        QVERIFY(cfg.serialNumber().startsWith("TVX-"));
        QCOMPARE(cfg.serialNumber().size(), 24);
        serials.insert(cfg.serialNumber());
        // Locally administered, never multicast.
        QCOMPARE(quint8(net.mac().at(0)) & 0x03, 0x02);
        macs.insert(net.mac());
        QVERIFY(!cfg.name().isEmpty());
        names.insert(cfg.name());
        types.insert(cfg.deviceType());
        QVERIFY2(qstrcmp(seriesName(cfg.deviceType()), "Unknown type") != 0,
            qPrintable(QString::number(cfg.deviceType())));
        QCOMPARE(cfg.channelCount(), quint8(1));
        QVERIFY(cfg.diskCount() <= 1);
        QVERIFY(d.discoveryTypeCode != 0);
        QCOMPARE(d.startTime.size(), 19);
        const quint32 date = cfg.softwareBuildDate();
        QVERIFY((date >> 8 & 0xFF) >= 1 && (date >> 8 & 0xFF) <= 12);
        QVERIFY((date & 0xFF) >= 1 && (date & 0xFF) <= 31);
        // The firmware image name is built from the device ability's texts.
        QDomDocument ability;
        QVERIFY(ability.setContent(d.deviceAbility));
        QCOMPARE(ability.documentElement().tagName(), QStringLiteral("UpdateFlag"));
        QString firmware = QStringLiteral("Travok.dav");
        for (const char *tag :
            { "PlatForm", "FlashSize", "MemorySize", "MajorType", "MinorType", "Language" }) {
            const QString text = ability.documentElement().firstChildElement(tag).text();
            QVERIFY2(!text.isEmpty() && !text.contains(' '), tag);
            firmware += text;
        }
        firmwareNames.insert(firmware);
        // The older version form has a zero top byte and a non-zero major.
        if (cfg.softwareVersion() >> 24 == 0) {
            ++olderVersions;
            QVERIFY(cfg.softwareVersion() >> 16 != 0);
        }
    }
    QCOMPARE(serials.size(), count);
    QCOMPARE(macs.size(), count);
    QCOMPARE(names.size(), count);
    QVERIFY(types.size() > 3);
    QVERIFY(olderVersions > 0 && olderVersions < count);
    // Several models share a fleet, so a firmware directory needs several images.
    QVERIFY(firmwareNames.size() > 3);
}

void FactoryTest::networkRecordFollowsAddress()
{
    const auto d = devsim::makeFactoryDevice(2, 1, QStringLiteral("192.168.7.33"), 8123);
    NetCfg net;
    QVERIFY(net.setBytes(d.records.value(SOLV_GET_NETCFG)));
    QCOMPARE(net.ipAddress(), QByteArray("192.168.7.33"));
    QCOMPARE(net.subnetMask(), QByteArray("255.255.255.0"));
    QCOMPARE(net.gateway(), QByteArray("192.168.7.254"));
    QCOMPARE(net.port(), quint16(8123));
}

void FactoryTest::pageValuesAreInRangeOfTheAbility()
{
    const QSet<int> resolutions = { 0, 1, 2, 3, 4, 16, 17, 18, 19, 20, 21, 22, 27, 28, 29, 30, 31 };
    const QSet<int> outputs = { 0, 1, 2, 20, 21, 22, 23, 24, 25, 26, 27, 28 };
    const QSet<int> encodings = { 0, 1, 2, 7 };
    bool sawCustomBitrate = false;
    for (int index = 0; index < 40; ++index) {
        const auto d = device(index);
        FrontCfg front;
        QVERIFY(front.setBytes(d.records.value(SOLV_GET_FRONTCFG)));
        for (quint8 v : { front.brightness(), front.contrast(), front.sharpness(),
                 front.saturation(), front.gain() }) {
            QVERIFY(v <= 100);
        }
        QVERIFY(front.exposureMode() <= 1);
        QVERIFY(front.exposureTime() <= 5000000);
        // The camera ability bounds the exposure time the camera holds.
        QDomDocument ability;
        QVERIFY(ability.setContent(d.cameraAbility));
        QCOMPARE(ability.documentElement().tagName(), QStringLiteral("CAMERAPARA"));
        const QDomElement user = ability.documentElement()
                                     .firstChildElement(QStringLiteral("Exposure"))
                                     .firstChildElement(QStringLiteral("exposureUSERSET"));
        bool minOk = false;
        bool maxOk = false;
        const int minimum = user.firstChildElement(QStringLiteral("Min")).text().toInt(&minOk);
        const int maximum = user.firstChildElement(QStringLiteral("Max")).text().toInt(&maxOk);
        QVERIFY(minOk && maxOk && minimum < maximum);
        QVERIFY(int(front.exposureTime()) >= minimum && int(front.exposureTime()) <= maximum);
        QVERIFY(front.dayNightFilterType() <= 2);
        QVERIFY(front.dayToNightSensitivity() <= 7 && front.nightToDaySensitivity() <= 7);
        QVERIFY(front.dayNightFilterTime() >= 1 && front.dayNightFilterTime() <= 120);
        QVERIFY(front.irisMode() <= 1);
        QVERIFY(outputs.contains(front.localOutput()));

        CompressCfg compression;
        QVERIFY(compression.setBytes(d.records.value(SOLV_GET_COMPRESSCFG)));
        for (int block : { CompressCfg::MainStream, CompressCfg::SubStream }) {
            QVERIFY(resolutions.contains(compression.resolution(block)));
            const quint32 bitrate = compression.bitrate(block);
            if (CompressCfg::isCustomBitrate(bitrate)) {
                sawCustomBitrate = true;
                QVERIFY(CompressCfg::customBitrateKbps(bitrate) > 0);
            } else {
                QVERIFY(bitrate >= 1 && bitrate <= 27);
            }
            QVERIFY(compression.frameRate(block) <= 16);
            QVERIFY(encodings.contains(compression.encodeType(block)));
        }

        PicCfg picture;
        QVERIFY(picture.setBytes(d.records.value(SOLV_GET_PICCFG)));
        QVERIFY(!picture.channelName().isEmpty());
        QVERIFY(picture.osdType() <= 5);

        RecordCfg record;
        QVERIFY(record.setBytes(d.records.value(SOLV_GET_RECORDCFG)));
        for (int day = 0; day < RecordCfg::dayCount; ++day) {
            QVERIFY(record.allDayType(day) <= 6);
            for (int slot = 0; slot < RecordCfg::slotCount; ++slot) {
                const RecordSlot s = record.slot(day, slot);
                QVERIFY(s.startHour <= 24 && s.stopHour <= 24 && s.startMinute < 60
                    && s.stopMinute < 60 && s.type <= 6);
            }
        }

        DdnsCfg ddns;
        QVERIFY(ddns.setBytes(d.records.value(SOLV_GET_DDNSCFG)));
        QVERIFY(ddns.serverType() <= 3);
        QVERIFY(!ddns.serverAddress(ddns.serverType()).isEmpty());

        DecoderCfg decoder;
        QVERIFY(decoder.setBytes(d.records.value(SOLV_GET_DECODERCFG)));
        QVERIFY(decoder.baudRate() <= 14);
        QVERIFY(decoder.dataBits() <= 3 && decoder.stopBits() <= 1 && decoder.parity() <= 2
            && decoder.flowControl() <= 2);
        QVERIFY(decoder.decoderType() < d.ptzProtocols.size());
        QVERIFY(decoder.decoderAddress() <= 255);

        EmailCfg email;
        QVERIFY(email.setBytes(d.records.value(SOLV_GET_EMAILCFG)));
        QVERIFY(email.mailInterval() <= 3);
        QVERIFY(email.smtpPort() != 0);

        NtpCfg ntp;
        QVERIFY(ntp.setBytes(d.records.value(SOLV_GET_NTPCFG)));
        QCOMPARE(ntp.port(), quint16(123));
    }
    QVERIFY(sawCustomBitrate);
}

void FactoryTest::ptzProtocolsAreListed()
{
    const auto d = devsim::makeFactoryDevice(0, 1, QStringLiteral("10.0.0.1"), 8000, 30);
    QCOMPARE(d.ptzProtocols.size(), 30);
    QSet<QByteArray> names;
    for (const auto &[type, name] : d.ptzProtocols) {
        QVERIFY(!name.isEmpty() && name.size() <= 15);
        names.insert(name);
    }
    QCOMPARE(names.size(), 30);
    for (const auto &[asked, listed] : { std::pair { 500, 200 }, std::pair { 0, 0 } }) {
        QCOMPARE(
            devsim::makeFactoryDevice(0, 1, "10.0.0.1", 8000, asked).ptzProtocols.size(), listed);
    }
}

QTEST_APPLESS_MAIN(FactoryTest)
#include "tst_factory.moc"
