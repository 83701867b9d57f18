#include "configtestsupport.h"
#include "ptzconfig.h"

#include <QPushButton>

using namespace configtest;

namespace {

constexpr int Camera = 0;
const QString Saved = QStringLiteral("Succeed to save PTZ parameters!");

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

    std::unique_ptr<Site> m_site;
    std::unique_ptr<FakeServices> m_services;
    std::unique_ptr<SdkLogin> m_login;
    QByteArray m_start; // the camera's decoder record at the start of each test

    QByteArray deviceRecord() const { return m_site->fleet->record(Camera, SOLV_GET_DECODERCFG); }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.71.1", 18710, 1, 1.0, 3);
        QVERIFY(m_site->start());
    }

    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        DecoderCfg record;
        record.bytes() = m_site->fleet->factoryRecord(Camera, SOLV_GET_DECODERCFG);
        record.setBaudRate(9);
        record.setDataBits(3);
        record.setStopBits(0);
        record.setParity(1);
        record.setFlowControl(2);
        record.setDecoderType(1);
        record.setDecoderAddress(17);
        m_start = record.bytes();
        m_site->fleet->setRecord(Camera, SOLV_GET_DECODERCFG, m_start);
        m_services = std::make_unique<FakeServices>();
        m_login = m_site->login(Camera);
        QVERIFY(m_login->ok());
    }

    void cleanup()
    {
        m_login.reset();
        m_services.reset();
        m_site->fleet->clearFault(Camera);
    }

    void loadShowsTheRecordAndTheDevicesProtocols()
    {
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        QList<int> shown;
        for (const char *name : { "BaudRatecomboBox", "DataBitcomboBox", "StopBitcomboBox",
                 "ParitycomboBox", "FlowcontrolcomboBox", "DecoderTypecomboBox" }) {
            shown << child<QComboBox>(page, name)->currentIndex();
        }
        shown << child<QSpinBox>(page, "DecoderAddresslineEdit")->value();
        QCOMPARE(shown, (QList<int> { 9, 3, 0, 1, 2, 1, 17 }));
        auto *types = child<QComboBox>(page, "DecoderTypecomboBox");
        QCOMPARE(types->itemText(0) + types->itemText(1) + types->itemText(2),
            QStringLiteral("PELCO-DPELCO-PPELCO-D-EXT"));
        QVERIFY(child(page, "RS485groupBox")->isEnabled()
            && child(page, "SavepushButton")->isEnabled());
        QVERIFY(m_services->log.isEmpty());
        // The same device again lists its protocols once.
        page.LoadConfig(m_login->userId());
        QCOMPARE(types->count(), 3);
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
        QFETCH(QStringList, loadLog);
        m_start = withField(m_start, SOLV_DECODERCFG_DECODER_TYPE_OFFSET, 2, decoderType);
        m_site->fleet->setRecord(Camera, SOLV_GET_DECODERCFG, m_start);
        devsim::Fault fault;
        fault.ptzUnsupported = !listReadable;
        m_site->fleet->setFault(Camera, fault);
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        auto *types = child<QComboBox>(page, "DecoderTypecomboBox");
        QTEST(types->count(), "items");
        QTEST(types->currentIndex(), "shownIndex");
        QCOMPARE(m_services->log, loadLog);
        QTest::mouseClick(child<QPushButton>(page, "SavepushButton"), Qt::LeftButton);
        QCOMPARE(m_services->log, loadLog << Saved);
        QCOMPARE(deviceRecord(), m_start);
    }

    void saveChangesOneFieldEveryOtherByteStays_data()
    {
        QTest::addColumn<QByteArray>("widget");
        QTest::addColumn<int>("value"); // combo index or spin box value
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        const auto row = [](const char *widget, int value, int offset, int width) {
            QTest::newRow(widget) << QByteArray(widget) << value << offset << width;
        };
        row("BaudRatecomboBox", 14, SOLV_DECODERCFG_BAUD_RATE_OFFSET, 4);
        row("DataBitcomboBox", 0, SOLV_DECODERCFG_DATA_BITS_OFFSET, 1);
        row("StopBitcomboBox", 1, SOLV_DECODERCFG_STOP_BITS_OFFSET, 1);
        row("ParitycomboBox", 2, SOLV_DECODERCFG_PARITY_OFFSET, 1);
        row("FlowcontrolcomboBox", 0, SOLV_DECODERCFG_FLOW_CONTROL_OFFSET, 1);
        row("DecoderTypecomboBox", 2, SOLV_DECODERCFG_DECODER_TYPE_OFFSET, 2);
        row("DecoderAddresslineEdit", 255, SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET, 2);
    }

    void saveChangesOneFieldEveryOtherByteStays()
    {
        QFETCH(QByteArray, widget);
        QFETCH(int, value);
        QFETCH(int, offset);
        QFETCH(int, width);
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        apply(page, { { widget.constData(), value } });
        const QByteArray changed = withField(m_start, offset, width, quint32(value));
        page.GetPTZFromUi(); // the templet's copy
        QCOMPARE(page.decoderCfg().bytes(), changed);
        QCOMPARE(deviceRecord(), m_start);
        page.SaveDevPTZCfg();
        QCOMPARE(m_services->log, QStringList { Saved });
        QCOMPARE(deviceRecord(), changed);
    }

    void refusedSaveLogsTheFailure()
    {
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        apply(page, { { "DecoderAddresslineEdit", 3 } });
        m_site->fail(Camera, { SOLV_GET_DECODERCFG });
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
        CPTZconfig page;
        page.LoadConfig(m_login->userId());
        if (readFails) {
            m_site->fail(Camera, {}, { SOLV_GET_DECODERCFG });
        }
        page.LoadConfig(readFails ? m_login->userId() : -1);
        QTEST(m_services->log, "log");
        for (const char *name : { "RS485groupBox", "SavepushButton", "PTZcheckBox" }) {
            QVERIFY2(!child(page, name)->isEnabled(), name);
        }
    }
};

QTEST_MAIN(TestPtzConfig)
#include "tst_ptzconfig.moc"
