#include "devicesdk.h"
#include "fakeservices.h"
#include "fleet.h"
#include "mirt.h"
#include "ptzconfig.h"
#include "solvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

constexpr quint16 FleetPort = 18710;
constexpr int Camera = 0;

template<typename T> T *child(const QWidget &page, const char *name)
{
    T *widget = page.findChild<T *>(QLatin1String(name));
    Q_ASSERT(widget);
    return widget;
}

QStringList items(const QComboBox *combo)
{
    QStringList result;
    for (int i = 0; i < combo->count(); ++i) {
        result << combo->itemText(i);
    }
    return result;
}

// `bytes` with the little-endian number of `width` bytes at `offset` replaced.
QByteArray withField(QByteArray bytes, int offset, int width, quint32 value)
{
    for (int i = 0; i < width; ++i) {
        bytes[offset + i] = char(value >> (8 * i));
    }
    return bytes;
}

} // namespace

// One camera that lists three PTZ protocols.
class TestPtzConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<SdkLogin> m_login;
    QByteArray m_start; // the camera's decoder record at the start of each test

    QByteArray deviceRecord() const { return m_fleet->record(Camera, SOLV_GET_DECODERCFG); }

    void startWithDecoderType(quint16 type)
    {
        m_start = withField(m_start, SOLV_DECODERCFG_DECODER_TYPE_OFFSET, 2, type);
        m_fleet->setRecord(Camera, SOLV_GET_DECODERCFG, m_start);
    }

