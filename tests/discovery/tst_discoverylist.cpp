#include "devicelistmodel.h"
#include "discovery.h"
#include "fleet.h"
#include "quarry_protocol.h"
#include "quarryloader.h"
#include "searchadapter.h"
#include "solvane.h"
#include "tervix.h"

#include <QListWidget>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

// The window with its message boxes recorded instead of shown.
class RecordingTervix : public Tervix
{
public:
    QStringList titles;
    QStringList messages;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        titles << title;
        messages << text;
    }
};

void sendRaw(const quarry::Packet &packet)
{
    const int fd = quarry::openRequestSocket();
    QVERIFY(fd >= 0);
    QVERIFY(quarry::sendToGroup(fd, quarry::discoveryGroup(), quarry::discoveryPort(),
        in_addr { htonl(INADDR_LOOPBACK) }, packet));
    close(fd);
}

// The operation log's lines (found by the list's object name).
QStringList logLines(const QWidget *window)
{
    QStringList lines;
    for (const QListWidget *list :
        window->findChildren<QListWidget *>(QStringLiteral("listWidget"))) {
        for (int i = 0; i < list->count(); ++i) {
            lines << list->item(i)->text();
        }
    }
    return lines;
}

bool logged(const QWidget *window, const QString &text)
{
    for (const QString &line : logLines(window)) {
        if (line.endsWith(QStringLiteral("] ") + text)) {
            return true;
        }
    }
    return false;
}

QString cell(const QStandardItemModel *model, int row, const QString &header)
{
    return model->index(row, DeviceList::FindColumn(model, header)).data().toString();
}

} // namespace

class DiscoveryListTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void missingLibraryIsReportedAndTheProgramRunsOn();
    void firstShowFillsTheListWithTheFleet();
    void changedCameraUpdatesItsRowInPlace();
    void goodbyeRemovesTheRowAndTheRebootBringsItBack();
    void silentCameraDisappears();
    void overlongSerialIsDroppedAndAbsentMacIsListedAsNull();
    void otherEventsChangeNothing();
    void readdressNeedsTheRightPassword();
    void acceptedCloseStopsAndReleasesTheLibrary();

private:
    int rowOf(const QString &serial) const;
    QString serial(int index) const;
    QString mac(int index) const;
    void setSilent(int index, bool silent);

    std::unique_ptr<devsim::Fleet> m_fleet;
    std::unique_ptr<RecordingTervix> m_window;
};

void DiscoveryListTest::initTestCase()
{
    devsim::FleetOptions options;
    options.count = 5;
    options.firstAddress = QStringLiteral("127.0.10.1");
    options.port = 18200;
    options.timeScale = 0.1; // announcements every 200 ms, reboots of 0.5 s
    options.rebootSeconds = 5;
    options.discoveryPort = quarry::discoveryPort();
    m_fleet = std::make_unique<devsim::Fleet>(options);
    QString error;
    QVERIFY2(m_fleet->start(&error), qPrintable(error));
}

void DiscoveryListTest::cleanupTestCase()
{
    m_window.reset();
    m_fleet.reset();
}

int DiscoveryListTest::rowOf(const QString &serial) const
{
    return DeviceList::FindRowOfSerial(m_window->deviceModel(), serial);
}

QString DiscoveryListTest::serial(int index) const
{
    QString result;
    m_fleet->run([&] { result = m_fleet->cameras().at(index)->serialNo(); });
    return result;
}

QString DiscoveryListTest::mac(int index) const
{
    QByteArray bytes;
    m_fleet->run([&] { bytes = m_fleet->cameras().at(index)->macBytes(); });
    quarry::Mac mac {};
    std::memcpy(mac.data(), bytes.constData(), mac.size());
    return QString::fromStdString(quarry::formatMac(mac));
}

void DiscoveryListTest::setSilent(int index, bool silent)
{
    m_fleet->run([&] {
        devsim::Camera *camera = m_fleet->cameras().at(index);
        camera->parent()->findChild<devsim::DiscoveryService *>()->setSilent(camera, silent);
    });
}

