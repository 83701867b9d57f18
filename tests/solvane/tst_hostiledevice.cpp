// The SDK client against a fake device that sends broken frames: every call
// fails with its code within the time-out, nothing crashes, and the login
// never puts the password on the wire.

#include "solvanecheck.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace solvcheck;

namespace {

constexpr int HeaderSize = 20;
constexpr quint32 Magic = 0x4E564C53;
constexpr int Timeout = 1000;

QByteArray le32(quint32 value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), 4); // the test host is little-endian
}

QByteArray header(quint16 command, quint32 sequence, quint32 status, quint32 length,
    quint8 flags = 1, quint32 magic = Magic, quint8 version = 1)
{
    return le32(magic) + char(version) + char(flags) + le32(command).left(2) + le32(sequence)
        + le32(status) + le32(length);
}

QByteArray frame(
    quint16 command, quint32 sequence, quint32 status, const QByteArray &payload, quint8 flags = 1)
{
    return header(command, sequence, status, quint32(payload.size()), flags) + payload;
}

QByteArray challenge(const QByteArray &nonce)
{
    return frame(0x0001, 0, 0, nonce, 0);
}

const QByteArray Nonce
    = QByteArray::fromHex("030a11181f262d343b424950575e656c737a81888f969da4abb2b9c0c7ced5dc");

// Where the fake device misbehaves: the number of good frames it sends first
// (the challenge, then the login's answer); the call is a get or a PTZ list.
enum Stage { AtChallenge, AtLogin, AtCall, AtPtzCall };

// A device on 127.0.5.1 for one connection: sends the first frame of the
// script at once and each further one after a request; then closes or stays
// silent. Records what the client sent.
class FakeDevice
{
public:
    FakeDevice(Stage stage, const QByteArray &bad, bool closeAfter) : m_closeAfter(closeAfter)
    {
        m_script
            = QList<QByteArray> { challenge(Nonce), frame(0x0002, 1, 0, le32(7)) }.mid(0, stage)
            << bad;
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        ::inet_pton(AF_INET, "127.0.5.1", &address.sin_addr);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        ::listen(m_listener, 4);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }

    ~FakeDevice()
    {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }

    int32_t login(const char *password = "60917")
    {
        return solvcheck::login(QStringLiteral("127.0.5.1"), m_port, password);
    }

    QByteArray received() const
    {
        for (int i = 0; i < 300 && !m_done; ++i) {
            QTest::qWait(10);
        }
        return m_done ? m_received : QByteArray();
    }

private:
    bool readExact(int fd, int length)
    {
        char data[4096];
        for (ssize_t got = 0; length > 0; length -= int(got)) {
            got = ::recv(fd, data, std::size_t(std::min(length, 4096)), 0);
            if (got <= 0) {
                return false;
            }
            m_received.append(data, int(got));
        }
        return true;
    }

    bool readFrame(int fd)
    {
        quint32 length = 0;
        if (!readExact(fd, HeaderSize)) {
            return false;
        }
        std::memcpy(&length, m_received.constData() + m_received.size() - 4, 4);
        return readExact(fd, int(std::min<quint32>(length, 70000)));
    }

    void serve()
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd >= 0) {
            timeval wait { 5, 0 };
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
            for (int i = 0; i < m_script.size() && (i == 0 || readFrame(fd)); ++i) {
                ::send(fd, m_script[i].constData(), std::size_t(m_script[i].size()), MSG_NOSIGNAL);
            }
            // Unless told to close, stay silent and read on until the client gives up.
            while (!m_closeAfter && readExact(fd, 1)) { }
            ::close(fd);
        }
        m_done = true;
    }

    QList<QByteArray> m_script;
    bool m_closeAfter;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    QByteArray m_received;
    std::atomic<bool> m_done { false };
};

} // namespace

Q_DECLARE_METATYPE(Stage)

class HostileDeviceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        SOLV_Init();
        SOLV_SetConnectTime(1000, 1);
        SOLV_SetRecvTimeOut(Timeout);
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void brokenFramesFailTheCall_data()
    {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<uint32_t>("error");
        const auto row = [](const char *name, Stage stage, const QByteArray &bytes, bool closeAfter,
                             uint32_t error = SOLV_MALFORMED_DATA) {
            QTest::newRow(name) << stage << bytes << closeAfter << error;
        };
        const QByteArray garbage = "GET / HTTP/1.0\r\nHost: x\r\n\r\n";
        const QByteArray nonce(32, 'n');
        const QByteArray truncated = challenge(nonce).left(HeaderSize + 10);
        const QByteArray record = frame(0x0010, 2, 0, QByteArray(132, 'r'));

        row("challenge: closed at once", AtChallenge, {}, true, SOLV_RECV_FAILED);
        row("challenge: garbage", AtChallenge, garbage, false);
        row("challenge: over-limit length", AtChallenge, header(1, 0, 0, 0x7FFFFFF0, 0), false);
        row("challenge: wrong magic", AtChallenge, header(1, 0, 0, 32, 0, 0x12345678) + nonce,
            false);
        row("challenge: wrong version", AtChallenge, header(1, 0, 0, 32, 0, Magic, 9) + nonce,
            false, SOLV_VERSION_MISMATCH);
        row("challenge: closed mid-header", AtChallenge, truncated.left(9), true, SOLV_RECV_FAILED);
        row("challenge: closed mid-payload", AtChallenge, truncated, true, SOLV_RECV_FAILED);
        row("challenge: truncated, silent", AtChallenge, truncated, false, SOLV_TIMEOUT);
        row("challenge: short nonce", AtChallenge, challenge(QByteArray(8, 'n')), false);
        row("challenge: another command", AtChallenge, frame(0x0010, 0, 0, nonce, 0), false);
        row("challenge: too many sessions", AtChallenge, frame(1, 0, 67, {}, 0), true,
            SOLV_TOO_MANY_SESSIONS);
        row("challenge: nothing at all", AtChallenge, {}, false, SOLV_TIMEOUT);

        row("login: over-limit length", AtLogin, header(2, 1, 0, 65537), false);
        row("login: wrong sequence", AtLogin, frame(2, 5, 0, le32(7)), false);
        row("login: not marked as answer", AtLogin, frame(2, 1, 0, le32(7), 0), false);
        row("login: no session number", AtLogin, frame(2, 1, 0, {}), false);
        row("login: closed mid-frame", AtLogin, frame(2, 1, 0, le32(7)).left(22), true,
            SOLV_RECV_FAILED);
        row("login: refused", AtLogin, frame(2, 1, 1, {}), true, SOLV_PASSWORD_ERROR);

        row("get: garbage", AtCall, garbage, false);
        row("get: over-limit length", AtCall, header(0x0010, 2, 0, 0xFFFFFFFF), false);
        row("get: record too short", AtCall, frame(0x0010, 2, 0, QByteArray(100, 'r')), false);
        row("get: record too long", AtCall, frame(0x0010, 2, 0, QByteArray(65536, 'r')), false);
        row("get: answer to another command", AtCall, frame(0x0011, 2, 0, QByteArray(132, 'r')),
            false);
        row("get: closed mid-frame", AtCall, record.left(100), true, SOLV_RECV_FAILED);
        row("get: truncated, silent", AtCall, record.left(100), false, SOLV_TIMEOUT);
        row("get: closed", AtCall, {}, true, SOLV_RECV_FAILED);

        const auto ptz = [](const QByteArray &payload) { return frame(0x0031, 2, 0, payload); };
        row("ptz: count over 200", AtPtzCall, ptz(le32(201) + QByteArray(201 * 20, 'p')), false);
        row("ptz: count without entries", AtPtzCall, ptz(le32(3) + QByteArray(40, 'p')), false);
        row("ptz: entries without count", AtPtzCall, ptz(QByteArray(2, 'p')), false);
        row("ptz: huge count", AtPtzCall, ptz(le32(0xFFFFFFFF)), false);
    }

    void brokenFramesFailTheCall()
    {
        QFETCH(Stage, stage);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closeAfter);
        QFETCH(uint32_t, error);
        FakeDevice device(stage, bytes, closeAfter);
        QElapsedTimer timer;
        timer.start();
        const int32_t id = device.login();
        if (stage < AtCall) {
            QCOMPARE(failure(id >= 0), error);
        } else {
            QVERIFY(id >= 0);
            QByteArray record(SOLV_DEVICECFG_SIZE, 'k');
            SOLV_PTZ_PROTOCOL_LIST list;
            std::memset(list.bytes, 0x33, sizeof list.bytes);
            const auto read = [&] {
                return (stage == AtPtzCall ? SOLV_GetPTZProtocol(id, &list)
                                           : SOLV_GetDVRConfig(id, SOLV_GET_DEVICECFG, 0,
                                               record.data(), SOLV_DEVICECFG_SIZE, nullptr))
                    != 0;
            };
            QCOMPARE(failure(read()), error);
            // Nothing of a broken answer reaches the caller's buffer.
            QCOMPARE(record, QByteArray(SOLV_DEVICECFG_SIZE, 'k'));
            QCOMPARE(list.bytes[SOLV_PTZ_PROTOCOL_COUNT_OFFSET], uchar(0x33));
            // The connection cannot be trusted any more: later calls fail too.
            QCOMPARE(failure(read()), uint32_t(SOLV_RECV_FAILED));
            QVERIFY(SOLV_Logout(id));
        }
        // Only a silent device costs the whole time-out, and never more.
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(error == SOLV_TIMEOUT ? elapsed >= Timeout - 20 : elapsed < Timeout,
            qPrintable(QString::number(elapsed)));
        QVERIFY2(elapsed < 2 * Timeout, qPrintable(QString::number(elapsed)));
    }

    void abilityTextStopsAtItsZero()
    {
        FakeDevice device(
            AtCall, frame(0x0030, 2, 0, QByteArray("<UpdateFlag/>\0trailing", 22)), false);
        const int32_t id = device.login();
        QVERIFY(id >= 0);
        char text[14];
        QVERIFY(SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text, sizeof text));
        QCOMPARE(QByteArray(text), QByteArray("<UpdateFlag/>"));
        QVERIFY(SOLV_Logout(id));
    }

    // The login carries the user name and a proof bound to the nonce, never
    // the password.
    void loginNeverCarriesThePassword()
    {
        const QByteArray password = "Pw-60917-xyz";
        FakeDevice device(AtLogin, frame(0x0002, 1, 1, {}), true);
        QCOMPARE(device.login(password.constData()), -1);
        const QByteArray sent = device.received();
        QCOMPARE(sent.size(), HeaderSize + 1 + 5 + 32);
        QVERIFY(!sent.contains(password));
        QVERIFY(!sent.contains("60917"));
        QCOMPARE(sent.left(8), le32(Magic) + QByteArray::fromHex("01000200"));
        QCOMPARE(sent.mid(HeaderSize, 6),
            QByteArray("\x05"
                       "admin"));
        unsigned char expected[32];
        unsigned int length = 0;
        const QByteArray message = Nonce + "admin";
        HMAC(EVP_sha256(), password.constData(), password.size(),
            reinterpret_cast<const unsigned char *>(message.constData()),
            std::size_t(message.size()), expected, &length);
        QCOMPARE(
            sent.mid(HeaderSize + 6), QByteArray(reinterpret_cast<const char *>(expected), 32));
    }
};

QTEST_GUILESS_MAIN(HostileDeviceTest)
#include "tst_hostiledevice.moc"
