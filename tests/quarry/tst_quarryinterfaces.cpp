#include "discoveryfleet.h"
#include "quarry.h"

#include <QFile>
#include <QHash>
#include <QTest>

#include <arpa/inet.h>

#include <atomic>

using namespace discoverytest;

namespace {

constexpr const char *kSetting = "TERVIX_DISCOVERY_INTERFACES";

QString text(in_addr address)
{
    char buffer[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, buffer, sizeof buffer);
    return QString::fromLatin1(buffer);
}

QStringList addresses(const std::vector<quarry::Ipv4Interface> &interfaces)
{
    QStringList result;
    for (const auto &item : interfaces) {
        result << text(item.address);
    }
    return result;
}

// The machine's own interfaces, as the library sees them.
QStringList hostAddresses(bool (*wanted)(const quarry::Ipv4Interface &))
{
    QStringList result;
    for (const auto &item : quarry::ipv4Interfaces()) {
        if (wanted(item)) {
            result << text(item.address);
        }
    }
    return result;
}

const quarry::Ipv4Interface *firstOtherInterface()
{
    static const auto interfaces = quarry::ipv4Interfaces();
    for (const auto &item : interfaces) {
        if (!item.loopback) {
            return &item;
        }
    }
    return nullptr;
}

// Memberships of the group per interface name, as the kernel lists them.
QHash<QString, int> groupMembers(in_addr group)
{
    QHash<QString, int> members;
    QFile file(QStringLiteral("/proc/net/igmp"));
    if (!file.open(QIODevice::ReadOnly)) {
        return members;
    }
    // The kernel prints the group's four bytes as one 32-bit hexadecimal number.
    const QByteArray wanted = QByteArray::number(group.s_addr, 16).toUpper().rightJustified(8, '0');
    QString device;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (!line.startsWith('\t') && fields.size() > 1) {
            device = QString::fromLatin1(fields.at(1));
        } else if (line.startsWith('\t') && fields.size() > 1 && fields.at(0) == wanted) {
            members.insert(device, fields.at(1).toInt());
        }
    }
    return members;
}

std::atomic<int> g_announced { 0 };

void countAnnouncement(const char *, const char *, const char *, const char *, const char *,
    uint32_t, uint16_t, uint32_t, uint32_t, const char *, const char *, const char *, int32_t event)
{
    if (event == QUARRY_EVENT_PRESENT) {
        ++g_announced;
    }
}

} // namespace

// Which interfaces discovery traffic may use. The library's setting is tried
// against the machine's real interfaces; the simulator and the library run on
// loopback and a group of this suite's own, so that the kernel's membership
// list shows exactly who joined where.
class QuarryInterfacesTest : public QObject
{
    Q_OBJECT

    const QByteArray m_setting = qgetenv(kSetting);

private slots:
    void initTestCase()
    {
        // The suite's port is its own; so is a group derived from it.
        const QByteArray group
            = "239.255.75." + QByteArray::number(quarry::discoveryPort() % 250 + 1);
        qputenv("TERVIX_DISCOVERY_GROUP", group);
        QCOMPARE(text(quarry::discoveryGroup()), QString::fromLatin1(group));
    }

    void cleanup()
    {
        QUARRY_Stop();
        qputenv(kSetting, m_setting);
    }

    void settingChoosesTheInterfaces_data()
    {
        QTest::addColumn<QByteArray>("setting"); // null: unset
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("unmatched");
        const QStringList all = hostAddresses([](const quarry::Ipv4Interface &) { return true; });
        const QStringList loopback
            = hostAddresses([](const quarry::Ipv4Interface &item) { return item.name == "lo"; });
        const QStringList none;
        QTest::newRow("unset") << QByteArray() << all << none;
        QTest::newRow("separators only") << QByteArray(" ,\t, ") << all << none;
        QTest::newRow("padded") << QByteArray(" lo , ") << loopback << none;
        QTest::newRow("127.0.0.1")
            << QByteArray("127.0.0.1") << QStringList { "127.0.0.1" } << none;
        QTest::newRow("twice, by name and address")
            << QByteArray("lo,127.0.0.1") << loopback << none;
        QTest::newRow("unknown name") << QByteArray("nosuch0") << none << QStringList { "nosuch0" };
        QTest::newRow("address of no interface")
            << QByteArray("127.0.0.2") << none << QStringList { "127.0.0.2" };
        QTest::newRow("known and unknown")
            << QByteArray("nosuch0 lo") << loopback << QStringList { "nosuch0" };
        QTest::newRow("name is not a prefix") << QByteArray("l") << none << QStringList { "l" };
        if (const quarry::Ipv4Interface *other = firstOtherInterface()) {
            const QByteArray name = QByteArray::fromStdString(other->name);
            const QStringList named = hostAddresses([](const quarry::Ipv4Interface &item) {
                return item.name == firstOtherInterface()->name;
            });
            QTest::newRow("another interface by name") << name << named << none;
        }
    }

