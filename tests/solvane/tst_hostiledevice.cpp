// The SDK client against a fake device that sends broken frames.

#include "solvanecheck.h"

#include <QElapsedTimer>
#include <QTest>
#include <QtEndian>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>

using namespace solvcheck;

static constexpr int HeaderSize = 20;
static constexpr quint32 Magic = 0x4E564C53;
static constexpr int Timeout = 1000;

static QByteArray le32(quint32 value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), 4); // the test host is little-endian
}

static QByteArray frame(
    quint16 command, quint32 sequence, quint32 status, const QByteArray &payload, quint8 flags = 1)
{
    return le32(Magic) + char(1) + char(flags) + le32(command).left(2) + le32(sequence)
        + le32(status) + le32(quint32(payload.size())) + payload;
}

static const QByteArray Nonce
    = QByteArray::fromHex("030a11181f262d343b424950575e656c737a81888f969da4abb2b9c0c7ced5dc");

// How many good frames (challenge, login answer) come before the bad one;
// from AtCall on, also which call meets it.
enum Stage { AtChallenge, AtLogin, AtCall, AtPtzCall, AtSetCall, AtAbilityCall };

// A device on 127.0.5.1 for one connection: sends its script, a frame per
// request, then closes or stays silent. Keeps what the client sent.
class FakeDevice
{
public:
    FakeDevice(Stage stage, const QByteArray &bad, bool closeAfter)
    {
        QList<QByteArray> script { frame(1, 0, 0, Nonce, 0), frame(2, 1, 0, le32(7)) };
        script = script.mid(0, stage) << bad;
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.5.1", &address.sin_addr);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_listener, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, script, closeAfter] {
            const int fd = ::accept(m_listener, nullptr, nullptr);
            timeval wait { 5, 0 };
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            for (int i = 0; fd >= 0 && i < script.size() && (i == 0 || readFrame(fd)); ++i) {
                ::send(fd, script[i].constData(), std::size_t(script[i].size()), MSG_NOSIGNAL);
            }
            while (fd >= 0 && !closeAfter && read(fd, 1)) { }
            ::close(fd);
        });
    }

    ~FakeDevice()
    {
        received();
        ::close(m_listener);
    }

    int32_t login(const char *password = "60917")
    {
        return solvcheck::login(QStringLiteral("127.0.5.1"), m_port, password);
    }

    QByteArray received()
    {
        if (m_thread.joinable()) {
            ::shutdown(m_listener, SHUT_RDWR);
            m_thread.join();
        }
        return m_received;
    }

private:
    bool read(int fd, int length)
    {
        QByteArray data(length, '\0');
        const ssize_t got = length ? ::recv(fd, data.data(), std::size_t(length), MSG_WAITALL) : 0;
        m_received += data.left(int(std::max<ssize_t>(got, 0)));
        return got == length;
    }

    bool readFrame(int fd)
    {
        return read(fd, HeaderSize)
            && read(fd,
                int(std::min(
                    qFromLittleEndian<quint32>(m_received.constData() + m_received.size() - 4),
                    70000u)));
    }

    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    QByteArray m_received;
};

class HostileDeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SOLV_Init();
        SOLV_SetRecvTimeOut(Timeout);
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void brokenFramesFailTheCall_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<uint32_t>("error"); // ~0: the call succeeds
        const auto row = [](const char *name, Stage stage, const QByteArray &bytes, bool closeAfter,
                             uint32_t error = SOLV_MALFORMED_DATA) {
            QTest::newRow(name) << int(stage) << bytes << closeAfter << error;
        };
        const QByteArray truncated = frame(1, 0, 0, Nonce, 0).left(HeaderSize + 10);
        const QByteArray record(SOLV_DEVICECFG_SIZE, 'r');

        row("garbage, wrong magic", AtChallenge, "GET / HTTP/1.0\r\nHost: x\r\n\r\n", false);
        row("challenge: over-limit length", AtChallenge,
            frame(1, 0, 0, {}, 0).replace(16, 4, le32(0x7FFFFFF0)), false);
        row("challenge: wrong version", AtChallenge, frame(1, 0, 0, Nonce, 0).replace(4, 1, "\x09"),
            false, SOLV_VERSION_MISMATCH);
        row("challenge: closed mid-payload", AtChallenge, truncated, true, SOLV_RECV_FAILED);
        row("challenge: truncated, silent", AtChallenge, truncated, false, SOLV_TIMEOUT);
        row("challenge: short nonce", AtChallenge, frame(1, 0, 0, QByteArray(8, 'n'), 0), false);
        // Statuses: only those the protocol gives an answer are the device's word.
        row("challenge: too many sessions", AtChallenge, frame(1, 0, 67, {}, 0), true,
            SOLV_TOO_MANY_SESSIONS);
        row("challenge: wrong password", AtChallenge, frame(1, 0, 1, {}, 0), true);
        row("challenge: unknown status", AtChallenge, frame(1, 0, 4711, {}, 0), true);

        row("login: wrong sequence", AtLogin, frame(2, 5, 0, le32(7)), false);
        row("login: short answer", AtLogin, frame(2, 1, 0, le32(7).left(3)), false);
        row("login: long answer", AtLogin, frame(2, 1, 0, le32(7) + le32(8)), false);
        row("login: too many sessions", AtLogin, frame(2, 1, 67, {}), true);

        row("get: record too short", AtCall, frame(0x0010, 2, 0, QByteArray(100, 'r')), false);
        row("get: closed mid-frame", AtCall, frame(0x0010, 2, 0, record).left(100), true,
            SOLV_RECV_FAILED);
        row("get: not supported", AtCall, frame(0x0010, 2, 23, {}), true, SOLV_NOT_SUPPORT);
        row("get: refused (sets only)", AtCall, frame(0x0010, 2, 68, {}), true);
        row("get: not supported with the record", AtCall, frame(0x0010, 2, 23, record), true);

        row("set: refused", AtSetCall, frame(0x0011, 2, 68, {}), true, SOLV_REFUSED);
        row("set: busy", AtSetCall, frame(0x0011, 2, 69, {}), true);
        row("set: done with a payload", AtSetCall, frame(0x0011, 2, 0, le32(0)), true);

        row("ptz: huge count", AtPtzCall, frame(0x0031, 2, 0, le32(0xFFFFFFFF)), false);

        row("ability: empty text", AtAbilityCall, frame(0x0030, 2, 0, {}), true, ~0u);
        row("ability: over the largest text", AtAbilityCall,
            frame(0x0030, 2, 0, QByteArray(32768, 'a')), true);
    }

    void brokenFramesFailTheCall()
    {
        QFETCH(int, stage);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closeAfter);
        QFETCH(uint32_t, error);
        FakeDevice device(Stage(stage), bytes, closeAfter);
        QElapsedTimer timer;
        timer.start();
        const int32_t id = device.login();
        if (stage < AtCall) {
            QCOMPARE(failure(id >= 0), error);
        } else {
            QByteArray record(SOLV_DEVICECFG_SIZE, 'k');
            SOLV_PTZ_PROTOCOL_LIST list;
            std::memset(list.bytes, 0x33, sizeof list.bytes);
            QByteArray text(65536, 't');
            const auto call = [&] {
                switch (stage) {
                case AtPtzCall:
                    return SOLV_GetPTZProtocol(id, &list) != 0;
                case AtSetCall:
                    return set(id, SOLV_GET_DEVICECFG, record);
                case AtAbilityCall:
                    return SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(),
                               uint32_t(text.size()))
                        != 0;
                default:
                    return SOLV_GetDVRConfig(id, SOLV_GET_DEVICECFG, 0, record.data(),
                               SOLV_DEVICECFG_SIZE, nullptr)
                        != 0;
                }
            };
            QCOMPARE(failure(call()), error);
            // Nothing of a broken answer reaches the caller's buffer.
            QCOMPARE(record, QByteArray(SOLV_DEVICECFG_SIZE, 'k'));
            QCOMPARE(list.bytes[SOLV_PTZ_PROTOCOL_COUNT_OFFSET], uchar(0x33));
            QCOMPARE(text.at(0), error == ~0u ? '\0' : 't');
            // Malformed data ends the login; a status the device may give does not.
            if (error == SOLV_MALFORMED_DATA || error == SOLV_RECV_FAILED) {
                QCOMPARE(failure(call()), uint32_t(SOLV_RECV_FAILED));
            }
            QVERIFY(SOLV_Logout(id));
        }
        // A silent device is waited for until the time-out (a little slack
        // for clock granularity).
        if (error == SOLV_TIMEOUT) {
            QVERIFY2(timer.elapsed() >= Timeout - 20, qPrintable(QString::number(timer.elapsed())));
        }
    }

    // The login carries the user name and a nonce-bound proof, never the password.
    void loginNeverCarriesThePassword()
    {
        const QByteArray password = "Pw-60917-xyz";
        FakeDevice device(AtLogin, frame(0x0002, 1, 1, {}), true);
        QCOMPARE(device.login(password.constData()), -1);
        const QByteArray sent = device.received();
        QCOMPARE(sent.size(), HeaderSize + 1 + 5 + 32);
        QVERIFY(!sent.contains(password));
        QCOMPARE(sent.left(8), le32(Magic) + QByteArray::fromHex("01000200"));
        QCOMPARE(sent.mid(HeaderSize, 6), QByteArray("\005admin"));
    }
};

QTEST_GUILESS_MAIN(HostileDeviceTest)
#include "tst_hostiledevice.moc"