void DiscoveryListTest::missingLibraryIsReportedAndTheProgramRunsOn()
{
    const QByteArray binDir = qgetenv("TERVIX_BIN_DIR");
    QTemporaryDir empty;
    qputenv("TERVIX_BIN_DIR", QFile::encodeName(empty.path()));
    RecordingTervix window;
    window.show();
    qputenv("TERVIX_BIN_DIR", binDir);
    QCOMPARE(window.titles, QStringList { QStringLiteral("Failed") });
    QCOMPARE(window.messages, QStringList { QStringLiteral("Failed to load QUARRY library!") });
    QVERIFY(logged(&window, QStringLiteral("Failed to load QUARRY library!")));
    // No announcements, but the window works and closes normally.
    QTest::qWait(300);
    QCOMPARE(window.deviceModel()->rowCount(), 0);
    QVERIFY(window.close());
    QCOMPARE(QuarryLoader::instance().referenceCount(), 0);
}

void DiscoveryListTest::firstShowFillsTheListWithTheFleet()
{
    m_window = std::make_unique<RecordingTervix>();
    m_window->show();
    QVERIFY(m_window->messages.isEmpty());
    QVERIFY(logged(m_window.get(), QStringLiteral("Succeed to load QUARRY library!")));
    QVERIFY(!logged(m_window.get(), QStringLiteral("Failed to load QUARRY library!")));
    QCOMPARE(QuarryLoader::instance().referenceCount(), 1);

    QTRY_COMPARE_WITH_TIMEOUT(m_window->deviceModel()->rowCount(), m_fleet->count(), 3000);
    for (int i = 0; i < m_fleet->count(); ++i) {
        const int row = rowOf(serial(i));
        QVERIFY(row >= 0);
        QCOMPARE(cell(m_window->deviceModel(), row, DeviceList::IpHeader()), m_fleet->address(i));
        QCOMPARE(
            cell(m_window->deviceModel(), row, DeviceList::PortHeader()), QStringLiteral("18200"));
    }
}

void DiscoveryListTest::changedCameraUpdatesItsRowInPlace()
{
    const int row = rowOf(serial(1));
    const int rows = m_window->deviceModel()->rowCount();
    QVERIFY(
        m_fleet->readdress(1, QStringLiteral("127.0.10.21"), QStringLiteral("255.255.0.0"), 18221));
    QTRY_COMPARE_WITH_TIMEOUT(cell(m_window->deviceModel(), row, DeviceList::IpHeader()),
        QStringLiteral("127.0.10.21"), 3000);
    QCOMPARE(rowOf(serial(1)), row);
    QCOMPARE(m_window->deviceModel()->rowCount(), rows);
    QCOMPARE(cell(m_window->deviceModel(), row, DeviceList::PortHeader()), QStringLiteral("18221"));
    QCOMPARE(cell(m_window->deviceModel(), row, DeviceList::MaskHeader()),
        QStringLiteral("255.255.0.0"));
}

void DiscoveryListTest::goodbyeRemovesTheRowAndTheRebootBringsItBack()
{
    const QString s = serial(2);
    m_fleet->reboot(2);
    QTRY_COMPARE_WITH_TIMEOUT(rowOf(s), -1, 3000);
    QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count() - 1);
    QTRY_VERIFY_WITH_TIMEOUT(rowOf(s) >= 0, 5000);
    QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count());
}

void DiscoveryListTest::silentCameraDisappears()
{
    const QString s = serial(3);
    setSilent(3, true);
    QTRY_COMPARE_WITH_TIMEOUT(rowOf(s), -1, 3000);
    setSilent(3, false);
    QTRY_VERIFY_WITH_TIMEOUT(rowOf(s) >= 0, 3000);
}

