#include "configtestsupport.h"
#include "ptzconfig.h"

#include <QPushButton>

using namespace configtest;

// One camera that lists three PTZ protocols.
class TestPtzConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<Site> m_site;
    FakeServices m_services;

    Snapshot device() const { return snapshot(*m_site->fleet, 0, { "decoder" }); }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.71.1", 18710, 1, 1.0, 3);
        QVERIFY(m_site->fleet);
    }

    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        m_services.log.clear();
        m_site->fleet->clearFault(0);
    }

    // A save writes the widgets into the record read; a combo with no
    // current item (a type outside the list, no list) leaves its field as read.
    void saveWritesWhatTheFormShows_data()
    {
        QTest::addColumn<QString>("decoderType");
        QTest::addColumn<bool>("listReadable");
        QTest::addColumn<int>("shownType");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("changes");
        const auto row = [](const char *name, const char *type, bool list, int shown,
                             const Steps &steps = {}, const QStringList &changes = {}) {
            QTest::newRow(name) << type << list << shown << steps << changes;
        };
        row("type in the list", "2", true, 2);
        row("type outside the list", "7", true, -1);
        row("list unreadable", "2", false, -1);
        row("serial settings", "1", true, 1,
            { { "BaudRatecomboBox", 14 }, { "DataBitcomboBox", 0 }, { "StopBitcomboBox", 1 },
                { "ParitycomboBox", 2 }, { "FlowcontrolcomboBox", 0 } },
            { "decoder.baudRate=14", "decoder.dataBits=0", "decoder.stopBits=1", "decoder.parity=2",
                "decoder.flowControl=0" });
        row("decoder type", "1", true, 1, { { "DecoderTypecomboBox", 2 } },
            { "decoder.decoderType=2" });
        row("decoder address", "1", true, 1, { { "DecoderAddresslineEdit", 255 } },
            { "decoder.decoderAddress=255" });
    }

    void saveWritesWhatTheFormShows()
    {
        QFETCH(QString, decoderType);
        QFETCH(bool, listReadable);
        QFETCH(int, shownType);
        QFETCH(Steps, steps);
        const Snapshot start = changed(snapshot(*m_site->fleet, 0, { "decoder" }),
            { "decoder.baudRate=9", "decoder.dataBits=3", "decoder.stopBits=0", "decoder.parity=1",
                "decoder.flowControl=2", "decoder.decoderAddress=17",
                "decoder.decoderType=" + decoderType });
        store(*m_site->fleet, 0, start);
        devsim::Fault fault;
        fault.ptzUnsupported = !listReadable;
        m_site->fleet->setFault(0, fault);
        const auto login = m_site->login(0);
        CPTZconfig page;
        page.LoadConfig(login->userId());
        page.LoadConfig(login->userId()); // a second load lists the protocols once
        QList<int> shown;
        for (const char *name : { "BaudRatecomboBox", "DataBitcomboBox", "StopBitcomboBox",
                 "ParitycomboBox", "FlowcontrolcomboBox", "DecoderTypecomboBox" }) {
            shown << child<QComboBox>(page, name)->currentIndex();
        }
        shown << child<QSpinBox>(page, "DecoderAddresslineEdit")->value();
        QCOMPARE(shown, (QList<int> { 9, 3, 0, 1, 2, shownType, 17 }));
        auto *types = child<QComboBox>(page, "DecoderTypecomboBox");
        QStringList listed;
        for (int i = 0; i < types->count(); ++i) {
            listed << types->itemText(i);
        }
        QCOMPARE(listed.join(' '), listReadable ? "PELCO-D PELCO-P PELCO-D-EXT" : "");
        apply(page, steps);
        page.GetPTZFromUi(); // the templet's copy, not yet the device's
        QTEST(changes(start, { { "decoder", page.decoderCfg().bytes() } }), "changes");
        QCOMPARE(changes(start, device()), QStringList());
        QTest::mouseClick(child<QPushButton>(page, "SavepushButton"), Qt::LeftButton);
        QStringList log(listReadable ? 0 : 2, QStringLiteral("Failed to get PTZ parameters!"));
        QCOMPARE(m_services.log, log << "Succeed to save PTZ parameters!");
        QTEST(changes(start, device()), "changes");
    }

    void failures_data()
    {
        QTest::addColumn<int>("failure"); // 0: set refused, 1: record unreadable, 2: no login
        QTest::addColumn<QStringList>("log");
        QTest::newRow("set refused") << 0 << QStringList { "Failed to save PTZ parameters!" };
        QTest::newRow("record unreadable") << 1 << QStringList { "Failed to get PTZ parameters!" };
        QTest::newRow("no login") << 2 << QStringList();
    }

    // A refused set changes nothing; without a record the page is disabled.
    void failures()
    {
        QFETCH(int, failure);
        const Snapshot start = device();
        const auto login = m_site->login(0);
        CPTZconfig page;
        page.LoadConfig(login->userId());
        apply(page, { { "DecoderAddresslineEdit", 3 } });
        m_site->fail(0, { DecoderCfg::getCommand }, { DecoderCfg::getCommand });
        if (failure == 0) {
            page.SaveDevPTZCfg();
        } else {
            page.LoadConfig(failure == 1 ? login->userId() : -1);
            for (const char *name : { "RS485groupBox", "SavepushButton", "PTZcheckBox" }) {
                QVERIFY2(!child(page, name)->isEnabled(), name);
            }
        }
        QTEST(m_services.log, "log");
        QCOMPARE(changes(start, device()), QStringList());
    }
};

QTEST_MAIN(TestPtzConfig)
#include "tst_ptzconfig.moc"
