// The SDK client against simulated cameras over loopback: every call and its
// error paths.

#include "fleet.h"
#include "solvane.h"
#include "solvane_records.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr quint16 Port = 18300;
const char *const User = "admin";
const char *const Password = "60917";

enum Cam { Plain, OtherPassword, Faulty, Sessions, Reboot, Restore, Moves, Spare };

quint32 u32At(const QByteArray &record, int offset)
{
    quint32 value = 0;
    std::memcpy(&value, record.constData() + offset, 4);
    return value;
}

} // namespace

class SolvaneClientTest : public QObject
{
    Q_OBJECT

private:
    devsim::Fleet *m_fleet = nullptr;

    QByteArray ip(int index) const { return m_fleet->address(index).toLatin1(); }

    int32_t login(int index, const char *password = Password)
    {
        SOLV_LOGIN_INFO info {};
        return SOLV_Login_V30(ip(index).constData(), Port, User, password, &info);
    }

    QByteArray get(int32_t id, uint32_t command, int32_t channel = 1)
    {
        QByteArray record(int(SOLV_RecordSize(command)), '\0');
        uint32_t returned = 0;
        if (!SOLV_GetDVRConfig(
                id, command, channel, record.data(), uint32_t(record.size()), &returned)) {
            return {};
        }
        return record;
    }