void DiscoveryListTest::overlongSerialIsDroppedAndAbsentMacIsListedAsNull()
{
    quarry::Announcement overlong;
    overlong.serialNo = std::string(70, 'S');
    overlong.mac = "02:00:00:00:00:70";
    overlong.ipAddress = "127.0.10.70";
    overlong.periodMs = 60000;
    quarry::Announcement withoutMac;
    withoutMac.serialNo = "NO-MAC-DEVICE";
    withoutMac.ipAddress = "127.0.10.71";
    withoutMac.subnetMask = "255.255.255.0";
    withoutMac.port = 8000;
    withoutMac.periodMs = 60000;
    // Reports keep their order, so once the second is listed the first was handled.
    sendRaw(quarry::encodeAnnouncement(overlong));
    sendRaw(quarry::encodeAnnouncement(withoutMac));
    QTRY_VERIFY_WITH_TIMEOUT(rowOf(QStringLiteral("NO-MAC-DEVICE")) >= 0, 3000);
    const int row = rowOf(QStringLiteral("NO-MAC-DEVICE"));
    QCOMPARE(cell(m_window->deviceModel(), row, QStringLiteral("MAC")), QStringLiteral("(null)"));
    QCOMPARE(rowOf(QString(70, QLatin1Char('S'))), -1);
    QCOMPARE(rowOf(QString(48, QLatin1Char('S'))), -1);
    QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count() + 1);

    sendRaw(quarry::encodeAnnouncement(withoutMac, quarry::PacketType::Goodbye));
    QTRY_COMPARE_WITH_TIMEOUT(rowOf(QStringLiteral("NO-MAC-DEVICE")), -1, 3000);
}

void DiscoveryListTest::otherEventsChangeNothing()
{
    const QString s = serial(0);
    const int row = rowOf(s);
    const QByteArray serialText = s.toLatin1();
    for (int32_t event : { 0, 2, 5, 6, -1 }) {
        QuarryDeviceCallback("1", serialText.constData(), "02:00:00:00:00:99", "127.0.10.99",
            "255.0.0.0", 20031, 9999, 1, 1, "V", "V", "2026-01-01 00:00:00", event);
    }
    QTest::qWait(100);
    QCOMPARE(rowOf(s), row);
    QCOMPARE(cell(m_window->deviceModel(), row, DeviceList::IpHeader()), m_fleet->address(0));
    QCOMPARE(m_window->deviceModel()->rowCount(), m_fleet->count());
}

void DiscoveryListTest::readdressNeedsTheRightPassword()
{
    const QByteArray macText = mac(4).toLatin1();
    const int row = rowOf(serial(4));
    QCOMPARE(
        Quarry_SendUpdateIp(macText.constData(), "127.0.10.44", "255.255.255.0", "wrong", "18244"),
        QUARRY_UPDATE_WRONG_PASSWORD);
    QCOMPARE(m_fleet->currentAddress(4), m_fleet->address(4));

    QCOMPARE(Quarry_SendUpdateIp(macText.constData(), "127.0.10.44", "255.255.255.0",
                 m_window->defaultPassword(), "18244"),
        1);
    QTRY_COMPARE_WITH_TIMEOUT(cell(m_window->deviceModel(), row, DeviceList::IpHeader()),
        QStringLiteral("127.0.10.44"), 3000);
    SOLV_LOGIN_INFO info {};
    const int32_t user = SOLV_Login_V30(
        "127.0.10.44", 18244, m_window->defaultUserName(), m_window->defaultPassword(), &info);
    QVERIFY(user >= 0);
    SOLV_Logout(user);
}

void DiscoveryListTest::acceptedCloseStopsAndReleasesTheLibrary()
{
    QVERIFY(m_window->close());
    QCOMPARE(QuarryLoader::instance().referenceCount(), 0);
    QVERIFY(QuarryLoader::instance().handle() == nullptr);
    const int rows = m_window->deviceModel()->rowCount();
    m_fleet->reboot(0); // its goodbye reaches nobody now
    QTest::qWait(300);
    QCOMPARE(m_window->deviceModel()->rowCount(), rows);
}

QTEST_MAIN(DiscoveryListTest)
#include "tst_discoverylist.moc"
