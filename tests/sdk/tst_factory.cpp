// The simulator's factory contents that other suites build on.

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

// Every named field set to zero or empty text.
QByteArray withNamedFieldsCleared(const RecordType &type, QByteArray bytes)
{
    for (const RecordField &field : type.fields) {
        const char *zero = field.kind == FieldKind::Mac ? "00:00:00:00:00:00"
            : field.kind == FieldKind::Slot             ? "00:00-00:00/0"
            : field.kind == FieldKind::Text             ? ""
                                                        : "0";
        QVariant value;
        ::parseFieldValue(field, QString::fromLatin1(zero), value, nullptr);
        field.write(bytes, value);
    }
    return bytes;
}

} // namespace

class FactoryTest : public QObject
{
    Q_OBJECT

private slots:
    void sameIndexAndSeedGiveSameDevice()
    {
        const auto a = device(5, 77);
        const auto b = device(5, 77);
        QCOMPARE(a.records, b.records);
        QCOMPARE(a.cameraAbility, b.cameraAbility);
        QCOMPARE(a.deviceAbility, b.deviceAbility);
        QVERIFY(device(5, 78).records != a.records);
    }

    void recordsHaveTheirSizeAndThePatternOutsideFields()
    {
        for (int index : { 0, 3, 4, 11 }) {
            const auto d = device(index);
            QCOMPARE(d.records.size(), SOLV_RECORD_COUNT);
            for (const RecordType &type : recordTypes()) {
                const QByteArray record = d.records.value(type.getCommand);
                QCOMPARE(quint32(record.size()), SOLV_RecordSize(type.getCommand));
                QByteArray pattern(record.size(), '\0');
                for (int i = 0; i < pattern.size(); ++i) {
                    pattern[i] = char(devsim::patternByte(type.getCommand, i));
                }
                QVERIFY2(
                    pattern.count(pattern.at(0)) < pattern.size() / 2, "pattern is not varied");
                // With the named fields cleared, nothing is left but the pattern.
                QVERIFY2(
                    withNamedFieldsCleared(type, record) == withNamedFieldsCleared(type, pattern),
                    qPrintable(type.name));
            }
        }
    }

    void fleetHasUniqueIdentitiesAndReadableAbilities()
    {
        QSet<QByteArray> serials, macs;
        const int count = 300;
        for (int index = 0; index < count; ++index) {
            const auto d = device(index);
            DeviceCfg cfg;
            NetCfg net;
            QVERIFY(cfg.setBytes(d.records.value(SOLV_GET_DEVICECFG)));
            QVERIFY(net.setBytes(d.records.value(SOLV_GET_NETCFG)));
            serials.insert(cfg.serialNumber());
            macs.insert(net.mac());
            // The firmware image name and the exposure range are read from these.
            QDomDocument device, camera;
            QVERIFY(device.setContent(d.deviceAbility) && camera.setContent(d.cameraAbility));
            QCOMPARE(device.documentElement().tagName(), QStringLiteral("UpdateFlag"));
            for (const char *tag :
                { "PlatForm", "FlashSize", "MemorySize", "MajorType", "MinorType", "Language" }) {
                QVERIFY2(!device.documentElement().firstChildElement(tag).text().isEmpty(), tag);
            }
            QCOMPARE(camera.documentElement().tagName(), QStringLiteral("CAMERAPARA"));
            const QDomElement user = camera.documentElement()
                                         .firstChildElement(QStringLiteral("Exposure"))
                                         .firstChildElement(QStringLiteral("exposureUSERSET"));
            bool minOk = false;
            bool maxOk = false;
            QVERIFY(user.firstChildElement(QStringLiteral("Min")).text().toInt(&minOk)
                < user.firstChildElement(QStringLiteral("Max")).text().toInt(&maxOk));
            QVERIFY(minOk && maxOk);
        }
        QCOMPARE(serials.size(), count);
        QCOMPARE(macs.size(), count);
    }
};

QTEST_APPLESS_MAIN(FactoryTest)
#include "tst_factory.moc"