    bool waitOnline(int index, bool online)
    {
        QElapsedTimer timer;
        timer.start();
        while (m_fleet->isOnline(index) != online && timer.elapsed() < 5000) {
            QTest::qWait(10);
        }
        return m_fleet->isOnline(index) == online;
    }

private slots:
    void initTestCase()
    {
        SOLV_Init();
        devsim::FleetOptions options;
        options.count = Spare + 1;
        options.firstAddress = QStringLiteral("127.0.3.1");
        options.port = Port;
        options.seed = 7;
        options.timeScale = 0.01; // a 20 s reboot takes 200 ms
        options.discoveryPort = 0;
        options.passwords.insert(OtherPassword, "s3cret");
        m_fleet = new devsim::Fleet(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        delete m_fleet;
    }

    void init()
    {
        SOLV_SetConnectTime(3000, 1);
        SOLV_SetRecvTimeOut(5000);
        for (int i = 0; i < m_fleet->count(); ++i) {
            m_fleet->clearFault(i);
        }
    }

    void getReturnsTheCameraRecord_data()
    {
        QTest::addColumn<uint32_t>("command");
        for (int i = 0; i < SOLV_RECORD_COUNT; ++i) {
            const uint32_t command = SOLV_RecordGetCommandAt(i);
            QTest::addRow("%u", command) << command;
        }
    }

    void getReturnsTheCameraRecord()
    {
        QFETCH(uint32_t, command);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        const uint32_t size = SOLV_RecordSize(command);
        std::vector<char> buffer(size + 16, '\x5A');
        uint32_t returned = 0;
        QVERIFY(SOLV_GetDVRConfig(id, command, 0, buffer.data(), size, &returned));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOERROR));
        QCOMPARE(returned, size);
        QCOMPARE(QByteArray(buffer.data(), int(size)), m_fleet->record(Plain, command));
        // Nothing beyond the record is written.
        QCOMPARE(QByteArray(buffer.data() + size, 16), QByteArray(16, '\x5A'));
        QVERIFY(SOLV_Logout(id));
    }

    // A set of a changed field leaves every other byte as the camera had it.
    void setKeepsEveryOtherByte_data()
    {
        QTest::addColumn<uint32_t>("command");
        QTest::addColumn<int>("offset");
        QTest::newRow("device name") << uint32_t(SOLV_GET_DEVICECFG) << SOLV_DEVICECFG_NAME_OFFSET;
        QTest::newRow("gateway") << uint32_t(SOLV_GET_NETCFG) << SOLV_NETCFG_GATEWAY_OFFSET;
        QTest::newRow("channel name")
            << uint32_t(SOLV_GET_PICCFG) << SOLV_PICCFG_CHANNEL_NAME_OFFSET;
        QTest::newRow("hour osd") << uint32_t(SOLV_GET_PICCFG) << SOLV_PICCFG_HOUR_OSD_TYPE_OFFSET;
        QTest::newRow("record enabled")
            << uint32_t(SOLV_GET_RECORDCFG) << SOLV_RECORDCFG_ENABLED_OFFSET;
        QTest::newRow("ddns type") << uint32_t(SOLV_GET_DDNSCFG) << SOLV_DDNSCFG_SERVER_TYPE_OFFSET;
        QTest::newRow("smtp port") << uint32_t(SOLV_GET_EMAILCFG) << SOLV_EMAILCFG_SMTP_PORT_OFFSET;
        QTest::newRow("sub stream")
            << uint32_t(SOLV_GET_COMPRESSCFG) << 88 + SOLV_STREAM_BITRATE_OFFSET;
        QTest::newRow("decoder address")
            << uint32_t(SOLV_GET_DECODERCFG) << SOLV_DECODERCFG_DECODER_ADDRESS_OFFSET;
        QTest::newRow("brightness")
            << uint32_t(SOLV_GET_FRONTCFG) << SOLV_FRONTCFG_BRIGHTNESS_OFFSET;
        QTest::newRow("ntp port") << uint32_t(SOLV_GET_NTPCFG) << SOLV_NTPCFG_PORT_OFFSET;
        QTest::newRow("nfs directory") << uint32_t(
            SOLV_GET_NFSCFG) << SOLV_NFSCFG_ENTRY_OFFSET + SOLV_NFSCFG_ENTRY_DIRECTORY_OFFSET;
    }

    void setKeepsEveryOtherByte()
    {
        QFETCH(uint32_t, command);
        QFETCH(int, offset);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        QByteArray record = get(id, command, 0);
        QVERIFY(!record.isEmpty());
        const QByteArray before = record;
        record[offset] = char(record.at(offset) ^ 0x21);
        QVERIFY(SOLV_SetDVRConfig(id, command + 1, 0, record.constData(), uint32_t(record.size())));
        const QByteArray after = get(id, command, 0);
        QCOMPARE(after, record);
        QCOMPARE(m_fleet->record(Plain, command), record);
        for (int i = 0; i < after.size(); ++i) {
            if (i != offset && after.at(i) != before.at(i)) {
                QFAIL(qPrintable(QStringLiteral("byte %1 changed").arg(i)));
            }
        }
        QVERIFY(SOLV_Logout(id));
    }

    void wrongCredentialsGiveError1_data()
    {
        QTest::addColumn<int>("camera");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("wrong password") << int(Plain) << QByteArray(User) << QByteArray("60918");
        QTest::newRow("empty password") << int(Plain) << QByteArray(User) << QByteArray("");
        QTest::newRow("wrong user") << int(Plain) << QByteArray("root") << QByteArray(Password);
        QTest::newRow("default on other")
            << int(OtherPassword) << QByteArray(User) << QByteArray(Password);
    }

    void wrongCredentialsGiveError1()
    {
        QFETCH(int, camera);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, password);
        SOLV_LOGIN_INFO info {};
        QCOMPARE(SOLV_Login_V30(
                     ip(camera).constData(), Port, user.constData(), password.constData(), &info),
            -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PASSWORD_ERROR));
    }

    void otherPasswordLogsIn()
    {
        const int32_t id = login(OtherPassword, "s3cret");
        QVERIFY(id >= 0);
        QVERIFY(SOLV_Logout_V30(id));
    }

    void badLoginArgumentsAreParameterErrors_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("password");
        QTest::newRow("not an address")
            << QByteArray("camera.local") << QByteArray(User) << QByteArray(Password);
        QTest::newRow("empty address")
            << QByteArray("") << QByteArray(User) << QByteArray(Password);
        QTest::newRow("address out of range")
            << QByteArray("127.0.3.256") << QByteArray(User) << QByteArray(Password);
        QTest::newRow("empty user")
            << QByteArray("127.0.3.1") << QByteArray("") << QByteArray(Password);
        QTest::newRow("user too long")
            << QByteArray("127.0.3.1") << QByteArray(33, 'u') << QByteArray(Password);
        QTest::newRow("password too long")
            << QByteArray("127.0.3.1") << QByteArray(User) << QByteArray(33, 'p');
    }

    void badLoginArgumentsAreParameterErrors()
    {
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, password);
        QCOMPARE(SOLV_Login_V30(
                     address.constData(), Port, user.constData(), password.constData(), nullptr),
            -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(SOLV_Login_V30(nullptr, Port, User, Password, nullptr), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
    }

    void callsOnUnknownIdsFail_data()
    {
        QTest::addColumn<int32_t>("id");
        QTest::newRow("negative") << int32_t(-1);
        QTest::newRow("never handed out") << int32_t(4000);
        QTest::newRow("beyond the table") << int32_t(1 << 20);
    }

    void callsOnUnknownIdsFail()
    {
        QFETCH(int32_t, id);
        QByteArray record(SOLV_DEVICECFG_SIZE, '\0');
        QVERIFY(!SOLV_GetDVRConfig(
            id, SOLV_GET_DEVICECFG, 0, record.data(), SOLV_DEVICECFG_SIZE, nullptr));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_LOGGED_IN));
        QVERIFY(!SOLV_RebootDVR(id));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_LOGGED_IN));
        QVERIFY(!SOLV_Logout(id));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_LOGGED_IN));
    }

    void loggedOutIdFails()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        QVERIFY(SOLV_Logout(id));
        QVERIFY(get(id, SOLV_GET_DEVICECFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_LOGGED_IN));
        QVERIFY(!SOLV_Logout(id));
        // The ID of a closed login is not handed out again at once.
        const int32_t next = login(Plain);
        QVERIFY(next >= 0);
        QVERIFY(next != id);
        QVERIFY(SOLV_Logout(next));
    }

    void wrongSizeIsParameterError_data()
    {
        QTest::addColumn<uint32_t>("command");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("isSet");
        QTest::newRow("get one short")
            << uint32_t(SOLV_GET_NETCFG) << SOLV_NETCFG_SIZE - 1 << false;
        QTest::newRow("get one long")
            << uint32_t(SOLV_GET_DEVICECFG) << SOLV_DEVICECFG_SIZE + 1 << false;
        QTest::newRow("get zero") << uint32_t(SOLV_GET_FRONTCFG) << 0 << false;
        QTest::newRow("get other record's size")
            << uint32_t(SOLV_GET_PICCFG) << SOLV_NETCFG_SIZE << false;
        QTest::newRow("get with set command")
            << uint32_t(SOLV_SET_NTPCFG) << SOLV_NTPCFG_SIZE << false;
        QTest::newRow("set one short") << uint32_t(SOLV_SET_NETCFG) << SOLV_NETCFG_SIZE - 1 << true;
        QTest::newRow("set one long")
            << uint32_t(SOLV_SET_EMAILCFG) << SOLV_EMAILCFG_SIZE + 1 << true;
        QTest::newRow("set with get command")
            << uint32_t(SOLV_GET_NTPCFG) << SOLV_NTPCFG_SIZE << true;
    }

    void wrongSizeIsParameterError()
    {
        QFETCH(uint32_t, command);
        QFETCH(int, size);
        QFETCH(bool, isSet);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        const QByteArray before = m_fleet->record(Plain, SOLV_RecordGetCommand(command));
        std::vector<char> buffer(std::size_t(std::max(size, 1) + 8), '\x11');
        const int ok = isSet
            ? SOLV_SetDVRConfig(id, command, 1, buffer.data(), uint32_t(size))
            : SOLV_GetDVRConfig(id, command, 1, buffer.data(), uint32_t(size), nullptr);
        QVERIFY(!ok);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(m_fleet->record(Plain, SOLV_RecordGetCommand(command)), before);
        // The login is still good.
        QVERIFY(!get(id, SOLV_GET_DEVICECFG).isEmpty());
        QVERIFY(SOLV_Logout(id));
    }

    void unknownCommandIsNotSupported()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        char buffer[64] = {};
        QVERIFY(!SOLV_GetDVRConfig(id, 4242, 0, buffer, sizeof buffer, nullptr));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_SUPPORT));
        QVERIFY(SOLV_Logout(id));
    }

    void channelOutOfRangeIsParameterError()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        QVERIFY(get(id, SOLV_GET_FRONTCFG, 99).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(get(id, SOLV_GET_FRONTCFG, -1).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(!get(id, SOLV_GET_FRONTCFG, 1).isEmpty());
        QVERIFY(SOLV_Logout(id));
    }

    void refusedSetLeavesTheRecord()
    {
        devsim::Fault fault;
        fault.refusedSets.insert(SOLV_GET_FRONTCFG);
        m_fleet->setFault(Faulty, fault);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        const QByteArray before = get(id, SOLV_GET_FRONTCFG);
        QByteArray changed = before;
        changed[SOLV_FRONTCFG_BRIGHTNESS_OFFSET] = 99;
        QVERIFY(
            !SOLV_SetDVRConfig(id, SOLV_SET_FRONTCFG, 1, changed.constData(), SOLV_FRONTCFG_SIZE));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_REFUSED));
        QCOMPARE(get(id, SOLV_GET_FRONTCFG), before);
        // Other records still take their sets.
        const QByteArray ntp = get(id, SOLV_GET_NTPCFG);
        QVERIFY(SOLV_SetDVRConfig(id, SOLV_SET_NTPCFG, 1, ntp.constData(), SOLV_NTPCFG_SIZE));
        QVERIFY(SOLV_Logout(id));
    }

    void unsupportedAnswersAre23()
    {
        devsim::Fault fault;
        fault.unsupportedCommands.insert(SOLV_GET_DECODERCFG);
        fault.unsupportedAbilities.insert(SOLV_ABILITY_DEVICE);
        fault.ptzUnsupported = true;
        m_fleet->setFault(Faulty, fault);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        QVERIFY(get(id, SOLV_GET_DECODERCFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_SUPPORT));
        std::vector<char> text(65536);
        QVERIFY(!SOLV_GetDeviceAbility(
            id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), uint32_t(text.size())));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_SUPPORT));
        QVERIFY(SOLV_GetDeviceAbility(
            id, SOLV_ABILITY_CAMERA, nullptr, 0, text.data(), uint32_t(text.size())));
        QVERIFY(!SOLV_GetDeviceAbility(id, 77, nullptr, 0, text.data(), uint32_t(text.size())));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_SUPPORT));
        SOLV_PTZ_PROTOCOL_LIST list;
        QVERIFY(!SOLV_GetPTZProtocol(id, &list));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_SUPPORT));
        // The login survives "not supported".
        QVERIFY(!get(id, SOLV_GET_DEVICECFG).isEmpty());
        QVERIFY(SOLV_Logout(id));
    }

    void abilityTextsHaveTheirRoots_data()
    {
        QTest::addColumn<uint32_t>("type");
        QTest::addColumn<QByteArray>("root");
        QTest::newRow("camera") << uint32_t(SOLV_ABILITY_CAMERA) << QByteArray("<CAMERAPARA");
        QTest::newRow("device") << uint32_t(SOLV_ABILITY_DEVICE) << QByteArray("<UpdateFlag");
    }

    void abilityTextsHaveTheirRoots()
    {
        QFETCH(uint32_t, type);
        QFETCH(QByteArray, root);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        std::vector<char> text(65536, 'z');
        QVERIFY(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), uint32_t(text.size())));
        const QByteArray got(text.data());
        QVERIFY(got.contains(root));
        QByteArray expected;
        m_fleet->run([&] { expected = m_fleet->cameras().at(Plain)->ability(type); });
        QCOMPARE(got, expected);
        QVERIFY(SOLV_Logout(id));
    }

    // Too small a buffer gives 43 and leaves it alone; the doubling retry of
    // the program then gets the whole text.
    void bufferTooSmallThenDoubling()
    {
        devsim::Fault fault;
        fault.abilityMinSize = 12000;
        m_fleet->setFault(Faulty, fault);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        uint32_t size = 5120;
        std::vector<char> text;
        int tries = 0;
        for (;;) {
            text.assign(size, '\x7F');
            ++tries;
            if (SOLV_GetDeviceAbility(id, SOLV_ABILITY_CAMERA, nullptr, 0, text.data(), size)) {
                break;
            }
            QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_INSUFFICIENT_BUFFER));
            QCOMPARE(text.front(), '\x7F'); // nothing written
            QVERIFY(size < 32768);
            size *= 2;
        }
        QCOMPARE(tries, 3); // 5120, 10240, 20480
        QCOMPARE(std::strlen(text.data()), std::size_t(12000));
        QVERIFY(QByteArray(text.data()).contains("exposureUSERSET"));
        QVERIFY(SOLV_Logout(id));
    }

    void abilityExactFit()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        std::vector<char> text(65536);
        QVERIFY(SOLV_GetDeviceAbility(
            id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), uint32_t(text.size())));
        const uint32_t length = uint32_t(std::strlen(text.data()));
        // The text and its zero fit exactly; one byte less does not.
        QVERIFY(
            SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), length + 1));
        QVERIFY(!SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), length));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_INSUFFICIENT_BUFFER));
        QVERIFY(!SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, nullptr, 100));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_Logout(id));
    }

    void ptzListFillsTheWholeRecord()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        SOLV_PTZ_PROTOCOL_LIST list;
        std::memset(list.bytes, 0xEE, sizeof list.bytes);
        QVERIFY(SOLV_GetPTZProtocol(id, &list));
        QCOMPARE(u32At(QByteArray(reinterpret_cast<const char *>(list.bytes), sizeof list.bytes),
                     SOLV_PTZ_PROTOCOL_COUNT_OFFSET),
            quint32(20));
        QVERIFY(std::strlen(reinterpret_cast<const char *>(list.bytes + 8)) > 0);
        // Entries past the count are zero, not left as they were.
        QCOMPARE(list.bytes[4 + 20 * 20], uchar(0));
        QCOMPARE(list.bytes[4003], uchar(0));
        QVERIFY(!SOLV_GetPTZProtocol(id, nullptr));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_Logout(id));
    }

    void droppedConnectionFailsTheCall()
    {
        devsim::Fault fault;
        fault.dropAfterFrames = 2; // the login and one get
        m_fleet->setFault(Faulty, fault);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        QVERIFY(!get(id, SOLV_GET_DEVICECFG).isEmpty());
        QVERIFY(get(id, SOLV_GET_NETCFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_RECV_FAILED));
        QVERIFY(get(id, SOLV_GET_NETCFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_RECV_FAILED));
        QVERIFY(SOLV_Logout(id)); // the login ends even though the device is gone
    }

    void delayedDeviceTimesOut()
    {
        devsim::Fault fault;
        fault.delayMs = 100000; // times the fleet's 0.01: one second
        m_fleet->setFault(Faulty, fault);
        SOLV_SetRecvTimeOut(200);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(login(Faulty), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_TIMEOUT));
        QVERIFY2(timer.elapsed() < 900, qPrintable(QString::number(timer.elapsed())));

        // A login made in time, then an answer that comes too late.
        m_fleet->clearFault(Faulty);
        SOLV_SetRecvTimeOut(5000);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        m_fleet->setFault(Faulty, fault);
        SOLV_SetRecvTimeOut(200);
        timer.restart();
        QVERIFY(get(id, SOLV_GET_DEVICECFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_TIMEOUT));
        QVERIFY(timer.elapsed() < 900);
        QVERIFY(SOLV_Logout(id));
    }

    void refusedAddressFailsAtOnce()
    {
        QElapsedTimer timer;
        timer.start();
        SOLV_LOGIN_INFO info {};
        QCOMPARE(SOLV_Login_V30("127.0.3.250", Port, User, Password, &info), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_CONNECT_FAILED));
        QVERIFY(timer.elapsed() < 1000);
    }

    // A listener whose backlog is full never completes the handshake: the
    // login gives up after one connect time-out.
    void silentAddressCostsOneConnectTimeout()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(listener >= 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = 0;
        ::inet_pton(AF_INET, "127.0.3.251", &address.sin_addr);
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(listener, 0) == 0);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
        std::vector<int> fillers;
        for (int i = 0; i < 4; ++i) {
            const int filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr *>(&address), sizeof address);
            fillers.push_back(filler);
        }
        QTest::qWait(50);
        SOLV_SetConnectTime(400, 3);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(
            SOLV_Login_V30("127.0.3.251", ntohs(address.sin_port), User, Password, nullptr), -1);
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_CONNECT_FAILED));
        QVERIFY2(elapsed >= 350 && elapsed < 1000, qPrintable(QString::number(elapsed)));
        for (int fd : fillers) {
            ::close(fd);
        }
        ::close(listener);
    }

    void timeOutSettersRejectNonsense()
    {
        QVERIFY(!SOLV_SetConnectTime(0, 1));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(!SOLV_SetRecvTimeOut(0));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_SetRecvTimeOut(1000));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOERROR));
    }

    void tooManySessions()
    {
        devsim::Fault fault;
        fault.maxSessions = 1;
        m_fleet->setFault(Sessions, fault);
        const int32_t first = login(Sessions);
        QVERIFY(first >= 0);
        QCOMPARE(login(Sessions), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_TOO_MANY_SESSIONS));
        QVERIFY(SOLV_Logout(first));
        // The device freed the session when it answered the logout.
        const int32_t second = login(Sessions);
        QVERIFY(second >= 0);
        QVERIFY(SOLV_Logout(second));
    }

    void rebootThenLoginAgain()
    {
        int32_t id = login(Reboot);
        QVERIFY(id >= 0);
        QByteArray front = get(id, SOLV_GET_FRONTCFG);
        front[SOLV_FRONTCFG_CONTRAST_OFFSET] = 17;
        QVERIFY(SOLV_SetDVRConfig(id, SOLV_SET_FRONTCFG, 1, front.constData(), SOLV_FRONTCFG_SIZE));
        QVERIFY(SOLV_RebootDVR(id));
        QVERIFY(waitOnline(Reboot, false));
        // The old login is gone with the reboot.
        QVERIFY(get(id, SOLV_GET_FRONTCFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_RECV_FAILED));
        QVERIFY(SOLV_Logout(id));
        QCOMPARE(login(Reboot), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_CONNECT_FAILED));
        QVERIFY(waitOnline(Reboot, true));
        id = login(Reboot);
        QVERIFY(id >= 0);
        QCOMPARE(get(id, SOLV_GET_FRONTCFG), front);
        QVERIFY(SOLV_Logout(id));
    }

    void neverReturnsAfterReboot()
    {
        devsim::Fault fault;
        fault.neverReturn = true;
        m_fleet->setFault(Spare, fault);
        const int32_t id = login(Spare);
        QVERIFY(id >= 0);
        QVERIFY(SOLV_RebootDVR(id));
        QVERIFY(SOLV_Logout(id));
        QVERIFY(waitOnline(Spare, false));
        QTest::qWait(400); // twice the reboot time
        QVERIFY(!m_fleet->isOnline(Spare));
        QCOMPARE(login(Spare), -1);
    }

    void restoreGoesBackToFactory()
    {
        const int32_t id = login(Restore);
        QVERIFY(id >= 0);
        const QByteArray factoryPicture = m_fleet->factoryRecord(Restore, SOLV_GET_PICCFG);
        QByteArray picture = get(id, SOLV_GET_PICCFG);
        QCOMPARE(picture, factoryPicture);
        std::memcpy(picture.data() + SOLV_PICCFG_CHANNEL_NAME_OFFSET, "Gate", 5);
        QVERIFY(SOLV_SetDVRConfig(id, SOLV_SET_PICCFG, 1, picture.constData(), SOLV_PICCFG_SIZE));
        QByteArray net = get(id, SOLV_GET_NETCFG, 0);
        std::memcpy(net.data() + SOLV_NETCFG_GATEWAY_OFFSET, "127.0.3.254\0\0\0\0", 16);
        QVERIFY(SOLV_SetDVRConfig(id, SOLV_SET_NETCFG, 0, net.constData(), SOLV_NETCFG_SIZE));
        QVERIFY(SOLV_RestoreConfig(id));
        QCOMPARE(get(id, SOLV_GET_PICCFG), factoryPicture);
        // The network settings stay, so the device stays reachable.
        QCOMPARE(get(id, SOLV_GET_NETCFG, 0), net);
        QVERIFY(SOLV_Logout(id));
    }

    void networkSetMovesTheCamera()
    {
        int32_t id = login(Moves);
        QVERIFY(id >= 0);
        QByteArray net = get(id, SOLV_GET_NETCFG, 0);
        const QByteArray original = net;
        std::memcpy(net.data() + SOLV_NETCFG_IP_ADDRESS_OFFSET, "127.0.3.200\0\0\0\0\0", 16);
        net[SOLV_NETCFG_PORT_OFFSET] = char((Port + 1) & 0xFF);
        net[SOLV_NETCFG_PORT_OFFSET + 1] = char((Port + 1) >> 8);
        QVERIFY(SOLV_SetDVRConfig(id, SOLV_SET_NETCFG, 0, net.constData(), SOLV_NETCFG_SIZE));
        QVERIFY(SOLV_Logout(id));
        QCOMPARE(login(Moves), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_CONNECT_FAILED));
        id = SOLV_Login_V30("127.0.3.200", Port + 1, User, Password, nullptr);
        QVERIFY(id >= 0);
        QCOMPARE(get(id, SOLV_GET_NETCFG, 0), net);
        QCOMPARE(m_fleet->currentAddress(Moves), QStringLiteral("127.0.3.200"));

        // An address the camera cannot take is refused and changes nothing.
        QByteArray bad = net;
        // Camera Plain's address and port are taken.
        std::memcpy(bad.data() + SOLV_NETCFG_IP_ADDRESS_OFFSET, "127.0.3.1\0\0\0\0\0\0\0", 16);
        bad[SOLV_NETCFG_PORT_OFFSET] = char(Port & 0xFF);
        bad[SOLV_NETCFG_PORT_OFFSET + 1] = char(Port >> 8);
        QVERIFY(!SOLV_SetDVRConfig(id, SOLV_SET_NETCFG, 0, bad.constData(), SOLV_NETCFG_SIZE));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_REFUSED));
        std::memcpy(bad.data() + SOLV_NETCFG_IP_ADDRESS_OFFSET, "not an address\0\0", 16);
        QVERIFY(!SOLV_SetDVRConfig(id, SOLV_SET_NETCFG, 0, bad.constData(), SOLV_NETCFG_SIZE));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(get(id, SOLV_GET_NETCFG, 0), net);

        // Move it back for the other tests, through the fleet this time.
        QVERIFY(SOLV_Logout(id));
        QVERIFY(m_fleet->readdress(
            Moves, m_fleet->address(Moves), QStringLiteral("255.255.255.0"), Port));
        id = login(Moves);
        QVERIFY(id >= 0);
        const QByteArray back = get(id, SOLV_GET_NETCFG, 0);
        QCOMPARE(back.mid(SOLV_NETCFG_IP_ADDRESS_OFFSET, 16),
            original.mid(SOLV_NETCFG_IP_ADDRESS_OFFSET, 16));
        QVERIFY(SOLV_Logout(id));
    }

    void lastErrorIsPerThread()
    {
        QCOMPARE(login(Plain, "wrong"), -1);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PASSWORD_ERROR));
        uint32_t other = 12345;
        std::thread thread([&] { other = SOLV_GetLastError(); });
        thread.join();
        QCOMPARE(other, uint32_t(SOLV_NOERROR));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PASSWORD_ERROR));
    }

    void cleanupLogsEverythingOut()
    {
        const int32_t a = login(Plain);
        const int32_t b = login(Restore);
        QVERIFY(a >= 0 && b >= 0);
        QVERIFY(SOLV_Cleanup());
        QVERIFY(get(a, SOLV_GET_DEVICECFG).isEmpty());
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOT_LOGGED_IN));
        QVERIFY(SOLV_Init());
    }
};

QTEST_GUILESS_MAIN(SolvaneClientTest)
#include "tst_solvaneclient.moc"
