// The simulator's firmware side: the image header, the camera's checks as
// pieces arrive, the upload connection's refusals, and the images that
// make-firmware and make-firmware-dir write.

#include "firmware.h"
#include "firmwarename.h"
#include "fleet.h"
#include "recordbytes.h"
#include "solvanecheck.h"

#include <QDir>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace solvcheck;
namespace fw = solvane::firmware;
namespace proto = solvane::proto;

static constexpr quint16 Port = 18890;
static constexpr int Cameras = 12; // every model; two of them in the second language

static const QString Program = QDir(qEnvironmentVariable("TERVIX_BIN_DIR", QDir::currentPath()))
                                   .filePath(QStringLiteral("tervix-devsim"));

static const fw::Description Target { "P1", "8", "64", "2", "3", "1" };

// The bytes of an image whose header fields are as given.
static QByteArray imageBytes(const fw::Description &target, int bodySize)
{
    QByteArray body(bodySize, 'b');
    fw::Sha256 digest;
    digest.update(reinterpret_cast<const uint8_t *>(body.constData()), std::size_t(body.size()));
    fw::ImageHeader header { target, 0x01020003, 0x1a0102, quint64(bodySize), digest.finish() };
    const auto bytes = fw::encodeImageHeader(header);
    return QByteArray(reinterpret_cast<const char *>(bytes->data()), int(bytes->size())) + body;
}

// A client that speaks the protocol frame by frame, to ask what the SDK never asks.
class RawConnection
{
public:
    bool open(const QString &address)
    {
        m_socket.connectToHost(address, Port);
        const auto challenge = readFrame();
        if (!challenge || challenge->second.size() != int(proto::NonceSize)) {
            return false;
        }
        m_nonce = challenge->second;
        return true;
    }

    QByteArray loginPayload() const
    {
        const auto proof = proto::loginProof("60917", devsim::bytes(m_nonce), "admin");
        const auto payload = proto::encodeLogin("admin", proof);
        return QByteArray(reinterpret_cast<const char *>(payload.data()), int(payload.size()));
    }

    QByteArray attachPayload(quint32 session, quint64 size, const char *password = "60917") const
    {
        const auto proof = proto::loginProof(password, devsim::bytes(m_nonce), "admin");
        const auto payload = fw::encodeAttach(session, "admin", proof, size);
        return QByteArray(reinterpret_cast<const char *>(payload.data()), int(payload.size()));
    }

    void close() { m_socket.abort(); }

    // The answer's status and payload; nullopt when the device closed instead.
    std::optional<std::pair<quint32, QByteArray>> request(
        quint16 command, const QByteArray &payload)
    {
        const proto::Header header { .command = command, .sequence = ++m_sequence };
        const auto frame
            = proto::encodeFrame(header, devsim::bytes(payload), std::size_t(payload.size()));
        m_socket.write(reinterpret_cast<const char *>(frame.data()), qint64(frame.size()));
        return readFrame();
    }

private:
    std::optional<std::pair<quint32, QByteArray>> readFrame()
    {
        while (m_buffer.size() < int(proto::HeaderSize)) {
            if (!m_socket.waitForReadyRead(5000)) {
                return std::nullopt;
            }
            m_buffer += m_socket.readAll();
        }
        uint32_t magic = 0;
        const proto::Header header = proto::decodeHeader(devsim::bytes(m_buffer), &magic);
        while (m_buffer.size() < int(proto::HeaderSize + header.length)) {
            if (!m_socket.waitForReadyRead(5000)) {
                return std::nullopt;
            }
            m_buffer += m_socket.readAll();
        }
        const QByteArray payload = m_buffer.mid(int(proto::HeaderSize), int(header.length));
        m_buffer.remove(0, int(proto::HeaderSize + header.length));
        return std::make_pair(quint32(header.status), payload);
    }

    QTcpSocket m_socket;
    QByteArray m_buffer;
    QByteArray m_nonce;
    quint32 m_sequence = 0;
};

class DevsimFirmwareTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    // The image name a directory upgrade of the program looks for on this camera.
    QString nameFromDevice(int index)
    {
        const int32_t id = login(m_fleet->address(index), Port);
        QByteArray text(4096, '\0');
        SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), 4096);
        SOLV_Logout(id);
        return FirmwareNameFromDescription(text.left(qsizetype(qstrlen(text.constData()))));
    }

    // Uploads an image file through the SDK; the state it ends in.
    int upgrade(int index, const QString &path)
    {
        const int32_t id = login(m_fleet->address(index), Port);
        const int32_t handle = SOLV_Upgrade(id, qPrintable(path));
        if (handle < 0) {
            SOLV_Logout(id);
            return -1;
        }
        // The state read next tells whether the wait ended in time.
        static_cast<void>(
            QTest::qWaitFor([&] { return SOLV_GetUpgradeState(handle) != fw::Running; }));
        const int state = SOLV_GetUpgradeState(handle);
        SOLV_CloseUpgradeHandle(handle);
        SOLV_Logout(id);
        return state;
    }

    static int run(const QStringList &arguments, QByteArray *output = nullptr)
    {
        QProcess process;
        process.start(Program, arguments);
        process.waitForFinished(-1);
        if (output) {
            *output = process.readAllStandardOutput() + process.readAllStandardError();
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Cameras,
            .firstAddress = QStringLiteral("127.0.81.1"),
            .port = Port,
            .seed = 0,
            .timeScale = 0.01,
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void headerRejects_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<char>("value");
        QTest::newRow("magic") << 0 << 'X';
        QTest::newRow("format version") << 4 << char(2);
        QTest::newRow("header size") << 6 << char(0xFF);
        QTest::newRow("empty platform") << 8 << char(0);
        QTest::newRow("text fills its field") << 8 + 31 << 'x';
        QTest::newRow("bytes after a text's end") << 8 + 5 << 'x';
        QTest::newRow("body length over 1 GiB") << 208 + 4 << char(1);
        QTest::newRow("reserved byte") << 255 << char(1);
    }

    void headerRejects()
    {
        QFETCH(int, offset);
        QFETCH(char, value);
        QByteArray bytes = imageBytes(Target, 10);
        const auto header = fw::decodeImageHeader(devsim::bytes(bytes));
        QVERIFY(header);
        QCOMPARE(header->description, Target);
        QCOMPARE(header->bodyLength, quint64(10));
        bytes[offset] = value;
        QVERIFY(!fw::decodeImageHeader(devsim::bytes(bytes)));
    }

    // The header is judged as soon as it is whole, before any of the body.
    void receiverJudgesTheHeaderAtOnce_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("sizeChange");
        QTest::addColumn<quint32>("state");
        QTest::newRow("right") << 0 << QByteArray("P1") << 0 << quint32(fw::Running);
        QTest::newRow("platform") << 0 << QByteArray("P2") << 0 << quint32(fw::Failed);
        QTest::newRow("minor type") << 4 << QByteArray("4") << 0 << quint32(fw::Failed);
        QTest::newRow("language") << 5 << QByteArray("2") << 0 << quint32(fw::LanguageMismatch);
        QTest::newRow("size announced differs")
            << 0 << QByteArray("P1") << 1 << quint32(fw::Failed);
    }

    void receiverJudgesTheHeaderAtOnce()
    {
        QFETCH(int, field);
        QFETCH(QByteArray, text);
        QFETCH(int, sizeChange);
        QFETCH(quint32, state);
        fw::Description target = Target;
        target[std::size_t(field)] = text.toStdString();
        const QByteArray image = imageBytes(target, 100000);
        devsim::FirmwareReceiver receiver(Target, quint64(image.size() + sizeChange));
        // Pieces that cut the header anywhere.
        receiver.take(image.constData(), 100);
        QCOMPARE(receiver.state(), quint32(fw::Running));
        receiver.take(image.constData() + 100, 200);
        QCOMPARE(receiver.state(), state);
        receiver.take(image.constData() + 300, image.size() - 300);
        QCOMPARE(receiver.readyToWrite(), state == fw::Running && sizeChange == 0);
    }

    void uploadConnectionRefusals_data()
    {
        QTest::addColumn<QString>("attach");
        QTest::addColumn<quint32>("status");
        QTest::newRow("credentials and a live login") << "good" << quint32(proto::Ok);
        QTest::newRow("wrong password") << "wrong password" << quint32(proto::WrongPassword);
        QTest::newRow("no such login") << "no such login" << quint32(proto::NotLoggedIn);
        QTest::newRow("empty image") << "empty image" << quint32(proto::ParameterError);
        QTest::newRow("on the control connection") << "on control" << quint32(proto::Refused);
    }

    void uploadConnectionRefusals()
    {
        QFETCH(QString, attach);
        QFETCH(quint32, status);
        RawConnection control;
        QVERIFY(control.open(m_fleet->address(0)));
        const auto login = control.request(proto::Login, control.loginPayload());
        QVERIFY(login && login->first == proto::Ok);
        const quint32 session = proto::getU32(devsim::bytes(login->second));
        const QByteArray image = imageBytes(Target, 1000);

        RawConnection upload;
        QVERIFY(upload.open(m_fleet->address(0)));
        RawConnection &connection = attach == QLatin1String("on control") ? control : upload;
        const auto answer = connection.request(proto::UpgradeAttach,
            connection.attachPayload(
                attach == QLatin1String("no such login") ? session + 1000 : session,
                attach == QLatin1String("empty image") ? 0 : quint64(image.size()),
                attach == QLatin1String("wrong password") ? "60918" : "60917"));
        QVERIFY(answer);
        QCOMPARE(answer->first, status);
        if (status != proto::Ok) {
            return;
        }
        // Attached: only upload commands, and the image judged as it comes.
        QCOMPARE(upload.request(proto::GetConfig, QByteArray(8, '\0'))->first,
            quint32(proto::NotSupported));
        QCOMPARE(control.request(proto::UpgradeState, {})->first, quint32(proto::NotSupported));
        QCOMPARE(upload.request(proto::UpgradeData, {})->first, quint32(proto::ParameterError));
        const auto state = upload.request(proto::UpgradeData, image.left(256));
        QVERIFY(state && state->first == proto::Ok);
        const auto progress
            = fw::decodeState(devsim::bytes(state->second), std::size_t(state->second.size()));
        // Camera 0 of seed 0 is an IPC2030 in the first language: the test target.
        QVERIFY(progress && progress->state == fw::Running);
        QCOMPARE(progress->percent, quint32(256 * 100 / image.size()));
        RawConnection second;
        QVERIFY(second.open(m_fleet->address(0)));
        QCOMPARE(second.request(proto::UpgradeAttach, second.attachPayload(session, 1000))->first,
            quint32(proto::DeviceBusy));
        // Closing the login ends the upload attached to it, and frees the camera.
        control.close();
        const auto busy = [&] {
            bool upgrading = true;
            m_fleet->run([&] { upgrading = m_fleet->cameras().at(0)->isUpgrading(); });
            return upgrading;
        };
        QTRY_VERIFY(!busy());
        QVERIFY(!upload.request(proto::UpgradeState, {}));
    }

    // Every camera finds its image in the directory by the name its own
    // description gives, and takes it.
    void directoryImagesFitTheFleet()
    {
        const QString directory = m_dir.filePath(QStringLiteral("fleet"));
        QByteArray output;
        QCOMPARE(run({ "make-firmware-dir", directory, "--version", "V6.3.1", "--size", "70000" },
                     &output),
            0);
        const QStringList files = QDir(directory).entryList(QDir::Files);
        QCOMPARE(files.size(), 16); // eight models in two languages
        QStringList printed = QString::fromLatin1(output).split('\n', Qt::SkipEmptyParts);
        printed.sort();
        QCOMPARE(printed, files);
        for (int i = 0; i < Cameras; ++i) {
            const QString name = nameFromDevice(i);
            QVERIFY2(files.contains(name), qPrintable(name));
            QCOMPARE(upgrade(i, QDir(directory).filePath(name)), int(fw::Succeeded));
        }
        m_fleet->reboot(Cameras - 1);
        QTRY_VERIFY(m_fleet->isOnline(Cameras - 1));
        QCOMPARE(devsim::fieldU32(m_fleet->record(Cameras - 1, SOLV_GET_DEVICECFG),
                     SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET),
            (6u << 24) | (3u << 16) | 1u);
    }

    // An image for one model installs on a camera of that model only.
    void modelImageFitsItsModel()
    {
        const QString path = m_dir.filePath(QStringLiteral("one.img"));
        QCOMPARE(run({ "make-firmware", "--model", "IPC3240", "--version", "2.7", "--build-date",
                     "2027-05-06", path }),
            0);
        const QString serial2 = devsim::fieldText(m_fleet->record(2, SOLV_GET_DEVICECFG),
            SOLV_DEVICECFG_SERIAL_OFFSET, SOLV_DEVICECFG_SERIAL_LEN);
        QVERIFY2(serial2.contains(QLatin1String("IPC3240")), qPrintable(serial2));
        QCOMPARE(upgrade(1, path), int(fw::Failed));
        QCOMPARE(upgrade(2, path), int(fw::Succeeded));
        m_fleet->reboot(2);
        QTRY_VERIFY(m_fleet->isOnline(2));
        const QByteArray record = m_fleet->record(2, SOLV_GET_DEVICECFG);
        QCOMPARE(devsim::fieldU32(record, SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET), (2u << 16) | 7u);
        QCOMPARE(devsim::fieldU32(record, SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET),
            (27u << 16) | (5u << 8) | 6u);
    }

    void refusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown model")
            << QStringList { "make-firmware", "--model", "X1", "--version", "1.2", "out" } << "X1";
        QTest::newRow("no model") << QStringList { "make-firmware", "--version", "1.2", "out" }
                                  << "--model";
        QTest::newRow("bad version")
            << QStringList { "make-firmware-dir", "d", "--version", "1.2.3.4" } << "--version";
        QTest::newRow("size zero")
            << QStringList { "make-firmware-dir", "d", "--size", "0" } << "--size";
        QTest::newRow("no directory") << QStringList { "make-firmware-dir" } << "DIR";
        // The simulator itself, kept off the discovery port.
        const QStringList serve { "--discovery-port", "0", "--first-address", "127.0.6.220" };
        QTest::newRow("count zero") << serve + QStringList { "--count", "0" } << "--count";
        QTest::newRow("unknown fault") << serve + QStringList { "--fault", "0:melt" } << "melt";
    }

    void refusesBadOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QByteArray output;
        QCOMPARE(run(arguments, &output), 2);
        QVERIFY2(output.contains(message.toLatin1()), output.constData());
    }
};

QTEST_GUILESS_MAIN(DevsimFirmwareTest)
#include "tst_devsimfirmware.moc"
