// The SDK client against a fake device that sends broken frames: every call
// fails with its code within the time-out, nothing crashes, and the login
// never puts the password on the wire.

#include "solvane.h"
#include "solvane_records.h"

#include <QElapsedTimer>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace {

constexpr int HeaderSize = 20;
constexpr quint32 Magic = 0x4E564C53;

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = char(value >> (8 * i));
    }
    return bytes;
}

QByteArray le16(quint16 value)
{
    return le32(value).left(2);
}

QByteArray header(quint16 command, quint32 sequence, quint32 status, quint32 length,
    quint8 flags = 1, quint32 magic = Magic, quint8 version = 1)
{
    return le32(magic) + char(version) + char(flags) + le16(command) + le32(sequence) + le32(status)
        + le32(length);
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

// Where the fake device misbehaves.
enum Stage { AtChallenge, AtLogin, AtCall };

// A device that follows a script on one connection and records what it got.
class FakeDevice
{
public:
    FakeDevice(Stage stage, QByteArray bad, bool closeAfter)
        : m_stage(stage), m_bad(std::move(bad)), m_closeAfter(closeAfter)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
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

    quint16 port() const { return m_port; }
    QByteArray received() const { return m_done ? m_received : QByteArray(); }
    QByteArray nonce() const { return m_nonce; }
    void waitDone()
    {
        for (int i = 0; i < 300 && !m_done; ++i) {
            QTest::qWait(10);
        }
    }

private:
    bool readExact(int fd, char *data, int length)
    {
        while (length > 0) {
            const ssize_t got = ::recv(fd, data, std::size_t(length), 0);
            if (got <= 0) {
                return false;
            }
            m_received.append(data, int(got));
            data += got;
            length -= int(got);
        }
        return true;
    }

    // One request; its sequence number, or -1 when the client went away.
    qint64 readFrame(int fd)
    {
        char head[HeaderSize];
        if (!readExact(fd, head, HeaderSize)) {
            return -1;
        }
        quint32 length = 0;
        quint32 sequence = 0;
        std::memcpy(&sequence, head + 8, 4);
        std::memcpy(&length, head + 16, 4);
        QByteArray payload(int(std::min<quint32>(length, 70000)), '\0');
        if (!readExact(fd, payload.data(), payload.size())) {
            return -1;
        }
        return sequence;
    }

    void sendBytes(int fd, const QByteArray &bytes)
    {
        ::send(fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }

    void serve()
    {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0) {
            m_done = true;
            return;
        }
        timeval wait { 5, 0 };
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        m_nonce = QByteArray(32, '\0');
        for (int i = 0; i < 32; ++i) {
            m_nonce[i] = char(i * 7 + 3);
        }
        bool go = true;
        if (m_stage == AtChallenge) {
            sendBytes(fd, m_bad);
        } else {
            sendBytes(fd, challenge(m_nonce));
            const qint64 loginSequence = readFrame(fd);
            go = loginSequence >= 0;
            if (go && m_stage == AtLogin) {
                sendBytes(fd, m_bad);
            } else if (go) {
                sendBytes(fd, frame(0x0002, quint32(loginSequence), 0, le32(7)));
                go = readFrame(fd) >= 0;
                if (go) {
                    sendBytes(fd, m_bad);
                }
            }
        }
        if (!m_closeAfter) {
            // Stay silent and read on until the client gives up.
            char sink[256];
            while (readExact(fd, sink, 1)) { }
        }
        ::close(fd);
        m_done = true;
    }

    Stage m_stage;
    QByteArray m_bad;
    bool m_closeAfter;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    QByteArray m_received;
    QByteArray m_nonce;
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
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void brokenFramesFailTheCall_data()
    {
        QTest::addColumn<Stage>("stage");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closeAfter");
        QTest::addColumn<uint32_t>("error");

        const QByteArray garbage = QByteArray("GET / HTTP/1.0\r\nHost: x\r\n\r\n");
        const QByteArray overLimit = header(0x0001, 0, 0, 0x7FFFFFF0, 0);
        const QByteArray wrongMagic = header(0x0001, 0, 0, 32, 0, 0x12345678) + QByteArray(32, 'n');
        const QByteArray wrongVersion = header(0x0001, 0, 0, 32, 0, Magic, 9) + QByteArray(32, 'n');
        const QByteArray truncated = challenge(QByteArray(32, 'n')).left(HeaderSize + 10);

        QTest::newRow("challenge: closed at once")
            << AtChallenge << QByteArray() << true << uint32_t(SOLV_RECV_FAILED);
        QTest::newRow("challenge: garbage")
            << AtChallenge << garbage << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("challenge: over-limit length")
            << AtChallenge << overLimit << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("challenge: wrong magic")
            << AtChallenge << wrongMagic << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("challenge: wrong version")
            << AtChallenge << wrongVersion << false << uint32_t(SOLV_VERSION_MISMATCH);
        QTest::newRow("challenge: closed mid-header")
            << AtChallenge << truncated.left(9) << true << uint32_t(SOLV_RECV_FAILED);
        QTest::newRow("challenge: closed mid-payload")
            << AtChallenge << truncated << true << uint32_t(SOLV_RECV_FAILED);
        QTest::newRow("challenge: truncated, silent")
            << AtChallenge << truncated << false << uint32_t(SOLV_TIMEOUT);
        QTest::newRow("challenge: short nonce") << AtChallenge << challenge(QByteArray(8, 'n'))
                                                << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("challenge: another command")
            << AtChallenge << frame(0x0010, 0, 0, QByteArray(32, 'n'), 0) << false
            << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("challenge: too many sessions") << AtChallenge << frame(0x0001, 0, 67, {}, 0)
                                                      << true << uint32_t(SOLV_TOO_MANY_SESSIONS);
        QTest::newRow("challenge: nothing at all")
            << AtChallenge << QByteArray() << false << uint32_t(SOLV_TIMEOUT);

        QTest::newRow("login: garbage")
            << AtLogin << garbage << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("login: over-limit length")
            << AtLogin << header(0x0002, 1, 0, 65537) << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("login: wrong sequence")
            << AtLogin << frame(0x0002, 5, 0, le32(7)) << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("login: not marked as answer")
            << AtLogin << frame(0x0002, 1, 0, le32(7), 0) << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("login: no session number")
            << AtLogin << frame(0x0002, 1, 0, {}) << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("login: closed mid-frame") << AtLogin << frame(0x0002, 1, 0, le32(7)).left(22)
                                                 << true << uint32_t(SOLV_RECV_FAILED);
        QTest::newRow("login: refused")
            << AtLogin << frame(0x0002, 1, 1, {}) << true << uint32_t(SOLV_PASSWORD_ERROR);

        QTest::newRow("get: garbage")
            << AtCall << garbage << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("get: over-limit length")
            << AtCall << header(0x0010, 2, 0, 0xFFFFFFFF) << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("get: wrong magic") << AtCall << header(0x0010, 2, 0, 132, 1, 0x4E564C54)
                                          << false << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("get: record too short")
            << AtCall << frame(0x0010, 2, 0, QByteArray(100, 'r')) << false
            << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("get: record too long")
            << AtCall << frame(0x0010, 2, 0, QByteArray(65536, 'r')) << false
            << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("get: answer to another command")
            << AtCall << frame(0x0011, 2, 0, QByteArray(132, 'r')) << false
            << uint32_t(SOLV_MALFORMED_DATA);
        QTest::newRow("get: closed mid-frame")
            << AtCall << frame(0x0010, 2, 0, QByteArray(132, 'r')).left(100) << true
            << uint32_t(SOLV_RECV_FAILED);
        QTest::newRow("get: truncated, silent")
            << AtCall << frame(0x0010, 2, 0, QByteArray(132, 'r')).left(100) << false
            << uint32_t(SOLV_TIMEOUT);
        QTest::newRow("get: closed")
            << AtCall << QByteArray() << true << uint32_t(SOLV_RECV_FAILED);
    }

    void brokenFramesFailTheCall()
    {
        QFETCH(Stage, stage);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closeAfter);
        QFETCH(uint32_t, error);
        constexpr int Timeout = 1000;
        SOLV_SetRecvTimeOut(Timeout);
        FakeDevice device(stage, bytes, closeAfter);
        QElapsedTimer timer;
        timer.start();
        SOLV_LOGIN_INFO info {};
        const int32_t id = SOLV_Login_V30("127.0.5.1", device.port(), "admin", "60917", &info);
        if (stage != AtCall) {
            QCOMPARE(id, -1);
            QCOMPARE(SOLV_GetLastError(), error);
        } else {
            QVERIFY(id >= 0);
            QByteArray record(SOLV_DEVICECFG_SIZE, 'k');
            const QByteArray before = record;
            QVERIFY(!SOLV_GetDVRConfig(
                id, SOLV_GET_DEVICECFG, 0, record.data(), SOLV_DEVICECFG_SIZE, nullptr));
            QCOMPARE(SOLV_GetLastError(), error);
            QCOMPARE(record, before); // a failed read leaves the buffer alone
            // The connection cannot be trusted any more: later calls fail too.
            QVERIFY(!SOLV_GetDVRConfig(
                id, SOLV_GET_DEVICECFG, 0, record.data(), SOLV_DEVICECFG_SIZE, nullptr));
            QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_RECV_FAILED));
            QVERIFY(SOLV_Logout(id));
        }
        // Only a silent device costs the whole time-out, and never more.
        const qint64 elapsed = timer.elapsed();
        if (error == SOLV_TIMEOUT) {
            QVERIFY2(elapsed >= Timeout - 20, qPrintable(QString::number(elapsed)));
        } else {
            QVERIFY2(elapsed < Timeout, qPrintable(QString::number(elapsed)));
        }
        QVERIFY2(elapsed < 2 * Timeout, qPrintable(QString::number(elapsed)));
    }

    void badPtzListIsMalformed_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("count over 200") << le32(201) + QByteArray(201 * 20, 'p');
        QTest::newRow("count without entries") << le32(3) + QByteArray(2 * 20, 'p');
        QTest::newRow("entries without count") << QByteArray(2, 'p');
        QTest::newRow("huge count") << le32(0xFFFFFFFF);
    }

    void badPtzListIsMalformed()
    {
        QFETCH(QByteArray, payload);
        SOLV_SetRecvTimeOut(1000);
        FakeDevice device(AtCall, frame(0x0031, 2, 0, payload), false);
        const int32_t id = SOLV_Login_V30("127.0.5.1", device.port(), "admin", "60917", nullptr);
        QVERIFY(id >= 0);
        SOLV_PTZ_PROTOCOL_LIST list;
        std::memset(list.bytes, 0x33, sizeof list.bytes);
        QVERIFY(!SOLV_GetPTZProtocol(id, &list));
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_MALFORMED_DATA));
        QCOMPARE(list.bytes[4004], uchar(0x33));
        QVERIFY(SOLV_Logout(id));
    }

    void abilityTextStopsAtItsZero()
    {
        SOLV_SetRecvTimeOut(1000);
        FakeDevice device(
            AtCall, frame(0x0030, 2, 0, QByteArray("<UpdateFlag/>\0trailing", 22)), false);
        const int32_t id = SOLV_Login_V30("127.0.5.1", device.port(), "admin", "60917", nullptr);
        QVERIFY(id >= 0);
        char text[14];
        QVERIFY(SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text, sizeof text));
        QCOMPARE(QByteArray(text), QByteArray("<UpdateFlag/>"));
        QVERIFY(SOLV_Logout(id));
    }

    // What the client sends at login: the user name and a proof bound to
    // the nonce, never the password.
    void loginNeverCarriesThePassword()
    {
        SOLV_SetRecvTimeOut(1000);
        const QByteArray password = "Pw-60917-xyz";
        FakeDevice device(AtLogin, frame(0x0002, 1, 1, {}), true);
        QCOMPARE(
            SOLV_Login_V30("127.0.5.1", device.port(), "admin", password.constData(), nullptr), -1);
        device.waitDone();
        const QByteArray sent = device.received();
        QCOMPARE(sent.size(), HeaderSize + 1 + 5 + 32);
        QVERIFY(!sent.contains(password));
        QVERIFY(!sent.contains("60917"));

        QCOMPARE(sent.mid(0, 4), le32(Magic));
        QCOMPARE(sent.mid(6, 2), le16(0x0002));
        QCOMPARE(sent.at(HeaderSize), char(5));
        QCOMPARE(sent.mid(HeaderSize + 1, 5), QByteArray("admin"));
        unsigned char expected[32];
        unsigned int length = 0;
        const QByteArray message = device.nonce() + "admin";
        HMAC(EVP_sha256(), password.constData(), password.size(),
            reinterpret_cast<const unsigned char *>(message.constData()),
            std::size_t(message.size()), expected, &length);
        QCOMPARE(
            sent.mid(HeaderSize + 6), QByteArray(reinterpret_cast<const char *>(expected), 32));
    }
};

QTEST_GUILESS_MAIN(HostileDeviceTest)
#include "tst_hostiledevice.moc"
