#include "configtestsupport.h"
#include "netconfig.h"

#include <functional>

using namespace configtest;

namespace {

using Records = CameraRecords<DdnsCfg, NtpCfg, NfsCfg, EmailCfg>;
using Expect = std::function<void(Records &records)>;
using TestPage = Recording<CNetconfig>;

// In save order.
constexpr quint32 Commands[]
    = { DdnsCfg::getCommand, NtpCfg::getCommand, NfsCfg::getCommand, EmailCfg::getCommand };
const QStringList Sections { "DDNS", "NTP", "NFS", "Email" };
const QStringList SavedLines { "Succeed to set DDNS parameters! (Effect after reboot)",
    "Succeed to set NTP parameters!", "Succeed to set NFS parameters! (Effect after reboot)",
    "Succeed to set Email parameters!" };

// One change in every section, and what it does to the records (DDNS: Dyndns).
const Steps EverySection { { "UsernamelineEdit", "installer" },
    { "NTPiplineEdit", "ntp.site.example" }, { "NfsDirectorylineEdit", "/srv/cam" },
    { "AccountlineEdit", "site" } };

void expectEverySection(Records &r)
{
    r.get<DdnsCfg>().setUserName(1, "installer");
    r.get<NtpCfg>().setServer("ntp.site.example");
    r.get<NfsCfg>().setDirectory(0, "/srv/cam");
    r.get<EmailCfg>().setAccount("site");
}

// The widgets in `section` that show anything: a text, a number, a tick.
QStringList showing(const QWidget *section)
{
    QStringList names;
    for (const QWidget *w : section->findChildren<QWidget *>()) {
        const auto *edit = qobject_cast<const QLineEdit *>(w);
        const auto *table = qobject_cast<const QTableWidget *>(w);
        bool shows
            = (edit && !qobject_cast<QAbstractSpinBox *>(w->parent()) && !edit->text().isEmpty())
            || (qobject_cast<const QSpinBox *>(w) && w->property("value").toInt() != 0)
            || ((qobject_cast<const QCheckBox *>(w) || qobject_cast<const QGroupBox *>(w))
                && w->property("checked").toBool());
        for (int i = 0; table && i < table->rowCount() * table->columnCount(); ++i) {
            const QTableWidgetItem *item
                = table->item(i / table->columnCount(), i % table->columnCount());
            shows = shows || (item && !item->text().isEmpty());
        }
        if (shows) {
            names << w->objectName();
        }
    }
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Expect)

class TestNetconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<Site> m_site;
    FakeServices m_services;

    Records records(int camera) const { return Records::of(*m_site->fleet, camera); }

