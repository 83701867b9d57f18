#include "fleet.h"
#include "solvanecheck.h"

#include <QElapsedTimer>
#include <QTest>
#include <QtEndian>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

using namespace solvcheck;

static constexpr quint16 Port = 18300;
enum Cam { Plain, OtherPassword, Faulty, Sessions, Moves, Count };
static constexpr uint32_t Ok = ~0u; // failure() of a call that succeeded

// A socket whose handshake has completed has a peer.
static bool isConnected(int fd)
{
    sockaddr_in peer {};
    socklen_t length = sizeof peer;
    return ::getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) == 0;
}

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
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Count,
            .firstAddress = QStringLiteral("127.0.3.1"),
            .port = Port,
            .passwords = { { OtherPassword, "s3cret" } },
            .timeScale = 0.01, // a 100 s delay takes 1 s
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void init()
    {
        SOLV_SetConnectTime(3000, 1);
        SOLV_SetRecvTimeOut(5000);
        m_fleet->clearFault(Faulty); // each fault row leaves its fault behind
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
        row("wrong user", "127.0.3.1", "root", "60917", SOLV_PASSWORD_ERROR);
        row("null address", nullptr, "admin", "60917", SOLV_PARAMETER_ERROR);
        row("user too long", "127.0.3.1", QByteArray(33, 'u'), "60917", SOLV_PARAMETER_ERROR);
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
        // The error is this thread's: another one has none.
        uint32_t other = 12345;
        std::thread([&] { other = SOLV_GetLastError(); }).join();
        QCOMPARE(other, uint32_t(SOLV_NOERROR));
        QCOMPARE(failure(id >= 0), error);
        if (id >= 0) {
            QVERIFY(SOLV_Logout_V30(id));
        }
    }

    // IDs never handed out, logged out, or ended by a clean-up.
    void callsOnUnknownIdsFail()
    {
        const int32_t closed = login(Plain);
        QVERIFY(closed >= 0 && SOLV_Logout(closed));
        // The ID of a closed login is not handed out again at once.
        const int32_t cleaned = login(Plain);
        QVERIFY(cleaned >= 0 && cleaned != closed);
        QVERIFY(SOLV_Cleanup());
        QCOMPARE(
            failure(!get(cleaned, SOLV_GET_DEVICECFG).isEmpty()), uint32_t(SOLV_NOT_LOGGED_IN));
        QVERIFY(SOLV_Init());
        for (const int32_t id : { -1, closed, cleaned }) {
            QCOMPARE(failure(!get(id, SOLV_GET_DEVICECFG).isEmpty()), uint32_t(SOLV_NOT_LOGGED_IN));
            QCOMPARE(failure(SOLV_Logout(id)), uint32_t(SOLV_NOT_LOGGED_IN));
        }
    }

    // Refused before anything is sent; the record and the login stay good.
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
        row("get with set command", SOLV_SET_NTPCFG, 1, SOLV_NTPCFG_SIZE, false);
        row("set one short", SOLV_SET_NETCFG, 1, SOLV_NETCFG_SIZE - 1, true);
        row("channel out of range", SOLV_GET_FRONTCFG, 99, SOLV_FRONTCFG_SIZE, false);
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

    // Faults give their codes; a broken or late answer ends the login.
    void faultsGiveTheirCodes_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("isSet");
        QTest::addColumn<uint32_t>("error");
        QTest::addColumn<uint32_t>("after"); // of a later get on the same login
        const auto row = [](const char *name, const char *fault, bool isSet, uint32_t error,
                             uint32_t after = Ok) {
            QTest::newRow(name) << QString(fault) << isSet << error << after;
        };
        row("refused set", "refuse-set=1067", true, SOLV_REFUSED);
        row("unsupported record", "unsupported=1042", false, SOLV_NOT_SUPPORT);
        row("dropped", "drop-after=1", false, SOLV_RECV_FAILED, SOLV_RECV_FAILED);
        row("late", "delay=100000", false, SOLV_TIMEOUT, SOLV_RECV_FAILED); // 1 s at 0.01
    }

    void faultsGiveTheirCodes()
    {
        QFETCH(QString, fault);
        QFETCH(bool, isSet);
        QFETCH(uint32_t, error);
        QFETCH(uint32_t, after);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        const QByteArray front = get(id, SOLV_GET_FRONTCFG, 1);
        devsim::Fault injected;
        QVERIFY(devsim::applyFaultWord(injected, fault, nullptr));
        m_fleet->setFault(Faulty, injected);
        constexpr int RecvTimeout = 300;
        SOLV_SetRecvTimeOut(RecvTimeout);
        QByteArray changed = front;
        changed[SOLV_FRONTCFG_BRIGHTNESS_OFFSET] ^= 1;
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(failure(isSet ? set(id, SOLV_GET_FRONTCFG, changed, 1)
                               : !get(id, SOLV_GET_DECODERCFG, 1).isEmpty()),
            error);
        if (error == SOLV_TIMEOUT) {
            // It waited its time-out out (a little slack for clock granularity).
            QVERIFY2(
                timer.elapsed() >= RecvTimeout - 20, qPrintable(QString::number(timer.elapsed())));
        }
        QCOMPARE(m_fleet->record(Faulty, SOLV_GET_FRONTCFG), front);
        QCOMPARE(failure(!get(id, SOLV_GET_DEVICECFG).isEmpty()), after);
        QVERIFY(SOLV_Logout(id)); // even with the device gone
    }

    void abilityAndPtzTexts_data()
    {
        QTest::addColumn<uint32_t>("type");
        QTest::newRow("camera") << uint32_t(SOLV_ABILITY_CAMERA);
        QTest::newRow("device") << uint32_t(SOLV_ABILITY_DEVICE);
    }

    void abilityAndPtzTexts()
    {
        QFETCH(uint32_t, type);
        const int32_t id = login(Plain);
        QVERIFY(id >= 0);
        std::vector<char> text(65536, 'z');
        QVERIFY(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), 65536));
        const QByteArray got(text.data());
        QByteArray expected;
        m_fleet->run([&] { expected = m_fleet->cameras().at(Plain)->ability(type); });
        QCOMPARE(got, expected);
        // The text and its zero fit exactly; one byte less fails and writes nothing.
        const auto length = uint32_t(got.size());
        QVERIFY(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), length + 1));
        text[0] = '\x7F';
        QCOMPARE(failure(SOLV_GetDeviceAbility(id, type, nullptr, 0, text.data(), length)),
            uint32_t(SOLV_INSUFFICIENT_BUFFER));
        QCOMPARE(text[0], '\x7F');
        QCOMPARE(failure(SOLV_GetDeviceAbility(id, type, nullptr, 0, nullptr, 100)),
            uint32_t(SOLV_PARAMETER_ERROR));
        // The PTZ list: entries past the count are zero, not left as they were.
        SOLV_PTZ_PROTOCOL_LIST list;
        std::memset(list.bytes, 0xEE, sizeof list.bytes);
        QVERIFY(SOLV_GetPTZProtocol(id, &list));
        QCOMPARE(qFromLittleEndian<quint32>(list.bytes + SOLV_PTZ_PROTOCOL_COUNT_OFFSET), 20u);
        QCOMPARE(list.bytes[4003], uchar(0));
        QCOMPARE(failure(SOLV_GetPTZProtocol(id, nullptr)), uint32_t(SOLV_PARAMETER_ERROR));
        QVERIFY(SOLV_Logout(id));
    }

    // A full backlog never completes the handshake: the connect fails once
    // its time-out has passed.
    void connectToFullBacklogFailsAfterTheTimeout()
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = htons(Port);
        ::inet_pton(AF_INET, "127.0.3.251", &address.sin_addr);
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        QVERIFY(::listen(listener, 0) == 0);
        std::vector<int> fillers;
        for (int i = 0; i < 4; ++i) {
            fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
            ::connect(fillers.back(), reinterpret_cast<sockaddr *>(&address), sizeof address);
        }
        // The first handshake fills the backlog of 0; the others stay pending.
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(fillers.begin(), fillers.end(), isConnected), 30000);
        SOLV_SetConnectTime(400, 3);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(
            failure(solvcheck::login("127.0.3.251", Port) >= 0), uint32_t(SOLV_CONNECT_FAILED));
        QVERIFY2(timer.elapsed() >= 350, qPrintable(QString::number(timer.elapsed())));
        for (int fd : fillers) {
            ::close(fd);
        }
        ::close(listener);
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
        QVERIFY(second >= 0 && SOLV_Logout(second));
    }

    // Sets the camera cannot apply change nothing; a restore keeps the network record.
    void networkSettings()
    {
        const int32_t id = login(Moves);
        QVERIFY(id >= 0);
        QByteArray net = get(id, SOLV_GET_NETCFG);
        const auto withAddress = [&](const char(&ip)[16]) {
            return QByteArray(net).replace(SOLV_NETCFG_IP_ADDRESS_OFFSET, 16, QByteArray(ip, 16));
        };
        // Camera Plain's address and port are taken.
        QCOMPARE(failure(set(id, SOLV_GET_NETCFG, withAddress("127.0.3.1\0\0\0\0\0\0"))),
            uint32_t(SOLV_REFUSED));
        QCOMPARE(failure(set(id, SOLV_GET_NETCFG, withAddress("not an address\0"))),
            uint32_t(SOLV_PARAMETER_ERROR));
        QCOMPARE(get(id, SOLV_GET_NETCFG), net);
        QCOMPARE(m_fleet->currentAddress(Moves), m_fleet->address(Moves));
        net.replace(SOLV_NETCFG_GATEWAY_OFFSET, 16, QByteArray("127.0.3.254\0\0\0\0", 16));
        QVERIFY(set(id, SOLV_GET_NETCFG, net));
        QVERIFY(SOLV_RestoreConfig(id));
        QCOMPARE(get(id, SOLV_GET_NETCFG), net);
        QVERIFY(SOLV_Logout(id));
    }
};

QTEST_GUILESS_MAIN(SolvaneClientTest)
#include "tst_solvaneclient.moc"
