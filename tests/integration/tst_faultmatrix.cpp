// Every fault the simulator injects, against each core that talks to a
// device: the run ends in the state the design gives, and the camera still
// answers a login afterwards with no session left behind.
#include "batchconfigmanager.h"
#include "channelconfig.h"
#include "devicestore.h"
#include "fakeservices.h"
#include "faults.h"
#include "focussampler.h"
#include "netconfig.h"
#include "networksetters.h"
#include "preconfig.h"
#include "ptzconfig.h"
#include "realplay.h"
#include "records.h"
#include "sdkruntime.h"
#include "searchengine.h"
#include "simfleet.h"
#include "singlechange.h"
#include "solvanecheck.h"
#include "upgrademanager.h"
#include "upgradestate.h"

// The batch and upgrade suites' own helpers.
#include "../batch/templetsource.h"
#include "../upgrade/fasttiming.h"
#include "../upgrade/upgradefleet.h"

#include <QMutex>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace batchtest;

namespace {

constexpr quint16 FleetPort = 18960;
constexpr unsigned ReceiveTimeoutMs = 1500;
constexpr int Camera = 0; // the camera under the fault
constexpr int Source = 1; // the templet's records come from this one
constexpr int Generous = 60000;
constexpr int StreamPictures = 12; // where a stream fault strikes

// One fault as the simulator's command line writes it; "" for none.
devsim::Fault faultOf(const QString &words)
{
    devsim::Fault fault;
    for (const QString &word : words.split(' ', Qt::SkipEmptyParts)) {
        QString error;
        if (!devsim::applyFaultWord(fault, word, &error)) {
            qFatal("%s", qPrintable(error));
        }
    }
    return fault;
}

QString command(const char *key, quint32 getCommand)
{
    return QStringLiteral("%1=%2").arg(QLatin1String(key)).arg(getCommand);
}

// What the search reported for the one address it probed.
struct SearchReports
{
    QMutex lock;
    QStringList codes;

    static void callback(DEVICEINFO *, int code, void *user)
    {
        auto *self = static_cast<SearchReports *>(user);
        QMutexLocker locker(&self->lock);
        self->codes << (code == CSearchEngine::DeviceFound ? QStringLiteral("found")
                : code == CSearchEngine::UserPasswordError ? QStringLiteral("rejected")
                                                           : QString::number(code));
    }
};

// The preview's pictures, counted on their way to the focus sampler.
struct FocusFeed
{
    FocusSampler sampler;
    std::atomic<int> pictures { 0 };

    static void callback(const uint8_t *picture, int width, int height, void *user)
    {
        auto *self = static_cast<FocusFeed *>(user);
        ++self->pictures;
        FocusSampler::frameCallback(picture, width, height, &self->sampler);
    }
};

// A configuration page with its message boxes kept instead of shown.
template<typename Page> class Quiet : public Page
{
public:
    QStringList boxes;

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};
using QuietNetconfig = Quiet<CNetconfig>;

quint32 hostOrder(const QString &address)
{
    quint32 network = 0;
    MIRT_InetPton(MIRT_AF_INET, address.toLatin1().constData(), &network);
    return MIRT_Ntohl(network);
}

} // namespace

class TestFaultMatrix : public QObject
{
    Q_OBJECT

    SdkRuntime m_sdk { ReceiveTimeoutMs };
    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    QByteArray address() const { return m_fleet->address(Camera).toLatin1(); }

