#include "devicesdk.h"
#include "fakeservices.h"
#include "fleet.h"
#include "netconfig.h"

#include "mirt.h"
#include "solvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <functional>

namespace {

constexpr quint16 FleetPort = 18730;
constexpr quint32 RecordCommands[]
    = { DdnsCfg::getCommand, NtpCfg::getCommand, NfsCfg::getCommand, EmailCfg::getCommand };

const QStringList SavedLines { "Succeed to set DDNS parameters! (Effect after reboot)",
    "Succeed to set NTP parameters!", "Succeed to set NFS parameters! (Effect after reboot)",
    "Succeed to set Email parameters!" };

// The page's four records as a camera holds them.
struct Records
{
    DdnsCfg ddns;
    NtpCfg ntp;
    NfsCfg nfs;
    EmailCfg email;

    RecordBuffer &record(quint32 command)
    {
        switch (command) {
        case DdnsCfg::getCommand:
            return ddns;
        case NtpCfg::getCommand:
            return ntp;
        case NfsCfg::getCommand:
            return nfs;
        default:
            return email;
        }
    }
    const RecordBuffer &record(quint32 command) const
    {
        return const_cast<Records *>(this)->record(command);
    }
};

using Expect = std::function<void(Records &records)>;

// One user action: a widget of the page by object name and what it is given
// (text, value, index or tick, by its kind); for the recipient table, the
// list { row, column, text }.
struct Step
{
    const char *widget;
    QVariant value;
};
using Steps = QList<Step>;

void apply(QWidget &page, const Steps &steps)
{
    for (const Step &step : steps) {
        QObject *widget = page.findChild<QObject *>(QLatin1String(step.widget));
        QVERIFY2(widget != nullptr, step.widget);
        if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->setText(step.value.toString());
        } else if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
            spin->setValue(step.value.toInt());
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            combo->setCurrentIndex(step.value.toInt());
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            group->setChecked(step.value.toBool());
        } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
            box->setChecked(step.value.toBool());
        } else if (auto *table = qobject_cast<QTableWidget *>(widget)) {
            const QVariantList cell = step.value.toList();
            table->item(cell.at(0).toInt(), cell.at(1).toInt())->setText(cell.at(2).toString());
        }
    }
}

// One change in every section, and what it does to the records (DDNS: Dyndns).
const Steps EverySection { { "UsernamelineEdit", "installer" },
    { "NTPiplineEdit", "ntp.site.example" }, { "NfsDirectorylineEdit", "/srv/cam" },
    { "AccountlineEdit", "site" } };

void expectEverySection(Records &r)
{
    r.ddns.setUserName(1, "installer");
    r.ntp.setServer("ntp.site.example");
    r.nfs.setDirectory(0, "/srv/cam");
    r.email.setAccount("site");
}

// Records its boxes instead of showing them.
class TestPage : public CNetconfig
{
public:
    QStringList boxes; // "title|text"

protected:
    void showInformation(const QString &title, const QString &text) override
    {
        boxes << title + QLatin1Char('|') + text;
    }
};

template<typename Widget> Widget *child(QWidget &page, const char *name)
{
    return page.findChild<Widget *>(QLatin1String(name));
}

} // namespace

Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(Expect)

class TestNetconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    FakeServices m_services;

    Records records(int camera) const
    {
        Records r;
        for (const quint32 command : RecordCommands) {
            r.record(command).setBytes(m_fleet->record(camera, command));
        }
        return r;
    }

    std::unique_ptr<SdkLogin> login(int camera) const
    {
        return std::make_unique<SdkLogin>(
            m_fleet->address(camera).toLatin1(), FleetPort, "admin", "60917");
    }

    void setDdns(int camera, quint8 enabled, quint8 serverType)
    {
        DdnsCfg ddns;
        ddns.setBytes(m_fleet->record(camera, DdnsCfg::getCommand));
        ddns.setEnabled(enabled);
        ddns.setServerType(serverType);
        m_fleet->setRecord(camera, DdnsCfg::getCommand, ddns.bytes());
    }

    void compareRecords(const Records &actual, const Records &expected)
    {
        for (const quint32 command : RecordCommands) {
            QCOMPARE(actual.record(command).bytes(), expected.record(command).bytes());
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(MIRT_Init() == 0);
        SOLV_Init();
        devsim::FleetOptions options;
        options.count = 2;
        options.firstAddress = QStringLiteral("127.0.73.1");
        options.port = FleetPort;
        options.discoveryPort = 0;
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
        for (int camera = 0; camera < m_fleet->count(); ++camera) {
            m_fleet->clearFault(camera);
            for (const quint32 command : RecordCommands) {
                m_fleet->setRecord(camera, command, m_fleet->factoryRecord(camera, command));
            }
        }
        m_services.log.clear();
        setTervixServices(&m_services);
    }

    void saveChangesOnlyTheEditedField_data()
    {
        QTest::addColumn<quint8>("ddnsEnabled");
        QTest::addColumn<quint8>("serverType");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Expect>("expect");
        const QString door = QStringLiteral("\u95e8");

        // The entry of a supplier that is off is shown too, so it goes back as read.
        QTest::newRow("DDNS switched on")
            << quint8(0) << quint8(2) << Steps { { "DDNSgroupBox", true } }
            << Expect([](Records &r) { r.ddns.setEnabled(1); });
        // What was typed for Dyndns is dropped; the widgets go into PeanutHull's entry.
        QTest::newRow("DDNS supplier changed")
            << quint8(1) << quint8(1)
            << Steps { { "UsernamelineEdit", "typed for Dyndns" }, { "HostIndexcomboBox", 2 },
                   { "DomainNamelineEdit", "cam.peanut.example" } }
            << Expect([](Records &r) {
                   r.ddns.setServerType(2);
                   r.ddns.setDomain(2, "cam.peanut.example");
               });
        QTest::newRow("DDNS server address cut to 64")
            << quint8(1) << quint8(0) << Steps { { "ServerNamelineEdit", QString(70, 's') } }
            << Expect([](Records &r) { r.ddns.setServerAddress(0, QByteArray(64, 's')); });
        QTest::newRow("DDNS port 70000 held at 65535")
            << quint8(1) << quint8(1) << Steps { { "DDNSPortspinBox", 70000 } }
            << Expect([](Records &r) { r.ddns.setServerPort(1, 65535); });
        QTest::newRow("NTP port abc")
            << quint8(1) << quint8(1) << Steps { { "NTPPortlineEdit", "abc" } }
            << Expect([](Records &r) { r.ntp.setPort(0); });
        QTest::newRow("NTP port 70000 is no port")
            << quint8(1) << quint8(1) << Steps { { "NTPPortlineEdit", "70000" } }
            << Expect([](Records &r) { r.ntp.setPort(0); });
        QTest::newRow("NFS disk switch keeps what was typed")
            << quint8(1) << quint8(1)
            << Steps { { "NfsDirectorylineEdit", "/srv/first" }, { "DiskNumbercomboBox", 3 },
                   { "NfsHostIPAddrlineEdit", "10.0.0.9" } }
            << Expect([](Records &r) {
                   r.nfs.setDirectory(0, "/srv/first");
                   r.nfs.setHost(3, "10.0.0.9");
               });
        QTest::newRow("Email sender name in the local code page")
            << quint8(1) << quint8(1) << Steps { { "SenderNamelineEdit", door + " camera" } }
            << Expect(
                   [door](Records &r) { r.email.setSenderName((door + " camera").toLocal8Bit()); });
        // Eleven three-byte characters: the eleventh does not fit whole.
        QTest::newRow("Email account cut at a character")
            << quint8(1) << quint8(1) << Steps { { "AccountlineEdit", door.repeated(11) } }
            << Expect([door](Records &r) { r.email.setAccount(door.repeated(10).toLocal8Bit()); });
        QTest::newRow("Email third receiver")
            << quint8(1) << quint8(1)
            << Steps { { "EmailtableWidget", QVariantList { 2, 0, "Night shift" } },
                   { "EmailtableWidget", QVariantList { 2, 1, "night@site.example" } } }
            << Expect([](Records &r) {
                   r.email.setReceiverName(2, "Night shift");
                   r.email.setReceiverAddress(2, "night@site.example");
               });
        QTest::newRow("Email SMTP port 70000 held at 65535")
            << quint8(1) << quint8(1) << Steps { { "SmtpPortspinBox", 70000 } }
            << Expect([](Records &r) { r.email.setSmtpPort(65535); });
        QTest::newRow("Email interval 5 s")
            << quint8(1) << quint8(1) << Steps { { "comboInterval", 3 } }
            << Expect([](Records &r) { r.email.setMailInterval(3); });
        QTest::newRow("Email SMTP verify off")
            << quint8(1) << quint8(1) << Steps { { "SmtpServerVerifycheckBox", false } }
            << Expect([](Records &r) { r.email.setSmtpAuthentication(0); });
    }

    void saveChangesOnlyTheEditedField()
    {
        QFETCH(quint8, ddnsEnabled);
        QFETCH(quint8, serverType);
        QFETCH(Steps, steps);
        QFETCH(Expect, expect);
        setDdns(0, ddnsEnabled, serverType);
        // Another camera shown before, with DDNS on: nothing of it may reach camera 0.
        setDdns(1, 1, quint8((serverType + 1) % 4));
        Records expected = records(0);
        expect(expected);

        const auto other = login(1);
        const auto camera = login(0);
        QVERIFY(other->ok() && camera->ok());
        TestPage page;
        page.LoadConfig(other->userId());
        page.LoadConfig(camera->userId());
        QVERIFY(m_services.log.isEmpty());
        apply(page, steps);
        page.SaveDevNetCfg();

        QCOMPARE(m_services.log, SavedLines);
        QVERIFY(page.boxes.isEmpty());
        const Records saved = records(0);
        compareRecords(saved, expected);
        // What the templet would be written from.
        compareRecords({ page.ddnsCfg(), page.ntpCfg(), page.nfsCfg(), page.emailCfg() }, saved);
    }

    void ddnsFieldsFollowTheSupplier_data()
    {
        QTest::addColumn<int>("serverType");
        QTest::addColumn<QList<bool>>("enabled"); // server, user, password, domain, port
        QTest::newRow("Orvelle DNS") << 0 << QList<bool> { true, false, false, false, false };
        QTest::newRow("Dyndns") << 1 << QList<bool> { true, true, true, true, true };
        QTest::newRow("PeanutHull") << 2 << QList<bool> { false, true, true, true, false };
        QTest::newRow("NO-IP") << 3 << QList<bool> { false, true, true, true, false };
    }

    void ddnsFieldsFollowTheSupplier()
    {
        QFETCH(int, serverType);
        QFETCH(QList<bool>, enabled);
        // Off at first: the fields wait for the group box to be ticked.
        setDdns(0, 0, quint8((serverType + 1) % 4));
        const auto camera = login(0);
        TestPage page;
        page.LoadConfig(camera->userId());
        child<QComboBox>(page, "HostIndexcomboBox")->setCurrentIndex(serverType);

        const QList<QWidget *> fields { child<QWidget>(page, "ServerNamelineEdit"),
            child<QWidget>(page, "UsernamelineEdit"), child<QWidget>(page, "PasswordlineEdit"),
            child<QWidget>(page, "DomainNamelineEdit"), child<QWidget>(page, "DDNSPortspinBox") };
        const auto enabledNow = [&] {
            QList<bool> result;
            for (const QWidget *field : fields) {
                result << field->isEnabled();
            }
            return result;
        };
        QCOMPARE(enabledNow(), QList<bool>(5, false));
        QGroupBox *box = child<QGroupBox>(page, "DDNSgroupBox");
        box->setChecked(true);
        QCOMPARE(enabledNow(), enabled);
        // Unticking disables them all; ticking again must not enable the unused ones.
        box->setChecked(false);
        QCOMPARE(enabledNow(), QList<bool>(5, false));
        box->setChecked(true);
        QCOMPARE(enabledNow(), enabled);
    }

    void invalidEmailAddressStopsOnlyTheEmailWrite_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<int>("receiverRow");
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty sender") << QString() << -1 << QString() << true;
        QTest::newRow("no dot after the at sign")
            << QStringLiteral("cam@localhost") << -1 << QString() << false;
        QTest::newRow("dotted on both sides")
            << QStringLiteral("front.cam@site.example") << -1 << QString() << true;
        QTest::newRow("receiver without at sign")
            << QStringLiteral("cam@site.example") << 1 << QStringLiteral("desk") << false;
        QTest::newRow("empty receiver")
            << QStringLiteral("cam@site.example") << 0 << QString() << true;
    }

    void invalidEmailAddressStopsOnlyTheEmailWrite()
    {
        QFETCH(QString, sender);
        QFETCH(int, receiverRow);
        QFETCH(QString, receiver);
        QFETCH(bool, valid);
        setDdns(0, 1, 1);
        Records expected = records(0);
        const QByteArray emailBefore = expected.email.bytes();
        expectEverySection(expected);
        expected.email.setSenderAddress(sender.toLatin1());
        if (receiverRow >= 0) {
            expected.email.setReceiverAddress(receiverRow, receiver.toLatin1());
        }
        if (!valid) {
            expected.email.setBytes(emailBefore);
        }

        const auto camera = login(0);
        TestPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.LoadConfig(camera->userId());
        apply(page, EverySection);
        QLineEdit *senderEdit = child<QLineEdit>(page, "SenderAddresslineEdit");
        senderEdit->setText(sender);
        QTableWidget *table = child<QTableWidget>(page, "EmailtableWidget");
        if (receiverRow >= 0) {
            table->item(receiverRow, 1)->setText(receiver);
        }
        page.SaveDevNetCfg();

        compareRecords(records(0), expected);
        if (valid) {
            QCOMPARE(m_services.log, SavedLines);
            QVERIFY(page.boxes.isEmpty());
            return;
        }
        QCOMPARE(m_services.log, SavedLines.mid(0, 3));
        QCOMPARE(page.boxes, QStringList { "Error|Invalid email address!" });
        if (receiverRow < 0) {
            QTRY_VERIFY(senderEdit->hasFocus());
            QCOMPARE(senderEdit->selectedText(), sender);
        } else {
            QCOMPARE(table->currentRow(), receiverRow);
            QCOMPARE(table->currentColumn(), 1);
        }
    }

    void failedReadShowsAClearedDisabledSection_data()
    {
        QTest::addColumn<quint32>("command");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("section"); // in save order
        QTest::newRow("DDNS") << DdnsCfg::getCommand << "DDNSframe" << 0;
        QTest::newRow("NTP") << NtpCfg::getCommand << "NTPframe" << 1;
        QTest::newRow("NFS") << NfsCfg::getCommand << "NFSframe" << 2;
        QTest::newRow("Email") << EmailCfg::getCommand << "Emailframe" << 3;
    }

    void failedReadShowsAClearedDisabledSection()
    {
        QFETCH(quint32, command);
        QFETCH(QString, frame);
        QFETCH(int, section);
        static const QStringList readFailures { "Failed to get DDNS parameters!",
            "Failed to get NTP parameters!", "Failed to get NFS parameters!",
            "Failed to get Email parameters!" };
        setDdns(0, 1, 1);
        setDdns(1, 1, 1);
        devsim::Fault fault;
        fault.unsupportedCommands.insert(command);
        m_fleet->setFault(0, fault);
        const QByteArray before = m_fleet->record(0, command);

        const auto other = login(1);
        const auto camera = login(0);
        TestPage page;
        page.LoadConfig(other->userId()); // fills every widget
        page.LoadConfig(camera->userId());
        QCOMPARE(m_services.log, QStringList { readFailures.at(section) });

        for (const char *name : { "DDNSframe", "NTPframe", "NFSframe", "Emailframe" }) {
            QCOMPARE(child<QWidget>(page, name)->isEnabled(), frame != QLatin1String(name));
        }
        QWidget *cleared = child<QWidget>(page, frame.toLatin1().constData());
        for (const QLineEdit *edit : cleared->findChildren<QLineEdit *>()) {
            if (qobject_cast<QAbstractSpinBox *>(edit->parent()) == nullptr) {
                QVERIFY2(edit->text().isEmpty(), qPrintable(edit->objectName()));
            }
        }
        for (const QSpinBox *spin : cleared->findChildren<QSpinBox *>()) {
            QCOMPARE(spin->value(), 0);
        }
        for (const QGroupBox *box : cleared->findChildren<QGroupBox *>()) {
            QVERIFY(!box->isChecked());
        }
        for (const QCheckBox *box : cleared->findChildren<QCheckBox *>()) {
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
        }
        for (const QTableWidget *table : cleared->findChildren<QTableWidget *>()) {
            for (int row = 0; row < table->rowCount(); ++row) {
                for (int column = 0; column < table->columnCount(); ++column) {
                    QVERIFY(
                        !table->item(row, column) || table->item(row, column)->text().isEmpty());
                }
            }
        }

        // Saving writes the three sections that were read and leaves the
        // device's own record, even with the cleared section typed into.
        m_services.log.clear();
        Records expected = records(0);
        expectEverySection(expected);
        expected.record(command).setBytes(before);
        apply(page, EverySection);
        page.SaveDevNetCfg();
        QStringList lines = SavedLines;
        lines.removeAt(section);
        QCOMPARE(m_services.log, lines);
        compareRecords(records(0), expected);
    }

    void refusedSetLogsAndTheOthersAreWritten_data()
    {
        QTest::addColumn<quint32>("command");
        QTest::addColumn<int>("section"); // in save order
        QTest::addColumn<QString>("failure");
        QTest::newRow("DDNS") << DdnsCfg::getCommand << 0 << "Failed to set DDNS parameters!";
        QTest::newRow("NTP") << NtpCfg::getCommand << 1 << "Failed to set NTP parameters!";
        QTest::newRow("NFS") << NfsCfg::getCommand << 2 << "Failed to set NFS parameters!";
        QTest::newRow("Email") << EmailCfg::getCommand << 3 << "Failed to set Email parameters!";
    }

    void refusedSetLogsAndTheOthersAreWritten()
    {
        QFETCH(quint32, command);
        QFETCH(int, section);
        QFETCH(QString, failure);
        setDdns(0, 1, 1);
        Records expected = records(0);
        const QByteArray refused = m_fleet->record(0, command);
        expectEverySection(expected);
        expected.record(command).setBytes(refused);
        devsim::Fault fault;
        fault.refusedSets.insert(command);
        m_fleet->setFault(0, fault);

        const auto camera = login(0);
        TestPage page;
        page.LoadConfig(camera->userId());
        apply(page, EverySection);
        page.SaveDevNetCfg();

        QStringList lines = SavedLines;
        lines[section] = failure;
        QCOMPARE(m_services.log, lines);
        compareRecords(records(0), expected);
    }

    void withoutLoginThePageIsDisabledAndSavesNothing()
    {
        const Records before = records(0);
        TestPage page;
        page.LoadConfig(-1);
        QVERIFY(!page.isEnabled());
        page.SaveDevNetCfg();
        QVERIFY(m_services.log.isEmpty());
        compareRecords(records(0), before);
    }
};

QTEST_MAIN(TestNetconfig)
#include "tst_netconfig.moc"