private slots:
    void initTestCase()
    {
        MIRT_Init();
        SOLV_Init();
        devsim::FleetOptions options;
        options.firstAddress = QStringLiteral("127.0.71.1");
        options.port = FleetPort;
        options.discoveryPort = 0;
        options.ptzCount = 3;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init()
    {
        DecoderCfg record;
        record.bytes() = m_fleet->factoryRecord(Camera, SOLV_GET_DECODERCFG);
        record.setBaudRate(9);
        record.setDataBits(3);
        record.setStopBits(0);
        record.setParity(1);
        record.setFlowControl(2);
        record.setDecoderType(1);
        record.setDecoderAddress(17);
        m_start = record.bytes();
        m_fleet->setRecord(Camera, SOLV_GET_DECODERCFG, m_start);
        m_services = std::make_unique<FakeServices>();
        m_login = std::make_unique<SdkLogin>(m_fleet->address(Camera).toLatin1(), FleetPort,
            QByteArray("admin"), QByteArray("60917"));
        QVERIFY(m_login->ok());
    }

    void cleanup()
    {
        m_login.reset();
        m_services.reset();
        m_fleet->clearFault(Camera);
    }

    void loadShowsTheRecordAndTheDevicesProtocols()
    {
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        const QList<int> shown { child<QComboBox>(page, "BaudRatecomboBox")->currentIndex(),
            child<QComboBox>(page, "DataBitcomboBox")->currentIndex(),
            child<QComboBox>(page, "StopBitcomboBox")->currentIndex(),
            child<QComboBox>(page, "ParitycomboBox")->currentIndex(),
            child<QComboBox>(page, "FlowcontrolcomboBox")->currentIndex(),
            child<QComboBox>(page, "DecoderTypecomboBox")->currentIndex(),
            child<QSpinBox>(page, "DecoderAddresslineEdit")->value() };
        QCOMPARE(shown, (QList<int> { 9, 3, 0, 1, 2, 1, 17 }));
        QCOMPARE(items(child<QComboBox>(page, "DecoderTypecomboBox")),
            (QStringList { "PELCO-D", "PELCO-P", "PELCO-D-EXT" }));
        QVERIFY(child<QGroupBox>(page, "RS485groupBox")->isEnabled());
        QVERIFY(child<QPushButton>(page, "SavepushButton")->isEnabled());
        QCOMPARE(m_services->log, QStringList());

        // A second device, or the same again, lists its protocols once.
        page.LoadConfig(m_login->userId());
        QCOMPARE(child<QComboBox>(page, "DecoderTypecomboBox")->count(), 3);
    }

    // Whatever the combo can show, a save right after loading writes back what was read.
    void saveAfterLoadWritesTheRecordUnchanged_data()
    {
        QTest::addColumn<quint16>("decoderType");
        QTest::addColumn<bool>("listReadable");
        QTest::addColumn<int>("shownIndex");
        QTest::addColumn<int>("items");
        QTest::addColumn<QStringList>("loadLog");
        QTest::newRow("type in the list") << quint16(2) << true << 2 << 3 << QStringList();
        QTest::newRow("type outside the list") << quint16(7) << true << -1 << 3 << QStringList();
        QTest::newRow("type 0xFFFF") << quint16(0xFFFF) << true << -1 << 3 << QStringList();
        QTest::newRow("list unreadable")
            << quint16(2) << false << -1 << 0 << QStringList { "Failed to get PTZ parameters!" };
    }

    void saveAfterLoadWritesTheRecordUnchanged()
    {
        QFETCH(quint16, decoderType);
        QFETCH(bool, listReadable);
        QFETCH(int, shownIndex);
        QFETCH(int, items);
        QFETCH(QStringList, loadLog);
        startWithDecoderType(decoderType);
        if (!listReadable) {
            devsim::Fault fault;
            fault.ptzUnsupported = true;
            m_fleet->setFault(Camera, fault);
        }
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        auto *types = child<QComboBox>(page, "DecoderTypecomboBox");
        QCOMPARE(types->count(), items);
        QCOMPARE(types->currentIndex(), shownIndex);
        QCOMPARE(m_services->log, loadLog);

        QTest::mouseClick(child<QPushButton>(page, "SavepushButton"), Qt::LeftButton);
        QCOMPARE(m_services->log, loadLog << "Succeed to save PTZ parameters!");
        QCOMPARE(deviceRecord(), m_start);
    }

    void saveChangesOneFieldEveryOtherByteStays_data()
    {
        QTest::addColumn<QByteArray>("widget");
        QTest::addColumn<int>("value"); // combo index or spin box value
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::newRow("baud rate 115.2k")
            << QByteArray("BaudRatecomboBox") << 14 << SOLV_DECODERCFG_BAUD_RATE_OFFSET << 4;
        QTest::newRow("baud rate 50")
            << QByteArray("BaudRatecomboBox") << 0 << SOLV_DECODERCFG_BAUD_RATE_OFFSET << 4;
        QTest::newRow("data bits")
            << QByteArray("DataBitcomboBox") << 0 << SOLV_DECODERCFG_DATA_BITS_OFFSET << 1;
        QTest::newRow("stop bits")
            << QByteArray("StopBitcomboBox") << 1 << SOLV_DECODERCFG_STOP_BITS_OFFSET << 1;
        QTest::newRow("parity") << QByteArray("ParitycomboBox") << 2
                                << SOLV_DECODERCFG_PARITY_OFFSET << 1;
        QTest::newRow("flow control")
            << QByteArray("FlowcontrolcomboBox") << 0 << SOLV_DECODERCFG_FLOW_CONTROL_OFFSET << 1;
        QTest::newRow("decoder type")
            << QByteArray("DecoderTypecomboBox") << 2 << SOLV_DECODERCFG_DECODER_TYPE_OFFSET << 2;
        QTest::newRow("decoder address") << QByteArray("DecoderAddresslineEdit") << 255
                                         << SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET << 2;
    }

    void saveChangesOneFieldEveryOtherByteStays()
    {
        QFETCH(QByteArray, widget);
        QFETCH(int, value);
        QFETCH(int, offset);
        QFETCH(int, width);
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        QWidget *input = child<QWidget>(page, widget.constData());
        if (auto *combo = qobject_cast<QComboBox *>(input)) {
            combo->setCurrentIndex(value);
        } else {
            qobject_cast<QSpinBox *>(input)->setValue(value);
        }
        const QByteArray changed = withField(m_start, offset, width, quint32(value));
        page.GetPTZFromUi(); // the templet's copy
        QCOMPARE(page.decoderCfg().bytes(), changed);
        QCOMPARE(deviceRecord(), m_start);
        page.SaveDevPTZCfg();
        QCOMPARE(m_services->log, QStringList { "Succeed to save PTZ parameters!" });
        QCOMPARE(deviceRecord(), changed);
    }

    void refusedSaveLogsTheFailure()
    {
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        child<QSpinBox>(page, "DecoderAddresslineEdit")->setValue(3);
        devsim::Fault fault;
        fault.refusedSets.insert(SOLV_GET_DECODERCFG);
        m_fleet->setFault(Camera, fault);
        page.SaveDevPTZCfg();
        QCOMPARE(m_services->log, QStringList { "Failed to save PTZ parameters!" });
        QCOMPARE(deviceRecord(), m_start);
    }

    void noRecordDisablesThePage_data()
    {
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("no login") << false << QStringList();
        QTest::newRow("unreadable record")
            << true << QStringList { "Failed to get PTZ parameters!" };
    }

    void noRecordDisablesThePage()
    {
        QFETCH(bool, readFails);
        QFETCH(QStringList, log);
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        if (readFails) {
            devsim::Fault fault;
            fault.unsupportedCommands.insert(SOLV_GET_DECODERCFG);
            m_fleet->setFault(Camera, fault);
            page.LoadConfig(m_login->userId());
        } else {
            page.LoadConfig(-1);
        }
        QCOMPARE(m_services->log, log);
        QVERIFY(!child<QGroupBox>(page, "RS485groupBox")->isEnabled());
        QVERIFY(!child<QPushButton>(page, "SavepushButton")->isEnabled());
        QVERIFY(!child<QCheckBox>(page, "PTZcheckBox")->isEnabled());
    }
};

QTEST_MAIN(TestPtzConfig)
#include "tst_ptzconfig.moc"