    void settingChoosesTheInterfaces()
    {
        QFETCH(QByteArray, setting);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, unmatched);
        if (setting.isNull()) {
            qunsetenv(kSetting);
        } else {
            qputenv(kSetting, setting);
        }
        const quarry::InterfaceSelection selection = quarry::discoveryInterfaces();
        QCOMPARE(addresses(selection.interfaces), chosen);
        QStringList unknown;
        for (const std::string &entry : selection.unmatched) {
            unknown << QString::fromStdString(entry);
        }
        QCOMPARE(unknown, unmatched);
    }

    void simulatorUsesTheInterfacesOfItsCameras_data()
    {
        QTest::addColumn<QStringList>("cameras");
        QTest::addColumn<QStringList>("interfaces");
        const QStringList loopback { QStringLiteral("127.0.0.1") };
        QTest::newRow("fleet on loopback, once")
            << QStringList { "127.0.11.1", "127.0.11.2", "127.1.0.1" } << loopback;
        // An address on none of this machine's subnets, if it has none of 203.0.113.0/24.
        in_addr foreign {};
        inet_pton(AF_INET, "203.0.113.200", &foreign);
        if (quarry::interfacesFor({ foreign }, quarry::ipv4Interfaces()).empty()) {
            QTest::newRow("address of no interface")
                << QStringList { "203.0.113.200" } << QStringList();
        }
        if (const quarry::Ipv4Interface *other = firstOtherInterface()) {
            const QString address = text(other->address);
            QTest::newRow("loopback and another interface") << QStringList {
                QStringLiteral("127.0.11.1"), address, QStringLiteral("127.0.11.2")
            } << QStringList { QStringLiteral("127.0.0.1"), address };
        }
    }

    void simulatorUsesTheInterfacesOfItsCameras()
    {
        QFETCH(QStringList, cameras);
        QFETCH(QStringList, interfaces);
        std::vector<in_addr> list;
        for (const QString &camera : std::as_const(cameras)) {
            in_addr address {};
            QVERIFY(inet_pton(AF_INET, camera.toLatin1().constData(), &address) == 1);
            list.push_back(address);
        }
        QCOMPARE(addresses(quarry::interfacesFor(list, quarry::ipv4Interfaces())), interfaces);
    }

    void libraryJoinsAndSendsOnLoopbackAlone()
    {
        if (!QFile::exists(QStringLiteral("/proc/net/igmp"))) {
            QSKIP("no list of group memberships on this system");
        }
        const in_addr group = quarry::discoveryGroup();
        const auto onLoopback = [](int members) {
            return QHash<QString, int> { { "lo", members } };
        };
        // The simulator joins where its cameras are, whatever the library may
        // use: here not even loopback.
        qputenv(kSetting, "nosuch0");
        devsim::Fleet fleet(
            { .count = 2, .firstAddress = QStringLiteral("127.0.11.1"), .port = 18300 });
        QString error;
        QVERIFY2(fleet.start(&error), qPrintable(error));
        QCOMPARE(groupMembers(group), onLoopback(1));

        // Nothing allowed: the library neither listens nor sends.
        QCOMPARE(QUARRY_Start(countAnnouncement), 0);
        QCOMPARE(QUARRY_SendUpdateIp(
                     mac(fleet, 0).constData(), "127.0.11.20", "255.0.0.0", "60917", "18320"),
            QUARRY_UPDATE_NETWORK_ERROR);
        QCOMPARE(fleet.currentAddress(0), QStringLiteral("127.0.11.1"));

        qputenv(kSetting, "lo");
        g_announced = 0;
        QCOMPARE(QUARRY_Start(countAnnouncement), 1);
        QCOMPARE(groupMembers(group), onLoopback(2));
        // The inquiry went out on loopback and both cameras answered it.
        QTRY_COMPARE(g_announced.load(), 2);
        QCOMPARE(QUARRY_SendUpdateIp(
                     mac(fleet, 1).constData(), "127.0.11.21", "255.0.0.0", "60917", "18321"),
            QUARRY_UPDATE_DONE);
        QCOMPARE(fleet.currentAddress(1), QStringLiteral("127.0.11.21"));
        QCOMPARE(QUARRY_Stop(), 1);
        QTRY_COMPARE(groupMembers(group), onLoopback(1));
    }
};

QTEST_GUILESS_MAIN(QuarryInterfacesTest)
#include "tst_quarryinterfaces.moc"