    // The table every runner reads: the fault, the password the core is
    // given, and the end state the core must reach.
    static void columns()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("expected");
    }

    static void row(const QString &name, const QString &fault, const QString &expected,
        const QByteArray &password = "60917")
    {
        QTest::newRow(qPrintable(name)) << fault << password << expected;
    }

    // Dropped connections: the camera closes the connection when frame N + 1
    // arrives; byFrames[N] is the end state then, for N = 0 .. size - 1.
    static void dropRows(const QStringList &byFrames)
    {
        for (int frames = 0; frames < byFrames.size(); ++frames) {
            row(QStringLiteral("dropped after %1 frames").arg(frames),
                QStringLiteral("drop-after=%1").arg(frames), byFrames.at(frames));
        }
    }

    // After the row, with the fault gone, the camera has let every session
    // go and takes a new login.
    void verifyCameraAnswers()
    {
        m_fleet->clearFault(Camera);
        QTRY_COMPARE_WITH_TIMEOUT(m_fleet->sessionCount(Camera), 0, Generous);
        const int32_t id = solvcheck::login(m_fleet->address(Camera), FleetPort);
        QVERIFY2(id >= 0, "the camera no longer takes a login");
        QVERIFY(SOLV_Logout(id));
    }

    // A configuration page loaded on a login of its own and its save button
    // pressed if a user could press it: the page's log lines joined by '|',
    // or "no login". The camera's records start from the factory's.
    template<typename Page>
    QString pageLog(const QByteArray &password, const QList<quint32> &records,
        const char *saveButton, QStringList *boxes = nullptr)
    {
        for (quint32 get : records) {
            m_fleet->setRecord(Camera, get, m_fleet->factoryRecord(Camera, get));
        }
        FakeServices services;
        const int32_t id = solvcheck::login(m_fleet->address(Camera), FleetPort, password);
        if (id < 0) {
            return QStringLiteral("no login");
        }
        {
            Page page;
            page.LoadConfig(id);
            auto *button = page.template findChild<QPushButton *>(QLatin1String(saveButton));
            if (!button) {
                qFatal("no button %s", saveButton);
            }
            if (button->isEnabled()) {
                button->click();
            }
            if constexpr (requires { page.boxes; }) {
                *boxes = page.boxes;
            }
        }
        SOLV_Logout(id);
        return services.log.join(QLatin1Char('|'));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startFleet("127.0.96.1", FleetPort, 2, 1.0);
        QVERIFY(m_fleet);
    }

    void cleanupTestCase() { m_fleet.reset(); }

    void init()
    {
        if (QTest::currentTestFunction() == QLatin1String("upgrade")) {
            return; // each row starts a camera of its own
        }
        QFETCH(QString, fault);
        m_fleet->setFault(Camera, faultOf(fault));
    }

    void cleanup() { clearFaults(*m_fleet); }

    // The IP-range search: a camera is reported found only with its device
    // and network records read; a refused password is reported as such; any
    // other failure leaves the address unreported. Either way the search
    // reaches its end.
    void search_data()
    {
        columns();
        row("no fault", "", "found");
        row("wrong password", "", "rejected", "wrong");
        row("device record not supported", command("unsupported", SOLV_GET_DEVICECFG), "");
        row("network record not supported", command("unsupported", SOLV_GET_NETCFG), "");
        row("refused set", command("refuse-set", SOLV_GET_DEVICECFG), "found");
        row("short delay", "delay=200", "found");
        row("delay past the time-out", "delay=4000", "");
        row("too many sessions", "max-sessions=0", "");
        // Login, device record, network record; a lost logout changes nothing.
        dropRows({ "", "", "", "found", "found" });
    }

    void search()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        SearchReports reports;
        CSearchEngine engine;
        const quint32 host = hostOrder(m_fleet->address(Camera));
        QVERIFY(engine.Start(host, host, FleetPort, "admin", password.constData(),
            &SearchReports::callback, &reports));
        QTRY_COMPARE_WITH_TIMEOUT(engine.Progress(), 100u, Generous);
        QVERIFY(engine.Stop());
        QCOMPARE(reports.codes.join(' '), expected);
        verifyCameraAnswers();
    }

    // The name setter on a device the search found: true only when the
    // device took the new record, which then holds the name.
    void setter_data()
    {
        columns();
        row("no fault", "", "set");
        row("wrong password", "", "failed", "wrong");
        row("not supported", command("unsupported", SOLV_GET_DEVICECFG), "failed");
        row("refused set", command("refuse-set", SOLV_GET_DEVICECFG), "failed");
        row("short delay", "delay=200", "set");
        row("delay past the time-out", "delay=4000", "failed");
        row("too many sessions", "max-sessions=0", "failed");
        // Login, get, set; a lost logout changes nothing.
        dropRows({ "failed", "failed", "failed", "set", "set" });
    }

    void setter()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        CDeviceStore store;
        DEVICEINFO record = listedCamera(*m_fleet, Camera, 1, password.constData());
        bool changed = false;
        const int slot = store.AddOrUpdate(record, &changed);
        m_fleet->setRecord(
            Camera, SOLV_GET_DEVICECFG, m_fleet->factoryRecord(Camera, SOLV_GET_DEVICECFG));
        DeviceCfg before;
        before.bytes() = m_fleet->record(Camera, SOLV_GET_DEVICECFG);
        const QByteArray name = "Fault " + QByteArray(QTest::currentDataTag()).left(20);
        QStringList log;
        const DeviceContext context { &store, { "admin", "60917" },
            [&log](const QString &line) { log << line; } };
        const bool ok = SetDeviceName(context, slot, name);
        QCOMPARE(ok ? QStringLiteral("set") : QStringLiteral("failed"), expected);
        DeviceCfg after;
        after.bytes() = m_fleet->record(Camera, SOLV_GET_DEVICECFG);
        QCOMPARE(after.bytes() != before.bytes(), ok);
        if (ok) {
            QCOMPARE(after.name(), name);
        }
        verifyCameraAnswers();
    }

    // The single-device change on a searched device: its address setter
    // (the network record, here to the address it already has) and its name
    // setter each log in on their own and each is tried whatever the other
    // did. The row gives "address name", 1 for taken.
    void singleChange_data()
    {
        columns();
        row("no fault", "", "1 1");
        row("wrong password", "", "0 0", "wrong");
        row("network record not supported", command("unsupported", SOLV_GET_NETCFG), "0 1");
        row("device record not supported", command("unsupported", SOLV_GET_DEVICECFG), "1 0");
        row("network set refused", command("refuse-set", SOLV_GET_NETCFG), "0 1");
        row("device set refused", command("refuse-set", SOLV_GET_DEVICECFG), "1 0");
        row("short delay", "delay=50", "1 1");
        row("delay past the time-out", "delay=4000", "0 0");
        row("too many sessions", "max-sessions=0", "0 0");
        // Each setter's own connection: login, get, set.
        dropRows({ "0 0", "0 0", "0 0", "1 1", "1 1" });
    }

    void singleChange()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        m_fleet->setRecord(
            Camera, SOLV_GET_DEVICECFG, m_fleet->factoryRecord(Camera, SOLV_GET_DEVICECFG));
        CDeviceStore store;
        bool changed = false;
        const int slot
            = store.AddOrUpdate(listedCamera(*m_fleet, Camera, 1, password.constData()), &changed);
        NetCfg net;
        net.bytes() = m_fleet->record(Camera, SOLV_GET_NETCFG);
        NetworkMend::SingleChange change;
        change.ip = m_fleet->address(Camera);
        change.mask = QString::fromLatin1(net.subnetMask());
        change.name = QStringLiteral("Single %1").arg(QTest::currentDataTag()).left(32);
        QStringList log;
        const DeviceContext context { &store, { "admin", "60917" },
            [&log](const QString &line) { log << line; } };
        const NetworkMend::SingleChangeResult result
            = NetworkMend::ApplySingleChange(context, slot, change);
        QCOMPARE(int(result.status), int(NetworkMend::SingleChangeResult::Applied));
        QCOMPARE(QStringLiteral("%1 %2").arg(int(result.addressSet)).arg(int(*result.nameSet)),
            expected);
        QCOMPARE(log.size(), 2); // one line for each setter
        DeviceCfg device;
        device.bytes() = m_fleet->record(Camera, SOLV_GET_DEVICECFG);
        QCOMPARE(device.name() == change.name.toLocal8Bit(), *result.nameSet);
        QTRY_COMPARE_WITH_TIMEOUT(
            m_fleet->currentAddress(Camera), m_fleet->address(Camera), Generous);
        verifyCameraAnswers();
    }

    // Batch configuration with an NTP-only templet: a failed login is a
    // failed task with nothing tried; a section the device will not read or
    // write is a complete task with that section failed.
    void batch_data()
    {
        columns();
        const QString failed = QStringLiteral("%1 0 0").arg(TaskFailedToSet);
        const QString applied = QStringLiteral("%1 %2 0").arg(TaskSetComplete).arg(NtpSection);
        const QString sectionFailed
            = QStringLiteral("%1 0 %2").arg(TaskSetComplete).arg(NtpSection);
        row("no fault", "", applied);
        row("wrong password", "", failed, "wrong");
        row("not supported", command("unsupported", NtpCfg::getCommand), sectionFailed);
        row("refused set", command("refuse-set", NtpCfg::getCommand), sectionFailed);
        row("short delay", "delay=200", applied);
        row("delay past the time-out", "delay=4000", failed);
        row("too many sessions", "max-sessions=0", failed);
        // Login, NTP get, NTP set: a connection lost after the login fails
        // the section only.
        dropRows({ failed, sectionFailed, sectionFailed, applied, applied });
    }

    void batch()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        m_fleet->setRecord(
            Camera, NtpCfg::getCommand, m_fleet->factoryRecord(Camera, NtpCfg::getCommand));
        const QByteArray before = m_fleet->record(Camera, NtpCfg::getCommand);
        const QString templet = m_dir.filePath(QStringLiteral("ntp.xml"));
        QVERIFY(writeTemplet(templet, cameraRecords(*m_fleet, Source), NtpSection));
        CBatchConfigManager manager({});
        manager.AddTask(address().constData(), FleetPort, "admin", password.constData());
        QVERIFY(manager.Start(templet, false));
        manager.WaitForEnd();
        QCOMPARE(QStringLiteral("%1 %2 %3")
                     .arg(manager.State(0))
                     .arg(manager.AppliedSections(0))
                     .arg(manager.FailedSections(0)),
            expected);
        QCOMPARE(manager.Progress(), 100u);
        const QByteArray after = m_fleet->record(Camera, NtpCfg::getCommand);
        QCOMPARE(after != before, manager.AppliedSections(0) == qint32(NtpSection));
        verifyCameraAnswers();
    }

    // The network page's load and save, the NTP section under the fault: a
    // record the device will not read disables its section and is never
    // written; each write ends in its own log line; a page without a login
    // stays disabled. The login is the configuration frame's, made here.
    void config_data()
    {
        columns();
        const QString saved = QStringLiteral("Succeed to set NTP parameters!");
        const QString notRead = QStringLiteral("Failed to get NTP parameters!");
        const QString notSaved = QStringLiteral("Failed to set NTP parameters!");
        row("no fault", "", saved);
        row("wrong password", "", "no login", "wrong");
        row("not supported", command("unsupported", NtpCfg::getCommand), notRead);
        row("refused set", command("refuse-set", NtpCfg::getCommand), notSaved);
        row("short delay", "delay=50", saved);
        row("delay past the time-out", "delay=4000", "no login");
        row("too many sessions", "max-sessions=0", "no login");
        // Login, then the gets of DDNS, NTP, NFS and Email, then the sets in
        // the same order: once the connection has gone every later call fails.
        dropRows(
            { "no login", notRead, notRead, notSaved, notSaved, notSaved, notSaved, saved, saved });
    }

    void config()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        m_fleet->setRecord(
            Camera, NtpCfg::getCommand, m_fleet->factoryRecord(Camera, NtpCfg::getCommand));
        FakeServices services;
        const int32_t id = solvcheck::login(m_fleet->address(Camera), FleetPort, password);
        QCOMPARE(id >= 0, expected != QLatin1String("no login"));
        {
            QuietNetconfig page;
            page.LoadConfig(id);
            QCOMPARE(page.isEnabled(), id >= 0);
            page.SaveDevNetCfg();
            QVERIFY(page.boxes.isEmpty());
        }
        if (id >= 0) {
            SOLV_Logout(id);
        }
        QStringList ntpLines;
        for (const QString &line : std::as_const(services.log)) {
            if (line.contains(QLatin1String("NTP"))) {
                ntpLines << line;
            }
        }
        QCOMPARE(ntpLines.join('\n'), id >= 0 ? expected : QString());
        verifyCameraAnswers();
    }

    // The camera page: front-end record and camera ability read, the record
    // written back. A record it cannot read disables the page; without the
    // ability there are no exposure bounds and the save goes ahead.
    void cameraPage_data()
    {
        columns();
        const QString saved = QStringLiteral("Succeed to save camera parameters!");
        const QString notRead = QStringLiteral("Failed to get camera parameters!");
        const QString notSaved = QStringLiteral("Failed to save camera parameters!");
        row("no fault", "", saved);
        row("wrong password", "", "no login", "wrong");
        row("not supported", command("unsupported", FrontCfg::getCommand), notRead);
        row("ability not supported", "unsupported-ability=5", saved);
        row("refused set", command("refuse-set", FrontCfg::getCommand), notSaved);
        row("short delay", "delay=50", saved);
        row("delay past the time-out", "delay=4000", "no login");
        row("too many sessions", "max-sessions=0", "no login");
        // Login, record, ability, set, logout.
        dropRows({ "no login", notRead, notSaved, notSaved, saved, saved });
    }

    void cameraPage()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        QStringList boxes;
        const QString log
            = pageLog<Quiet<CPreConfig>>(password, { FrontCfg::getCommand }, "SaveButton", &boxes);
        QCOMPARE(log, expected);
        QCOMPARE(boxes, QStringList());
        verifyCameraAnswers();
    }

    // The channel page: picture, compression and record records, each read
    // and written on its own. One it could not read is shown as zeros and
    // not written; once the connection has gone every later call fails.
    void channelPage_data()
    {
        columns();
        const QStringList notRead { QStringLiteral("Failed to get picture information!"),
            QStringLiteral("Failed to get compression information!"),
            QStringLiteral("Failed to get record information!") };
        const QStringList notSaved { QStringLiteral("Failed to set video parameters!"),
            QStringLiteral("Failed to set compressing parameters!"),
            QStringLiteral("Failed to set recording parameters!") };
        const QStringList saved { QStringLiteral("Succeed to set video parameters!"),
            QStringLiteral("Succeed to set compressing parameters!"),
            QStringLiteral("Succeed to set recording parameters!") };
        // Lines for `read` records read and `written` of them written.
        const auto lines = [&](int read, int written) {
            QStringList log = notRead.mid(read);
            for (int i = 0; i < read; ++i) {
                log << (i < written ? saved : notSaved).at(i);
            }
            return log.join(QLatin1Char('|'));
        };
        row("no fault", "", lines(3, 3));
        row("wrong password", "", "no login", "wrong");
        row("picture not supported", command("unsupported", PicCfg::getCommand),
            QStringList { notRead[0], saved[1], saved[2] }.join(QLatin1Char('|')));
        row("picture set refused", command("refuse-set", PicCfg::getCommand),
            QStringList { notSaved[0], saved[1], saved[2] }.join(QLatin1Char('|')));
        row("short delay", "delay=50", lines(3, 3));
        row("delay past the time-out", "delay=4000", "no login");
        row("too many sessions", "max-sessions=0", "no login");
        // Login, three gets, three sets, logout.
        dropRows({ "no login", lines(0, 0), lines(1, 0), lines(2, 0), lines(3, 0), lines(3, 1),
            lines(3, 2), lines(3, 3), lines(3, 3) });
    }

    void channelPage()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        QStringList boxes;
        const QString log = pageLog<Quiet<CChannelconfig>>(password,
            { PicCfg::getCommand, CompressCfg::getCommand, RecordCfg::getCommand }, "SaveButton",
            &boxes);
        QCOMPARE(log, expected);
        QCOMPARE(boxes, QStringList());
        verifyCameraAnswers();
    }

    // The PTZ page: decoder record and protocol list read, the record
    // written back. An unreadable record disables the page; without the
    // list the decoder type read is written back unchanged.
    void ptzPage_data()
    {
        columns();
        const QString saved = QStringLiteral("Succeed to save PTZ parameters!");
        const QString notRead = QStringLiteral("Failed to get PTZ parameters!");
        const QString notSaved = QStringLiteral("Failed to save PTZ parameters!");
        const QString noList = notRead + QLatin1Char('|');
        row("no fault", "", saved);
        row("wrong password", "", "no login", "wrong");
        row("record not supported", command("unsupported", DecoderCfg::getCommand), notRead);
        row("protocol list not supported", "ptz-unsupported", noList + saved);
        row("refused set", command("refuse-set", DecoderCfg::getCommand), notSaved);
        row("short delay", "delay=50", saved);
        row("delay past the time-out", "delay=4000", "no login");
        row("too many sessions", "max-sessions=0", "no login");
        // Login, record, protocol list, set, logout.
        dropRows({ "no login", notRead, noList + notSaved, notSaved, saved, saved });
    }

    void ptzPage()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        const QByteArray before = m_fleet->factoryRecord(Camera, DecoderCfg::getCommand);
        const QString log = pageLog<CPTZconfig>(password, { DecoderCfg::getCommand }, "SavepushButton");
        QCOMPARE(log, expected);
        // The page writes back what it read: the record never changes.
        QCOMPARE(m_fleet->record(Camera, DecoderCfg::getCommand), before);
        verifyCameraAnswers();
    }

    // The live preview with the focus sampler on its pictures. A refused or
    // unanswered login is a failed start with the address in the log; a
    // stream that stalls or closes leaves the preview running with the last
    // focus value until it is stopped, and the stop releases everything.
    void stream_data()
    {
        columns();
        row("no fault", "", "plays");
        row("wrong password", "", "no login", "wrong");
        row("short delay", "delay=50", "plays");
        row("delay past the time-out", "delay=4000", "no login");
        row("too many sessions", "max-sessions=0", "no login");
        row("stream stalls", QStringLiteral("stream-stall=%1").arg(StreamPictures), "stops");
        row("stream closes", QStringLiteral("stream-drop=%1").arg(StreamPictures), "stops");
        // The login, then the stream request on a connection of its own.
        dropRows({ "no login", "plays", "plays" });
    }

    void stream()
    {
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        QStringList log;
        FocusFeed feed;
        feed.sampler.start(25); // a measure every fifth picture
        {
            CRealPlay preview([&log](const QString &line) { log << line; });
            preview.SetFrameCallback(&FocusFeed::callback, &feed);
            const bool started = preview.StartRealPlay(
                address().constData(), FleetPort, "admin", password.constData(), 1, 0);
            QCOMPARE(started, expected != QLatin1String("no login"));
            if (!started) {
                QCOMPARE(log, QStringList { "Login to " + m_fleet->address(Camera) + " failed!" });
                QVERIFY(!preview.isRunning());
                QCOMPARE(feed.pictures.load(), 0);
            } else {
                // Enough pictures for two measures, and past the fault's last
                // one when the stream keeps going.
                const int wanted
                    = expected == QLatin1String("plays") ? 2 * StreamPictures : StreamPictures - 2;
                QTRY_VERIFY_WITH_TIMEOUT(feed.pictures >= wanted, Generous);
                QVERIFY(preview.isRunning());
                QVERIFY(feed.sampler.highest() > 0);
                QVERIFY(feed.sampler.current() > 0);
                preview.StopRealPlay();
                QVERIFY(!preview.isRunning());
                if (expected == QLatin1String("stops")) {
                    QVERIFY(feed.pictures <= StreamPictures);
                }
            }
        }
        verifyCameraAnswers();
    }

    // Upgrade of one camera, of its own for each row (a camera that never
    // comes back is gone for the rest of the suite otherwise), rebooting
    // after the upload; "restore" rows also wait for it and restore its
    // defaults. Reboots take a fifth of a second and the batch's pauses are
    // twenty times shorter.
    void upgrade_data()
    {
        columns();
        const auto state = [](UpgradeState s) { return QString::number(int(s)); };
        row("no fault", "", state(UpgradeSucceeded));
        row("restore", "", state(UpgradeRestored) + " restore");
        row("wrong password", "", state(UpgradeLoginFailed), "wrong");
        row("description not supported", "unsupported-ability=6",
            state(UpgradeNoDirectorySupport) + " directory");
        row("short delay", "delay=20000", state(UpgradeSucceeded)); // 200 ms at the scale
        row("delay past the time-out", "delay=300000", state(UpgradeLoginFailed));
        row("too many sessions", "max-sessions=0", state(UpgradeLoginFailed));
        row("never comes back", "never-return", state(UpgradeReconnectFailed) + " restore");
        row("write fails", "upgrade-fail", state(UpgradeFailed));
        row("upload dropped", "upgrade-drop=50", state(UpgradeUnknown));
        row("upload stalls", "upgrade-stall=50", state(UpgradeUnknown));
        // The login connection carries the progress polls for as long as the
        // upload lasts, so a drop after the login always cuts the upgrade.
        dropRows({ state(UpgradeLoginFailed), state(UpgradeUnknown), state(UpgradeUnknown),
            state(UpgradeUnknown), state(UpgradeUnknown) });
    }

    void upgrade()
    {
        QFETCH(QString, fault);
        QFETCH(QByteArray, password);
        QFETCH(QString, expected);
        const QStringList words = expected.split(' ');
        const bool restore = words.contains(QLatin1String("restore"));
        const bool directory = words.contains(QLatin1String("directory"));
        auto fleet = UpgradeFleet::start(QStringLiteral("127.0.97.1"), FleetPort + 10, 1,
            [&](devsim::FleetOptions &options) { options.faults[0] = faultOf(fault); });
        QVERIFY(fleet);
        const QString image = directory
            ? UpgradeFleet::writeDirectory(m_dir, QStringLiteral("images"))
            : UpgradeFleet::writeImage(
                m_dir, QStringLiteral("image.dav"), UpgradeFleet::descriptionOf(*fleet, 0));
        QVERIFY(!image.isEmpty());
        CUpgradeManager manager(DeviceContext {}, std::make_shared<FastTiming>(20));
        manager.AddTask(fleet->address(0).toLatin1(), FleetPort + 10, "admin", password);
        QVERIFY(manager.SetFirmware(
            image.toLocal8Bit().constData(), directory ? FirmwareDirectory : FirmwareFile));
        manager.SetFlags(true, restore);
        QVERIFY(manager.Start());
        QTRY_COMPARE_WITH_TIMEOUT(manager.TotalProgress(), 100, Generous);
        QVERIFY(manager.Stop());
        QCOMPARE(QString::number(manager.TaskState(0)), words.first());
        // A camera that stayed away is brought back by hand; any other
        // answers once its reboot is over.
        fleet->clearFault(0);
        fleet->run([&] {
            if (!fleet->cameras().at(0)->isOnline()) {
                fleet->cameras().at(0)->listen();
            }
        });
        const bool upgraded = UpgradeStateSucceeded(manager.TaskState(0), restore);
        if (upgraded) {
            QTRY_COMPARE_WITH_TIMEOUT(
                UpgradeFleet::reportedVersion(*fleet, 0), UpgradeFleet::newVersion(), Generous);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(UpgradeFleet::reportedVersion(*fleet, 0) != 0, Generous);
            QVERIFY(UpgradeFleet::reportedVersion(*fleet, 0) != UpgradeFleet::newVersion());
        }
        QTRY_COMPARE_WITH_TIMEOUT(fleet->sessionCount(0), 0, Generous);
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
