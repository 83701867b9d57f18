// Firmware upgrades through the device SDK against simulated cameras: the
// image checks, the new version after a reboot, and every way an upload can
// end early leaving the old firmware running.

#include "firmware.h"
#include "fleet.h"
#include "recordbytes.h"
#include "solvanecheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace solvcheck;
namespace fw = solvane::firmware;

static constexpr quint16 Port = 18880;
enum Cam { First, Second, Third, Checked, Faulty, Count };
static constexpr quint32 NewVersion = (7u << 24) | (2u << 16) | 9u;
static constexpr quint32 NewDate = (27u << 16) | (3u << 8) | 14u;
// What a camera is upgraded to after a failed upgrade, to prove it still can be.
static constexpr quint32 RecoveryVersion = (1u << 24) | 1u;

class SolvaneUpgradeTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    int32_t login(int index) { return solvcheck::login(m_fleet->address(index), Port); }

    // The target a camera names in its device ability text, read as the program reads it.
    fw::Description target(int index)
    {
        const int32_t id = login(index);
        QByteArray text(8192, '\0');
        const bool ok
            = SOLV_GetDeviceAbility(id, SOLV_ABILITY_DEVICE, nullptr, 0, text.data(), 8192);
        SOLV_Logout(id);
        text.truncate(int(qstrlen(text.constData())));
        return ok ? devsim::descriptionOf(text).value_or(fw::Description {}) : fw::Description {};
    }

    QString image(const QString &name, const fw::Description &target, quint64 size = 256 * 1024,
        quint32 softwareVersion = NewVersion)
    {
        const QString path = m_dir.filePath(name);
        QString error;
        if (!devsim::writeFirmwareImage(path, { target, softwareVersion, NewDate, size }, &error)) {
            qWarning("%s", qPrintable(error));
            return {};
        }
        return path;
    }

    quint32 version(int index)
    {
        return devsim::fieldU32(
            m_fleet->record(index, SOLV_GET_DEVICECFG), SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET);
    }

    bool upgrading(int index)
    {
        bool busy = true;
        m_fleet->run([&] { busy = m_fleet->cameras().at(index)->isUpgrading(); });
        return busy;
    }

    void reboot(int index)
    {
        m_fleet->reboot(index);
        QTRY_VERIFY(m_fleet->isOnline(index));
    }

    // A camera that kept its old firmware and stays usable: after a restart
    // it still runs the old version, takes a login and a good image.
    void checkUsable(int index, quint32 oldVersion)
    {
        QVERIFY(oldVersion != NewVersion);
        reboot(index);
        QCOMPARE(version(index), oldVersion);
        m_fleet->clearFault(index);
        const int32_t id = login(index);
        QVERIFY(id >= 0);
        const int32_t handle = SOLV_Upgrade(
            id, qPrintable(image("usable", target(index), 64 * 1024, RecoveryVersion)));
        QVERIFY(handle >= 0);
        QTRY_COMPARE(SOLV_GetUpgradeState(handle), int(fw::Succeeded));
        QVERIFY(SOLV_CloseUpgradeHandle(handle));
        QVERIFY(SOLV_Logout(id));
        reboot(index);
        QCOMPARE(version(index), RecoveryVersion);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        SOLV_Init();
        m_fleet = std::make_unique<devsim::Fleet>(devsim::FleetOptions { .count = Count,
            .firstAddress = QStringLiteral("127.0.80.1"),
            .port = Port,
            .seed = 3,
            .timeScale = 0.01, // a 20 s reboot takes 200 ms
            .discoveryPort = 0 });
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase() { SOLV_Cleanup(); }

    void init() { SOLV_SetRecvTimeOut(5000); }

    // Three cameras of different models at once: each reports running, then
    // success at 100 percent, and its new version only once it has restarted.
    void goodImageInstallsAfterReboot()
    {
        const QList<int> cameras { First, Second, Third };
        QList<int32_t> ids;
        QList<int32_t> handles;
        QList<quint32> before;
        for (const int camera : cameras) {
            const fw::Description description = target(camera);
            QVERIFY(!description[0].empty());
            ids.append(login(camera));
            QVERIFY(ids.last() >= 0);
            before.append(version(camera));
            handles.append(SOLV_Upgrade(ids.last(),
                qPrintable(image(devsim::firmwareFileName(description), description, 4 << 20))));
            QVERIFY(handles.last() >= 0);
        }
        QList<QList<int>> states(cameras.size());
        QList<int> percents(cameras.size(), 0);
        const auto allDone = [&] {
            bool done = true;
            for (int i = 0; i < handles.size(); ++i) {
                const int state = SOLV_GetUpgradeState(handles[i]);
                const int percent = SOLV_GetUpgradeProgress(handles[i]);
                if (states[i].isEmpty() || states[i].last() != state) {
                    states[i].append(state);
                }
                if (percent < percents[i]) {
                    states[i].append(-1); // progress went back
                }
                percents[i] = percent;
                done = done && state != fw::Running;
            }
            return done;
        };
        QTRY_VERIFY(allDone());
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(states[i], QList<int>({ fw::Running, fw::Succeeded }));
            QCOMPARE(SOLV_GetUpgradeProgress(handles[i]), 100);
            QVERIFY(SOLV_CloseUpgradeHandle(handles[i]));
            QCOMPARE(version(cameras[i]), before[i]); // still the old firmware running
            QVERIFY(SOLV_RebootDVR(ids[i]));
            QVERIFY(SOLV_Logout(ids[i]));
        }
        for (const int camera : cameras) {
            QTRY_VERIFY(m_fleet->isOnline(camera));
            const int32_t id = login(camera);
            const QByteArray record = get(id, SOLV_GET_DEVICECFG);
            QCOMPARE(devsim::fieldU32(record, SOLV_DEVICECFG_SOFTWARE_VERSION_OFFSET), NewVersion);
            QCOMPARE(devsim::fieldU32(record, SOLV_DEVICECFG_SOFTWARE_BUILD_DATE_OFFSET), NewDate);
            QString announced;
            m_fleet->run([&] { announced = m_fleet->cameras().at(camera)->softwareVersionText(); });
            QCOMPARE(announced, QStringLiteral("V7.2.9 build270314"));
            // Default settings do not take the firmware back.
            QVERIFY(SOLV_RestoreConfig(id));
            QCOMPARE(version(camera), NewVersion);
            QVERIFY(SOLV_Logout(id));
        }
        QVERIFY(SOLV_CloseUpgradeHandle(handles[0]) == 0);
        QCOMPARE(SOLV_GetLastError(), uint32_t(SOLV_PARAMETER_ERROR));
    }

    // Through the SDK a wrong language is told from a broken body; the
    // receiver's other checks are tried in tst_devsimfirmware.
    void wrongImagesKeepTheOldFirmware_data()
    {
        QTest::addColumn<QByteArray>("language"); // empty: one byte of the body changes
        QTest::addColumn<int>("state");
        QTest::newRow("language") << QByteArray("7") << int(fw::LanguageMismatch);
        QTest::newRow("body byte") << QByteArray() << int(fw::Failed);
    }

    void wrongImagesKeepTheOldFirmware()
    {
        QFETCH(QByteArray, language);
        QFETCH(int, state);
        fw::Description description = target(Checked);
        const int32_t id = login(Checked);
        QVERIFY(id >= 0);
        if (!language.isEmpty()) {
            description[fw::LanguageIndex] = language.toStdString();
        }
        const QString path = image("wrong", description);
        QFile file(path);
        if (language.isEmpty()) {
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() - 1000));
            QVERIFY(file.putChar(char(~file.peek(1).at(0))) && file.flush());
        }
        const quint32 before = version(Checked);
        const int32_t handle = SOLV_Upgrade(id, qPrintable(path));
        QVERIFY(handle >= 0);
        QTRY_COMPARE(SOLV_GetUpgradeState(handle), state);
        QVERIFY(SOLV_CloseUpgradeHandle(handle));
        QVERIFY(SOLV_Logout(id));
        checkUsable(Checked, before);
    }

    void upgradeNeedsAValidLogin_data()
    {
        QTest::addColumn<uint32_t>("error");
        QTest::newRow("logged out") << uint32_t(SOLV_NOT_LOGGED_IN);
        // The device forgot the login when it restarted; the client cannot tell yet.
        QTest::newRow("device restarted") << uint32_t(SOLV_NOT_LOGGED_IN);
        QTest::newRow("null path") << uint32_t(SOLV_PARAMETER_ERROR);
        QTest::newRow("missing file") << uint32_t(SOLV_FILE_ERROR);
        QTest::newRow("empty file") << uint32_t(SOLV_FILE_ERROR);
    }

    void upgradeNeedsAValidLogin()
    {
        QFETCH(uint32_t, error);
        const QString row = QString::fromLatin1(QTest::currentDataTag());
        QFile(m_dir.filePath("empty file")).open(QIODevice::WriteOnly);
        const QString file
            = row.endsWith("file") ? m_dir.filePath(row) : image("good", target(Checked));
        const int32_t id = login(Checked);
        QVERIFY(id >= 0);
        if (row == QLatin1String("logged out")) {
            QVERIFY(SOLV_Logout(id));
        } else if (row == QLatin1String("device restarted")) {
            reboot(Checked);
        }
        const QByteArray path = file.toLocal8Bit();
        const int32_t handle
            = SOLV_Upgrade(id, row == QLatin1String("null path") ? nullptr : path.constData());
        QCOMPARE(failure(handle >= 0), error);
        QCOMPARE(handle, -1);
        QTRY_VERIFY(!upgrading(Checked));
        SOLV_Logout(id);
        for (const int32_t bad : { -1, 256, 0 }) {
            QCOMPARE(SOLV_GetUpgradeState(bad), -1);
            QCOMPARE(SOLV_GetUpgradeProgress(bad), -1);
        }
    }

    // Every early end: the device throws the partial image away, keeps its
    // old firmware and takes the next upgrade.
    void earlyEndsCancel_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("state"); // -1: the handle is closed first
        const auto row = [](const char *name, const char *fault, const char *end, int state) {
            QTest::newRow(name) << QString(fault) << QString(end) << state;
        };
        row("handle closed", "upgrade-stall=40", "close", -1);
        row("connection dropped", "upgrade-drop=40", "wait", fw::Unknown);
        row("device stalls", "upgrade-stall=40", "time-out", fw::Unknown);
        row("logout", "upgrade-stall=40", "logout", fw::Unknown);
        row("reboot", "upgrade-stall=40", "reboot", fw::Unknown);
        row("write fails", "upgrade-fail", "wait", fw::Failed);
    }

    void earlyEndsCancel()
    {
        QFETCH(QString, fault);
        QFETCH(QString, end);
        QFETCH(int, state);
        devsim::Fault rule;
        QVERIFY(devsim::applyFaultWord(rule, fault, nullptr));
        m_fleet->setFault(Faulty, rule);
        if (end == QLatin1String("time-out")) {
            SOLV_SetRecvTimeOut(300);
        }
        const quint32 before = version(Faulty);
        const int32_t id = login(Faulty);
        QVERIFY(id >= 0);
        const QString path = image("early", target(Faulty), 4 << 20);
        const int32_t handle = SOLV_Upgrade(id, qPrintable(path));
        QVERIFY(handle >= 0);
        if (end != QLatin1String("wait") && end != QLatin1String("time-out")) {
            QTRY_VERIFY(SOLV_GetUpgradeProgress(handle) >= 40);
        }
        if (end == QLatin1String("close")) {
            QCOMPARE(SOLV_GetUpgradeState(handle), int(fw::Running));
            QVERIFY(SOLV_CloseUpgradeHandle(handle));
        } else if (end == QLatin1String("logout")) {
            QVERIFY(SOLV_Logout(id));
        } else if (end == QLatin1String("reboot")) {
            QVERIFY(SOLV_RebootDVR(id));
        }
        if (state >= 0) {
            QTRY_COMPARE(SOLV_GetUpgradeState(handle), state);
            QVERIFY(SOLV_CloseUpgradeHandle(handle));
        }
        QTRY_VERIFY(!upgrading(Faulty));
        SOLV_Logout(id);
        checkUsable(Faulty, before);
    }
};

QTEST_GUILESS_MAIN(SolvaneUpgradeTest)
#include "tst_solvaneupgrade.moc"
