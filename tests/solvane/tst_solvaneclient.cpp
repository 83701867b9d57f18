// The SDK client against simulated cameras over loopback: every call and its
// error paths.

#include "fleet.h"
#include "solvanecheck.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

using namespace solvcheck;

namespace {
constexpr quint16 Port = 18300;
enum Cam { Plain, OtherPassword, Faulty, Sessions, Reboot, Restore, Moves, Spare };
constexpr uint32_t Ok = ~0u; // failure() of a call that succeeded
constexpr int32_t LoggedOut = -2; // stands for the ID of a login just closed
enum Call { SetFront, GetDecoder, DeviceAbility, CameraAbility, UnknownAbility, Ptz };
} // namespace

Q_DECLARE_METATYPE(Call)

class SolvaneClientTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    int32_t login(int index, const char *password = "60917")
    {
        return solvcheck::login(m_fleet->address(index), Port, password);
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
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        SOLV_Cleanup();
        m_fleet.reset();
    }

    void init()
    {
        SOLV_SetConnectTime(3000, 1);
        SOLV_SetRecvTimeOut(5000);
        for (int i = 0; i < m_fleet->count(); ++i) {
            m_fleet->clearFault(i);
        }
    }

    // A get fills exactly the record, byte for byte as the camera has it.
    void getReturnsTheWholeRecord_data()
    {
        QTest::addColumn<uint32_t>("command");
        for (int i = 0; i < SOLV_RECORD_COUNT; ++i) {
            QTest::addRow("%u", SOLV_RecordGetCommandAt(i)) << SOLV_RecordGetCommandAt(i);
        }
    }

    void getReturnsTheWholeRecord()
    {
        QFETCH(uint32_t, command);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        const uint32_t size = SOLV_RecordSize(command);
        QByteArray buffer(int(size) + 16, '\x5A');
        uint32_t returned = 0;
        QVERIFY(SOLV_GetDVRConfig(id, command, 0, buffer.data(), size, &returned));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_NOERROR));
        QCOMPARE(returned, size);
        QCOMPARE(buffer.left(int(size)), m_fleet->record(Plain, command));
        QCOMPARE(buffer.mid(int(size)), QByteArray(16, '\x5A')); // nothing written beyond
        QVERIFY(SOLV_Logout(id));
    }

    void loginChecksItsArguments_data()
    {
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<QByteArray>("user");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<uint32_t>("error");
        const auto row = [](const char *name, const char *address, const QByteArray &user,
                             const QByteArray &password, uint32_t error) {
            QTest::newRow(name) << QByteArray(address) << user << password << error;
        };
        row("camera's own password", "127.0.3.2", "admin", "s3cret", Ok);
        row("wrong password", "127.0.3.1", "admin", "60918", SOLV_PASSWORD_ERROR);
        row("empty password", "127.0.3.1", "admin", "", SOLV_PASSWORD_ERROR);
        row("wrong user", "127.0.3.1", "root", "60917", SOLV_PASSWORD_ERROR);
        row("default on other", "127.0.3.2", "admin", "60917", SOLV_PASSWORD_ERROR);
        row("null address", nullptr, "admin", "60917", SOLV_PARAMETER_ERROR);
        row("not an address", "camera.local", "admin", "60917", SOLV_PARAMETER_ERROR);
        row("empty address", "", "admin", "60917", SOLV_PARAMETER_ERROR);
        row("address out of range", "127.0.3.256", "admin", "60917", SOLV_PARAMETER_ERROR);
        row("empty user", "127.0.3.1", "", "60917", SOLV_PARAMETER_ERROR);
        row("user too long", "127.0.3.1", QByteArray(33, 'u'), "60917", SOLV_PARAMETER_ERROR);
        row("password too long", "127.0.3.1", "admin", QByteArray(33, 'p'), SOLV_PARAMETER_ERROR);
    }

    void loginChecksItsArguments()
    {
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, user);
        QFETCH(QByteArray, password);
        QFETCH(uint32_t, error);
        SOLV_LOGIN_INFO info {};
        const int32_t id = SOLV_Login_V30(address.isNull() ? nullptr : address.constData(), Port,
            user.constData(), password.constData(), &info);
        QCOMPARE(failure(id >= 0), error);
        if (id >= 0) {
            QVERIFY(SOLV_Logout_V30(id));
        }
    }

    void callsOnUnknownIdsFail_data()
    {
        QTest::addColumn<int32_t>("id");
        QTest::newRow("negative") << int32_t(-1);
        QTest::newRow("never handed out") << int32_t(4000);
        QTest::newRow("beyond the table") << int32_t(1 << 20);
        QTest::newRow("logged out") << LoggedOut;
    }

    void callsOnUnknownIdsFail()
    {
        QFETCH(int32_t, id);
        if (id == LoggedOut) {
            id = login(Plain);
            QVERIFY(id >= 0);
            QVERIFY(SOLV_Logout(id));
            // The ID of a closed login is not handed out again at once.
            const int32_t next = login(Plain);
            QVERIFY(next >= 0 && next != id);
            QVERIFY(SOLV_Logout(next));
        }
        QCOMPARE(failure(!get(id, SOLV_GET_DEVICECFG).isEmpty()), uint32_t(SOLV_NOT_LOGGED_IN));
        QCOMPARE(failure(SOLV_RebootDVR(id)), uint32_t(SOLV_NOT_LOGGED_IN));
        QCOMPARE(failure(SOLV_Logout(id)), uint32_t(SOLV_NOT_LOGGED_IN));
    }

    // Checked before anything is sent; the camera keeps its record and the
    // login stays good.
    void badConfigCallsKeepTheLogin_data()
    {
        QTest::addColumn<uint32_t>("command");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("isSet");
        QTest::addColumn<uint32_t>("error");
        const auto row = [](const char *name, uint32_t command, int channel, int size, bool isSet,
                             uint32_t error = SOLV_PARAMETER_ERROR) {
            QTest::newRow(name) << command << channel << size << isSet << error;
        };
        row("get one short", SOLV_GET_NETCFG, 1, SOLV_NETCFG_SIZE - 1, false);
        row("get one long", SOLV_GET_DEVICECFG, 1, SOLV_DEVICECFG_SIZE + 1, false);
        row("get zero", SOLV_GET_FRONTCFG, 1, 0, false);
        row("get other record's size", SOLV_GET_PICCFG, 1, SOLV_NETCFG_SIZE, false);
        row("get with set command", SOLV_SET_NTPCFG, 1, SOLV_NTPCFG_SIZE, false);
        row("set one short", SOLV_SET_NETCFG, 1, SOLV_NETCFG_SIZE - 1, true);
        row("set one long", SOLV_SET_EMAILCFG, 1, SOLV_EMAILCFG_SIZE + 1, true);
        row("set with get command", SOLV_GET_NTPCFG, 1, SOLV_NTPCFG_SIZE, true);
        row("channel out of range", SOLV_GET_FRONTCFG, 99, SOLV_FRONTCFG_SIZE, false);
        row("negative channel", SOLV_GET_FRONTCFG, -1, SOLV_FRONTCFG_SIZE, false);
        row("unknown command", 4242, 0, 64, false, SOLV_NOT_SUPPORT);
    }

    void badConfigCallsKeepTheLogin()
    {
        QFETCH(uint32_t, command);
        QFETCH(int, channel);
        QFETCH(int, size);
        QFETCH(bool, isSet);
        QFETCH(uint32_t, error);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        const QByteArray before = m_fleet->record(Plain, SOLV_RecordGetCommand(command));
        std::vector<char> buffer(std::size_t(size + 8), '\x11');
        const bool ok = isSet
            ? SOLV_SetDVRConfig(id, command, channel, buffer.data(), uint32_t(size))
            : SOLV_GetDVRConfig(id, command, channel, buffer.data(), uint32_t(size), nullptr);
        QCOMPARE(failure(ok), error);
        QCOMPARE(m_fleet->record(Plain, SOLV_RecordGetCommand(command)), before);
        QVERIFY(!get(id, SOLV_GET_FRONTCFG, 1).isEmpty());
        QVERIFY(SOLV_Logout(id));
    }

    // A camera's fault gives its code at once; "not supported" and refusals
    // keep the login, a broken or late answer leaves it failing with 64.
    void faultsGiveTheirCodes_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<Call>("call");
        QTest::addColumn<uint32_t>("error");
        QTest::addColumn<uint32_t>("after"); // of a later get on the same login
        const auto row = [](const char *name, const char *fault, Call call, uint32_t error,
                             uint32_t after = Ok) {
            QTest::newRow(name) << QString(fault) << call << error << after;
        };
        row("refused set", "refuse-set=1067", SetFront, SOLV_REFUSED);
        row("unsupported record", "unsupported=1042", GetDecoder, SOLV_NOT_SUPPORT);
        row("unsupported ability", "unsupported-ability=6", DeviceAbility, SOLV_NOT_SUPPORT);
        row("other ability", "unsupported-ability=6", CameraAbility, Ok);
        row("unknown ability", "", UnknownAbility, SOLV_NOT_SUPPORT);
        row("no ptz", "ptz-unsupported", Ptz, SOLV_NOT_SUPPORT);
        row("dropped", "drop-after=1", GetDecoder, SOLV_RECV_FAILED, SOLV_RECV_FAILED);
        row("late", "delay=100000", GetDecoder, SOLV_TIMEOUT, SOLV_RECV_FAILED); // 1 s at 0.01
    }

    void faultsGiveTheirCodes()
    {
        QFETCH(QString, fault);
        QFETCH(Call, call);
        QFETCH(uint32_t, error);
        QFETCH(uint32_t, after);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        const QByteArray front = get(id, SOLV_GET_FRONTCFG, 1);
        devsim::Fault injected;
        QVERIFY(fault.isEmpty() || devsim::applyFaultWord(injected, fault, nullptr));
        m_fleet->setFault(Faulty, injected);
        SOLV_SetRecvTimeOut(300);
        const auto run = [&]() -> bool {
            std::vector<char> text(65536);
            SOLV_PTZ_PROTOCOL_LIST list;
            QByteArray changed = front;
            changed[SOLV_FRONTCFG_BRIGHTNESS_OFFSET] ^= 1;
            switch (call) {
            case SetFront:
                return set(id, SOLV_GET_FRONTCFG, changed, 1);
            case GetDecoder:
                return !get(id, SOLV_GET_DECODERCFG, 1).isEmpty();
            case Ptz:
                return SOLV_GetPTZProtocol(id, &list);
            default:
                const uint32_t type = call == DeviceAbility ? SOLV_ABILITY_DEVICE
                    : call == CameraAbility                 ? SOLV_ABILITY_CAMERA
                                                            : 77;
                return SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), 65536);
            }
        };
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(failure(run()), error);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(m_fleet->record(Faulty, SOLV_GET_FRONTCFG), front);
        QCOMPARE(failure(!get(id, SOLV_GET_DEVICECFG).isEmpty()), after);
        QVERIFY(SOLV_Logout(id)); // even with the device gone
    }

    void slowDeviceTimesOutTheLogin()
    {
        devsim::Fault fault;
        fault.delayMs = 100000;
        m_fleet->setFault(Faulty, fault);
        SOLV_SetRecvTimeOut(200);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(failure(login(Faulty) >= 0), uint32_t(SOLV_TIMEOUT));
        QVERIFY2(timer.elapsed() < 900, qPrintable(QString::number(timer.elapsed())));
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
        QVERIFY(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), 65536));
        const QByteArray got(text.data());
        QVERIFY(got.contains(root));
        QByteArray expected;
        m_fleet->run([&] { expected = m_fleet->cameras().at(Plain)->ability(type); });
        QCOMPARE(got, expected);
        // The text and its zero fit exactly; one byte less does not, and
        // leaves the buffer alone.
        const auto length = uint32_t(got.size());
        QVERIFY(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), length + 1));
        text[0] = '\x7F';
        QCOMPARE(failure(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), length)),
            uint32_t(SOLV_INSUFFICIENT_BUFFER));
        QCOMPARE(text[0], '\x7F');
        QCOMPARE(failure(SOLV_GetDeviceAbility(id, type, nullptr, 0, nullptr, 100)),
            uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_Logout(id));
    }

    void ptzListFillsTheWholeRecord()
    {
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        SOLV_PTZ_PROTOCOL_LIST list;
        std::memset(list.bytes, 0xEE, sizeof list.bytes);
        QVERIFY(SOLV_GetPTZProtocol(id, &list));
        quint32 count = 0;
        std::memcpy(&count, list.bytes + SOLV_PTZ_PROTOCOL_COUNT_OFFSET, 4);
        QCOMPARE(count, quint32(20));
        QVERIFY(std::strlen(reinterpret_cast<const char *>(list.bytes + 8)) > 0);
        // Entries past the count are zero, not left as they were.
        QCOMPARE(list.bytes[4 + 20 * 20], uchar(0));
        QCOMPARE(list.bytes[4003], uchar(0));
        QCOMPARE(failure(SOLV_GetPTZProtocol(id, nullptr)), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_Logout(id));
    }

    // A refused address fails at once; a listener whose backlog is full never
    // completes the handshake: the login gives up after one connect
    // time-out, whatever the tries.
    void connectFailsWithinOneTimeout()
    {
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(
            failure(solvcheck::login("127.0.3.250", Port) >= 0), uint32_t(SOLV_CONNECT_FAILED));
        QVERIFY(timer.elapsed() < 1000);
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.3.251", &address.sin_addr);
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(listener, 0) == 0);
        socklen_t length = sizeof address;
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
        std::vector<int> fillers;
        for (int i = 0; i < 4; ++i) {
            fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
            ::connect(fillers.back(), reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
        QTest::qWait(50);
        SOLV_SetConnectTime(400, 3);
        timer.restart();
        QCOMPARE(failure(solvcheck::login("127.0.3.251", ntohs(address.sin_port)) >= 0),
            uint32_t(SOLV_CONNECT_FAILED));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 350 && elapsed < 1000, qPrintable(QString::number(elapsed)));
        for (int fd : fillers) {
            ::close(fd);
        }
        ::close(listener);
    }

    void timeOutSettersRejectZero()
    {
        QCOMPARE(failure(SOLV_SetConnectTime(0, 1)), uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(failure(SOLV_SetRecvTimeOut(0)), uint32_t(SOLV_PARAMETER_ERROR));
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
        QCOMPARE(failure(login(Sessions) >= 0), uint32_t(SOLV_TOO_MANY_SESSIONS));
        QVERIFY(SOLV_Logout(first));
        // The device freed the session when it answered the logout.
        const int32_t second = login(Sessions);
        QVERIFY(second >= 0);
        QVERIFY(SOLV_Logout(second));
    }

    // A rebooted camera drops its logins and comes back with its records; one
    // that never returns stays away.
    void rebootThenLoginAgain()
    {
        devsim::Fault fault;
        fault.neverReturn = true;
        m_fleet->setFault(Spare, fault);
        const int32_t gone = login(Spare);
        int32_t id = login(Reboot);
        QVERIFY(id >= 0 && gone >= 0);
        QVERIFY(SOLV_RebootDVR(gone));
        QVERIFY(SOLV_Logout(gone));
        QByteArray front = get(id, SOLV_GET_FRONTCFG, 1);
        front[SOLV_FRONTCFG_CONTRAST_OFFSET] = 17;
        QVERIFY(set(id, SOLV_GET_FRONTCFG, front, 1));
        QVERIFY(SOLV_RebootDVR(id));
        QTRY_VERIFY_WITH_TIMEOUT(!m_fleet->isOnline(Reboot), 5000);
        QCOMPARE(failure(!get(id, SOLV_GET_FRONTCFG, 1).isEmpty()), uint32_t(SOLV_RECV_FAILED));
        QVERIFY(SOLV_Logout(id));
        QCOMPARE(failure(login(Reboot) >= 0), uint32_t(SOLV_CONNECT_FAILED));
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(Reboot), 5000);
        id = login(Reboot);
        QVERIFY(id >= 0);
        QCOMPARE(get(id, SOLV_GET_FRONTCFG, 1), front);
        QVERIFY(SOLV_Logout(id));
        QTest::qWait(200); // twice the reboot time since the other went down
        QVERIFY(!m_fleet->isOnline(Spare));
        QCOMPARE(login(Spare), -1);
    }

    void restoreKeepsTheNetworkSettings()
    {
        const int32_t id = login(Restore);
        QVERIFY(id >= 0);
        const QByteArray factoryPicture = m_fleet->factoryRecord(Restore, SOLV_GET_PICCFG);
        QByteArray picture = get(id, SOLV_GET_PICCFG, 1);
        QCOMPARE(picture, factoryPicture);
        std::memcpy(picture.data() + SOLV_PICCFG_CHANNEL_NAME_OFFSET, "Gate", 5);
        QVERIFY(set(id, SOLV_GET_PICCFG, picture, 1));
        QByteArray net = get(id, SOLV_GET_NETCFG);
        std::memcpy(net.data() + SOLV_NETCFG_GATEWAY_OFFSET, "127.0.3.254\0\0\0\0", 16);
        QVERIFY(set(id, SOLV_GET_NETCFG, net));
        QVERIFY(SOLV_RestoreConfig(id));
        QCOMPARE(get(id, SOLV_GET_PICCFG, 1), factoryPicture);
        QCOMPARE(get(id, SOLV_GET_NETCFG), net); // so the device stays reachable
        QVERIFY(SOLV_Logout(id));
    }

    // The move itself is covered with the simulator; here the sets a camera
    // cannot apply, which change nothing.
    void networkSetRefusesWhatTheCameraCannotTake()
    {
        const auto withAddress = [](QByteArray net, const char(&ip)[16], int port) {
            std::memcpy(net.data() + SOLV_NETCFG_IP_ADDRESS_OFFSET, ip, 16);
            net[SOLV_NETCFG_PORT_OFFSET] = char(port & 0xFF);
            net[SOLV_NETCFG_PORT_OFFSET + 1] = char(port >> 8);
            return net;
        };
        const int32_t id = login(Moves);
        QVERIFY(id >= 0);
        const QByteArray net = get(id, SOLV_GET_NETCFG);
        // Camera Plain's address and port are taken.
        QCOMPARE(failure(set(id, SOLV_GET_NETCFG, withAddress(net, "127.0.3.1\0\0\0\0\0\0", Port))),
            uint32_t(SOLV_REFUSED));
        QCOMPARE(failure(set(id, SOLV_GET_NETCFG, withAddress(net, "not an address\0", Port))),
            uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(failure(set(id, SOLV_GET_NETCFG, withAddress(net, "127.0.3.200\0\0\0\0", 0))),
            uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(get(id, SOLV_GET_NETCFG), net);
        QCOMPARE(m_fleet->currentAddress(Moves), m_fleet->address(Moves));
        QVERIFY(SOLV_Logout(id));
    }

    void lastErrorIsPerThread()
    {
        QCOMPARE(failure(login(Plain, "wrong") >= 0), uint32_t(SOLV_PASSWORD_ERROR));
        uint32_t other = 12345;
        std::thread([&] { other = SOLV_GetLastError(); }).join();
        QCOMPARE(other, uint32_t(SOLV_NOERROR));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PASSWORD_ERROR));
    }

    void cleanupLogsEverythingOut()
    {
        const int32_t a = login(Plain);
        const int32_t b = login(Restore);
        QVERIFY(a >= 0 && b >= 0);
        QVERIFY(SOLV_Cleanup());
        QCOMPARE(failure(!get(a, SOLV_GET_DEVICECFG).isEmpty()), uint32_t(SOLV_NOT_LOGGED_IN));
        QVERIFY(SOLV_Init());
    }
};

QTEST_GUILESS_MAIN(SolvaneClientTest)
#include "tst_solvaneclient.moc"