    void setDdns(int camera, quint8 enabled, quint8 serverType)
    {
        Records r = records(camera);
        r.get<DdnsCfg>().setEnabled(enabled);
        r.get<DdnsCfg>().setServerType(serverType);
        r.store(*m_site->fleet, camera);
    }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.73.1", 18730, 2);
        QVERIFY(m_site->start());
    }

    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        for (int camera = 0; camera < m_site->fleet->count(); ++camera) {
            m_site->fleet->clearFault(camera);
            for (const quint32 command : Commands) {
                m_site->fleet->setRecord(
                    camera, command, m_site->fleet->factoryRecord(camera, command));
            }
        }
        m_services.log.clear();
    }

    void saveChangesOnlyTheEditedField_data()
    {
        QTest::addColumn<quint8>("ddnsEnabled");
        QTest::addColumn<quint8>("serverType");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<Expect>("expect");
        const auto row = [](const char *name, quint8 enabled, quint8 type, const Steps &steps,
                             const Expect &expect) {
            QTest::newRow(name) << enabled << type << steps << expect;
        };
        const QString door = QStringLiteral("\u95e8");
        // The entry of a supplier that is off is shown too, so it goes back as read.
        row("DDNS switched on", 0, 2, { { "DDNSgroupBox", true } },
            [](Records &r) { r.get<DdnsCfg>().setEnabled(1); });
        // What was typed for Dyndns is dropped; the widgets go into PeanutHull's entry.
        row("DDNS supplier changed", 1, 1,
            { { "UsernamelineEdit", "typed for Dyndns" }, { "HostIndexcomboBox", 2 },
                { "DomainNamelineEdit", "cam.peanut.example" } },
            [](Records &r) {
                r.get<DdnsCfg>().setServerType(2);
                r.get<DdnsCfg>().setDomain(2, "cam.peanut.example");
            });
        row("DDNS port 70000 held at 65535", 1, 1, { { "DDNSPortspinBox", 70000 } },
            [](Records &r) { r.get<DdnsCfg>().setServerPort(1, 65535); });
        row("NTP port abc", 1, 1, { { "NTPPortlineEdit", "abc" } },
            [](Records &r) { r.get<NtpCfg>().setPort(0); });
        row("NTP port 70000 is no port", 1, 1, { { "NTPPortlineEdit", "70000" } },
            [](Records &r) { r.get<NtpCfg>().setPort(0); });
        row("NFS disk switch keeps what was typed", 1, 1,
            { { "NfsDirectorylineEdit", "/srv/first" }, { "DiskNumbercomboBox", 3 },
                { "NfsHostIPAddrlineEdit", "10.0.0.9" } },
            [](Records &r) {
                r.get<NfsCfg>().setDirectory(0, "/srv/first");
                r.get<NfsCfg>().setHost(3, "10.0.0.9");
            });
        row("Email sender name in the local code page", 1, 1,
            { { "SenderNamelineEdit", door + " camera" } }, [door](Records &r) {
                r.get<EmailCfg>().setSenderName((door + " camera").toLocal8Bit());
            });
        // Eleven three-byte characters: the eleventh does not fit whole.
        row("Email account cut at a character", 1, 1, { { "AccountlineEdit", door.repeated(11) } },
            [door](Records &r) { r.get<EmailCfg>().setAccount(door.repeated(10).toLocal8Bit()); });
        row("Email third receiver", 1, 1,
            { { "EmailtableWidget", QVariantList { 2, 0, "Night shift" } },
                { "EmailtableWidget", QVariantList { 2, 1, "night@site.example" } } },
            [](Records &r) {
                r.get<EmailCfg>().setReceiverName(2, "Night shift");
                r.get<EmailCfg>().setReceiverAddress(2, "night@site.example");
            });
        row("Email SMTP port 70000 held at 65535", 1, 1, { { "SmtpPortspinBox", 70000 } },
            [](Records &r) { r.get<EmailCfg>().setSmtpPort(65535); });
        row("Email interval 5 s", 1, 1, { { "comboInterval", 3 } },
            [](Records &r) { r.get<EmailCfg>().setMailInterval(3); });
        row("Email SMTP verify off", 1, 1, { { "SmtpServerVerifycheckBox", false } },
            [](Records &r) { r.get<EmailCfg>().setSmtpAuthentication(0); });
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
        const auto other = m_site->login(1);
        const auto camera = m_site->login(0);
        TestPage page;
        page.LoadConfig(other->userId());
        page.LoadConfig(camera->userId());
        QVERIFY(m_services.log.isEmpty());
        apply(page, steps);
        page.SaveDevNetCfg();
        QCOMPARE(m_services.log, SavedLines);
        QVERIFY(page.boxes.isEmpty());
        QCOMPARE(records(0).bytes(), expected.bytes());
        // What the templet would be written from.
        QCOMPARE((QList<QByteArray> { page.ddnsCfg().bytes(), page.ntpCfg().bytes(),
                     page.nfsCfg().bytes(), page.emailCfg().bytes() }),
            expected.bytes());
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
        const auto camera = m_site->login(0);
        TestPage page;
        page.LoadConfig(camera->userId());
        apply(page, { { "HostIndexcomboBox", serverType } });
        const auto enabledNow = [&page] {
            QList<bool> result;
            for (const char *name : { "ServerNamelineEdit", "UsernamelineEdit", "PasswordlineEdit",
                     "DomainNamelineEdit", "DDNSPortspinBox" }) {
                result << child(page, name)->isEnabled();
            }
            return result;
        };
        const QList<bool> none(5, false);
        QCOMPARE(enabledNow(), none);
        auto *box = child<QGroupBox>(page, "DDNSgroupBox");
        // Unticking disables them all; ticking again must not enable the unused ones.
        for (const bool ticked : { true, false, true }) {
            box->setChecked(ticked);
            QCOMPARE(enabledNow(), ticked ? enabled : none);
        }
    }

    void invalidEmailAddressStopsOnlyTheEmailWrite_data()
    {
        QTest::addColumn<QString>("sender");
        QTest::addColumn<int>("receiverRow"); // -1: none typed
        QTest::addColumn<QString>("receiver");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty sender") << QString() << -1 << QString() << true;
        QTest::newRow("no dot after the at sign") << "cam@localhost" << -1 << QString() << false;
        QTest::newRow("dotted on both sides")
            << "front.cam@site.example" << -1 << QString() << true;
        QTest::newRow("receiver without at sign") << "cam@site.example" << 1 << "desk" << false;
        QTest::newRow("empty receiver") << "cam@site.example" << 0 << QString() << true;
    }

    void invalidEmailAddressStopsOnlyTheEmailWrite()
    {
        QFETCH(QString, sender);
        QFETCH(int, receiverRow);
        QFETCH(QString, receiver);
        QFETCH(bool, valid);
        setDdns(0, 1, 1);
        Records expected = records(0);
        const QByteArray emailBefore = expected.get<EmailCfg>().bytes();
        expectEverySection(expected);
        expected.get<EmailCfg>().setSenderAddress(sender.toLatin1());
        if (receiverRow >= 0) {
            expected.get<EmailCfg>().setReceiverAddress(receiverRow, receiver.toLatin1());
        }
        if (!valid) {
            expected.get<EmailCfg>().setBytes(emailBefore);
        }

        const auto camera = m_site->login(0);
        TestPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.LoadConfig(camera->userId());
        apply(page, EverySection);
        apply(page, { { "SenderAddresslineEdit", sender } });
        if (receiverRow >= 0) {
            apply(page, { { "EmailtableWidget", QVariantList { receiverRow, 1, receiver } } });
        }
        page.SaveDevNetCfg();

        QCOMPARE(records(0).bytes(), expected.bytes());
        QCOMPARE(m_services.log, SavedLines.mid(0, valid ? 4 : 3));
        QCOMPARE(
            page.boxes, valid ? QStringList() : QStringList { "Error|Invalid email address!" });
        auto *senderEdit = child<QLineEdit>(page, "SenderAddresslineEdit");
        auto *table = child<QTableWidget>(page, "EmailtableWidget");
        if (!valid && receiverRow < 0) {
            QTRY_VERIFY(senderEdit->hasFocus());
            QCOMPARE(senderEdit->selectedText(), sender);
        } else if (!valid) {
            QCOMPARE(table->currentRow(), receiverRow);
            QCOMPARE(table->currentColumn(), 1);
        }
    }

    // A section whose read failed is shown cleared and disabled and never
    // written; a refused set is logged in its place. Either way the other
    // three sections are written.
    void oneFailingSectionLeavesTheOthers_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<bool>("readFails"); // else its set is refused
        for (int section = 0; section < 4; ++section) {
            QTest::addRow("%s read fails", qPrintable(Sections[section])) << section << true;
            QTest::addRow("%s set refused", qPrintable(Sections[section])) << section << false;
        }
    }

    void oneFailingSectionLeavesTheOthers()
    {
        QFETCH(int, section);
        QFETCH(bool, readFails);
        const quint32 command = Commands[section];
        const char *frame[] = { "DDNSframe", "NTPframe", "NFSframe", "Emailframe" };
        setDdns(0, 1, 1);
        setDdns(1, 1, 1);
        Records expected = records(0);
        const QByteArray before = expected.byCommand(command).bytes();
        expectEverySection(expected);
        expected.byCommand(command).setBytes(before);
        m_site->fail(0, readFails ? QSet<quint32>() : QSet { command },
            readFails ? QSet { command } : QSet<quint32>());

        const auto other = m_site->login(1);
        const auto camera = m_site->login(0);
        TestPage page;
        page.LoadConfig(other->userId()); // fills every widget
        page.LoadConfig(camera->userId());
        QCOMPARE(m_services.log,
            readFails ? QStringList { "Failed to get " + Sections[section] + " parameters!" }
                      : QStringList());
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(child(page, frame[i])->isEnabled(), !readFails || i != section);
        }
        if (readFails) {
            QCOMPARE(showing(child(page, frame[section])), QStringList());
        }

        // Even typed into, a section that was not read leaves the device's own record.
        m_services.log.clear();
        apply(page, EverySection);
        page.SaveDevNetCfg();
        QStringList lines = SavedLines;
        if (readFails) {
            lines.removeAt(section);
        } else {
            lines[section] = "Failed to set " + Sections[section] + " parameters!";
        }
        QCOMPARE(m_services.log, lines);
        QCOMPARE(records(0).bytes(), expected.bytes());
    }

    void withoutLoginThePageIsDisabledAndSavesNothing()
    {
        const Records before = records(0);
        TestPage page;
        page.LoadConfig(-1);
        QVERIFY(!page.isEnabled());
        page.SaveDevNetCfg();
        QVERIFY(m_services.log.isEmpty());
        QCOMPARE(records(0).bytes(), before.bytes());
    }
};

QTEST_MAIN(TestNetconfig)
#include "tst_netconfig.moc"
