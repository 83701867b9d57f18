#include "configframe.h"
#include "configtestsupport.h"
#include "preconfig.h"
#include "templetfile.h"

#include <QTemporaryDir>

using namespace configtest;

namespace {

// Records its boxes and answers its questions and the file dialog as told.
class TestFrame : public Recording<CConfigFrame>
{
public:
    QStringList questions; // "text|yes|no"
    QList<bool> answers; // one per question, in order; none left: "no"
    QString fileName; // empty: the dialog is cancelled

protected:
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

    std::unique_ptr<Site> m_site;
    FakeServices m_services;

    // Camera `camera` as the IP-range search lists it: with its own credentials.
    DEVICEINFO searched(int camera, const char *password = "60917") const
    {
        return listedCamera(*m_site->fleet, camera, 1, password);
    }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.75.1", 18750, 3, 0.05);
        QVERIFY(m_site->fleet);
    }

    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        m_services.log.clear();
        m_services.password = "60917";
    }

    // A searched device brings its own credentials, an announced one gets the
    // defaults; a failed login still shows the page, disabled. The same device
    // handed over again is logged out and in again.
    void loginUsesTheDevicesOrTheDefaultCredentials_data()
    {
        QTest::addColumn<bool>("announced");
        QTest::addColumn<QByteArray>("password"); // the device's, or the default
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("searched, right password") << false << QByteArray("60917") << true;
        QTest::newRow("searched, wrong password") << false << QByteArray("wrong") << false;
        QTest::newRow("announced, right default") << true << QByteArray("60917") << true;
        QTest::newRow("announced, wrong default") << true << QByteArray("99999") << false;
    }

    void loginUsesTheDevicesOrTheDefaultCredentials()
    {
        QFETCH(bool, announced);
        QFETCH(QByteArray, password);
        QFETCH(bool, loggedIn);
        const DEVICEINFO record = listedCamera(
            *m_site->fleet, 1, announced ? 0 : 1, announced ? "wrong" : password.constData());
        m_services.password = announced ? password : QByteArray("60917");
        TestFrame frame;
        frame.show();
        frame.SetDevice(0, record);
        QCOMPARE(frame.userId() >= 0, loggedIn);
        QCOMPARE(m_services.log,
            loggedIn ? QStringList()
                     : QStringList { QStringLiteral("Login to 127.0.75.2 failed!") });
        QVERIFY(frame.preConfig()->isVisible());
        QCOMPARE(child(*frame.preConfig(), "CfggroupBox")->isEnabled(), loggedIn);
        if (loggedIn) {
            const qint32 first = frame.userId();
            QTRY_COMPARE(m_site->fleet->sessionCount(1), 1);
            frame.SetDevice(0, record);
            QVERIFY(frame.userId() >= 0 && frame.userId() != first);
            QTRY_COMPARE(m_site->fleet->sessionCount(1), 1);
            QVERIFY(frame.IsSameDevice(record.szSerialNo) && m_services.log.isEmpty());
        } else {
            // Without a login, saving, rebooting and restoring do nothing.
            frame.SaveMould();
            frame.RebootDevice();
            frame.RestoreConfig();
            QVERIFY(frame.boxes.isEmpty() && frame.questions.isEmpty());
        }
    }

    void savingATemplet_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::addColumn<bool>("chooseFile");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("nothing ticked")
            << false << true << "Error!|Please select templets to save!" << QStringList();
        QTest::newRow("dialog cancelled")
            << true << false << "" << QStringList { "Failed to save templet!" };
        QTest::newRow("saved") << true << true << "Succeed|Succeed to save templet!"
                               << QStringList { "Succeed to save templet!" };
    }

    void savingATemplet()
    {
        QFETCH(bool, tick);
        QFETCH(bool, chooseFile);
        QTemporaryDir dir;
        TestFrame frame;
        frame.SetDevice(0, searched(0));
        QVERIFY(frame.userId() >= 0);
        child<QCheckBox>(*frame.preConfig(), "PrecheckBox")->setChecked(tick);
        const QString path = dir.filePath(QStringLiteral("camera.xml"));
        frame.fileName = chooseFile ? path : QString();
        frame.SaveMould();
        QFETCH(QString, box);
        QCOMPARE(frame.boxes, box.isEmpty() ? QStringList() : QStringList { box });
        QTEST(m_services.log, "log");
        QCOMPARE(QFile::exists(path), tick && chooseFile);
        if (QFile::exists(path)) {
            // Only the ticked section is in the file, with the camera's values.
            CTempletReader reader;
            FrontCfg front;
            FrontCfg camera;
            QVERIFY(camera.setBytes(m_site->fleet->record(0, FrontCfg::getCommand)));
            QVERIFY(reader.LoadTemplate(path) && reader.GetPreParam(&front));
            QCOMPARE(front.brightness(), camera.brightness());
            QVERIFY(!reader.GetNTPParam());
        }
    }

    void rebootAndRestoreAsk_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("log");
        const QString rebooted = QStringLiteral("Succeed to reboot device!");
        const QString restored = QStringLiteral("Succeed to restore default settings!");
        QTest::newRow("reboot cancelled") << false << QList<bool> { false } << QStringList();
        QTest::newRow("reboot") << false << QList<bool> { true } << QStringList { rebooted };
        QTest::newRow("restore cancelled") << true << QList<bool> { false } << QStringList();
        QTest::newRow("restore, reboot later")
            << true << QList<bool> { true, false } << QStringList { restored };
        QTest::newRow("restore, reboot now")
            << true << QList<bool> { true, true } << QStringList { restored, rebooted };
    }

    void rebootAndRestoreAsk()
    {
        QFETCH(bool, restore);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, log);
        QTRY_VERIFY_WITH_TIMEOUT(m_site->fleet->isOnline(1), 30000);
        TestFrame frame;
        frame.SetDevice(1, searched(1));
        QVERIFY(frame.userId() >= 0);
        frame.answers = answers;
        restore ? frame.RestoreConfig() : frame.RebootDevice();
        QStringList questions { restore ? QStringLiteral("Restore default settings?|OK|Cancel")
                                        : QStringLiteral("Reboot device?|OK|Cancel") };
        if (answers.size() > 1) {
            questions << QStringLiteral("Restore default settings successful, reboot to make all "
                                        "changes take effect, reboot now?|Now|Later");
        }
        QCOMPARE(frame.questions, questions);
        QCOMPARE(m_services.log, log);
        if (log.contains(QStringLiteral("Succeed to reboot device!"))) {
            QTRY_VERIFY(!m_site->fleet->isOnline(1));
        } else {
            QVERIFY(m_site->fleet->isOnline(1));
        }
    }
};

QTEST_MAIN(TestConfigFrame)
#include "tst_configframe.moc"
