#include "configframe.h"
#include "fakeservices.h"
#include "fleet.h"
#include "preconfig.h"
#include "templetfile.h"
#include "testdevice.h"

#include "mirt.h"
#include "solvane.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint16 FleetPort = 18750;

// Records its boxes and answers its questions and the file dialog as told.
class TestFrame : public CConfigFrame
{
public:
    QStringList boxes; // "title|text"
    QStringList questions;
    QList<bool> answers; // one per question, in order; none left: "no"
    QString fileName; // empty: the dialog is cancelled

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
    bool askWarning(const QString &text, const QString &yes, const QString &no) override
    {
        questions << text + QLatin1Char('|') + yes + QLatin1Char('|') + no;
        return !answers.isEmpty() && answers.takeFirst();
    }
    QString askTempletFileName() override { return fileName; }
};

} // namespace

class TestConfigFrame : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    FakeServices m_services;

    // Camera `camera` as the IP-range search lists it: with its own credentials.
    DEVICEINFO searched(int camera, const char *password = "60917") const
    {
        DEVICEINFO record = testDevice("", m_fleet->address(camera).toLatin1().constData());
        record.wPort = FleetPort;
        record.dwSource = 1;
        FixedText::write(record.szUserName, "admin");
        FixedText::write(record.szPassword, password);
        return record;
    }

    void tickCameraSection(TestFrame &frame)
    {
        frame.preConfig()->findChild<QCheckBox *>(QStringLiteral("PrecheckBox"))->setChecked(true);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(MIRT_Init() == 0);
        SOLV_Init();
        devsim::FleetOptions options;
        options.count = 3;
        options.firstAddress = QStringLiteral("127.0.75.1");
        options.port = FleetPort;
        options.discoveryPort = 0;
        options.timeScale = 0.05;
        m_fleet = std::make_unique<devsim::Fleet>(options);
        QString error;
        QVERIFY2(m_fleet->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_fleet.reset();
        SOLV_Cleanup();
        MIRT_Fini();
    }

    void init()
    {
        m_services.log.clear();
        setTervixServices(&m_services);
    }

    void sameDeviceAgainLogsOutAndInAgain()
    {
        TestFrame frame;
        frame.SetDevice(4, searched(0));
        const qint32 first = frame.userId();
        QVERIFY(first >= 0);
        QTRY_COMPARE(m_fleet->sessionCount(0), 1);
        frame.SetDevice(4, searched(0));
        QVERIFY(frame.userId() >= 0);
        QVERIFY(frame.userId() != first);
        QTRY_COMPARE(m_fleet->sessionCount(0), 1);
        QVERIFY(frame.IsSameDevice(searched(0).szSerialNo));
        QVERIFY(m_services.log.isEmpty());
    }

    void announcedDeviceUsesTheDefaultCredentials_data()
    {
        QTest::addColumn<QByteArray>("defaultPassword");
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("right default") << QByteArray("60917") << true;
        QTest::newRow("wrong default") << QByteArray("99999") << false;
    }

    void announcedDeviceUsesTheDefaultCredentials()
    {
        QFETCH(QByteArray, defaultPassword);
        QFETCH(bool, loggedIn);
        m_services.password = defaultPassword;
        DEVICEINFO record = searched(1, "wrong");
        record.dwSource = 0;
        TestFrame frame;
        frame.SetDevice(0, record);
        m_services.password = "60917";
        QCOMPARE(frame.userId() >= 0, loggedIn);
        QCOMPARE(m_services.log,
            loggedIn ? QStringList() : QStringList(QStringLiteral("Login to 127.0.75.2 failed!")));
    }

    void failedLoginShowsThePageDisabled()
    {
        TestFrame frame;
        frame.show();
        frame.SetDevice(0, searched(2, "wrong"));
        QCOMPARE(frame.userId(), -1);
        QCOMPARE(m_services.log, QStringList(QStringLiteral("Login to 127.0.75.3 failed!")));
        QVERIFY(frame.preConfig()->isVisible());
        QVERIFY(!frame.preConfig()->findChild<QWidget *>(QStringLiteral("CfggroupBox"))->isEnabled());
        // Without a login, saving, rebooting and restoring do nothing.
        frame.SaveMould();
        frame.RebootDevice();
        frame.RestoreConfig();
        QVERIFY(frame.boxes.isEmpty() && frame.questions.isEmpty());
    }

    void savingATemplet_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("nothing ticked") << false << true
                                        << QStringList { "Error!|Please select templets to save!" }
                                        << QStringList();
        QTest::newRow("dialog cancelled")
            << true << false << QStringList() << QStringList { "Failed to save templet!" };
        QTest::newRow("saved") << true << true << QStringList { "Succeed|Succeed to save templet!" }
                               << QStringList { "Succeed to save templet!" };
    }

    void savingATemplet()
    {
        QFETCH(bool, tick);
        QFETCH(bool, chooseFile);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, log);
        QTemporaryDir dir;
        TestFrame frame;
        frame.SetDevice(0, searched(0));
        QVERIFY(frame.userId() >= 0);
        if (tick) {
            tickCameraSection(frame);
        }
        const QString path = dir.filePath(QStringLiteral("camera.xml"));
        frame.fileName = chooseFile ? path : QString();
        frame.SaveMould();
        QCOMPARE(frame.boxes, boxes);
        QCOMPARE(m_services.log, log);
        QCOMPARE(QFile::exists(path), tick && chooseFile);
        if (QFile::exists(path)) {
            // Only the ticked section is in the file, with the camera's values.
            CTempletReader reader;
            QVERIFY(reader.LoadTemplate(path));
            FrontCfg front;
            QVERIFY(reader.GetPreParam(&front));
            const QByteArray camera = m_fleet->record(0, FrontCfg::getCommand);
            FrontCfg expected;
            QVERIFY(expected.setBytes(camera));
            QCOMPARE(front.brightness(), expected.brightness());
            QVERIFY(!reader.GetNTPParam());
        }
    }

    void rebootAndRestoreAsk_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("rebooted");
        QTest::newRow("reboot cancelled") << false << QList<bool> { false } << QStringList() << false;
        QTest::newRow("reboot") << false << QList<bool> { true }
                                << QStringList { "Succeed to reboot device!" } << true;
        QTest::newRow("restore cancelled")
            << true << QList<bool> { false } << QStringList() << false;
        QTest::newRow("restore, reboot later")
            << true << QList<bool> { true, false }
            << QStringList { "Succeed to restore default settings!" } << false;
        QTest::newRow("restore, reboot now")
            << true << QList<bool> { true, true }
            << QStringList { "Succeed to restore default settings!", "Succeed to reboot device!" }
            << true;
    }

    void rebootAndRestoreAsk()
    {
        QFETCH(bool, restore);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, log);
        QFETCH(bool, rebooted);
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(1), 30000);
        TestFrame frame;
        frame.SetDevice(1, searched(1));
        QVERIFY(frame.userId() >= 0);
        frame.answers = answers;
        restore ? frame.RestoreConfig() : frame.RebootDevice();
        QCOMPARE(frame.questions.size(), answers.size());
        QCOMPARE(frame.questions.first(),
            restore ? QStringLiteral("Restore default settings?|OK|Cancel")
                    : QStringLiteral("Reboot device?|OK|Cancel"));
        if (answers.size() > 1) {
            QCOMPARE(frame.questions.at(1),
                QStringLiteral("Restore default settings successful, reboot to make all changes "
                               "take effect, reboot now?|Now|Later"));
        }
        QCOMPARE(m_services.log, log);
        if (rebooted) {
            QTRY_VERIFY_WITH_TIMEOUT(!m_fleet->isOnline(1), 10000);
        } else {
            QVERIFY(m_fleet->isOnline(1));
        }
    }
};

QTEST_MAIN(TestConfigFrame)
#include "tst_configframe.moc"
