#include "configtestsupport.h"
#include "netconfig.h"

using namespace configtest;

namespace {

using TestPage = Recording<CNetconfig>;

// In save order.
const QStringList Types { "ddns", "ntp", "nfs", "email" };
const QStringList Names { "DDNS", "NTP", "NFS", "Email" };
const char *const Frames[] = { "DDNSframe", "NTPframe", "NFSframe", "Emailframe" };
const QStringList SavedLines { "Succeed to set DDNS parameters! (Effect after reboot)",
    "Succeed to set NTP parameters!", "Succeed to set NFS parameters! (Effect after reboot)",
    "Succeed to set Email parameters!" };

// One change in every section (DDNS: Dyndns), and what it writes.
const Steps EverySection { { "UsernamelineEdit", "installer" },
    { "NTPiplineEdit", "ntp.site.example" }, { "NfsDirectorylineEdit", "/srv/cam" },
    { "AccountlineEdit", "site" } };
const QStringList EveryChange { "ddns.entry1.userName=installer", "email.account=site",
    "nfs.disk0.directory=/srv/cam", "ntp.server=ntp.site.example" };

// The widgets in `section` that show anything: a text, a number, a tick.
QStringList showing(const QWidget *section)
{
    QStringList names;
    for (const QWidget *w : section->findChildren<QWidget *>()) {
        const char *shown = qobject_cast<const QLineEdit *>(w) ? "text"
            : qobject_cast<const QSpinBox *>(w)                ? "value"
                                                               : "checked";
        const QString value = w->property(shown).toString();
        if (!qobject_cast<QAbstractSpinBox *>(w->parent()) && value != "0" && value != "false"
            && !value.isEmpty()) {
            names << w->objectName();
        }
        const auto *table = qobject_cast<const QTableWidget *>(w);
        for (int i = 0; table && i < table->rowCount() * table->columnCount(); ++i) {
            if (const auto *item
                = table->item(i / table->columnCount(), i % table->columnCount())) {
                names << (item->text().isEmpty() ? QStringList() : QStringList { item->text() });
            }
        }
    }
    return names;
}

} // namespace

class TestNetconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<Site> m_site;
    FakeServices m_services;

    Snapshot records(int camera) const { return snapshot(*m_site->fleet, camera, Types); }

    // Camera `camera` with DDNS on for Dyndns, then `start`; the records it starts with.
    Snapshot setDdns(int camera, const QStringList &start = {})
    {
        const Snapshot r = changed(
            records(camera), QStringList { "ddns.enabled=1", "ddns.serverType=1" } + start);
        store(*m_site->fleet, camera, r);
        return r;
    }

private slots:
    void initTestCase()
    {
        m_site = std::make_unique<Site>("127.0.73.1", 18730, 2);
        QVERIFY(m_site->fleet);
    }

    void cleanupTestCase() { m_site.reset(); }

    void init()
    {
        for (int camera = 0; camera < m_site->fleet->count(); ++camera) {
            m_site->fleet->clearFault(camera);
            for (const QString &type : Types) {
                const quint32 command = findRecordType(type)->getCommand;
                m_site->fleet->setRecord(
                    camera, command, m_site->fleet->factoryRecord(camera, command));
            }
        }
        m_services.log.clear();
    }

    // Rows start from DDNS on with Dyndns (type 1). An address that is no
    // e-mail address stops the e-mail write alone, and its field gets the focus.
    void saveChangesOnlyTheEditedField_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("changes");
        QTest::addColumn<QString>("refusedAddress"); // the widget that gets the focus
        const auto row = [](const char *name, const Steps &steps, const QStringList &changes,
                             const QStringList &start = {}, const char *refused = "") {
            QTest::newRow(name) << start << steps << changes << QString::fromLatin1(refused);
        };
        const QString door = QStringLiteral("\u95e8");
        // The entry of a supplier that is off is shown too, so it goes back as read.
        row("DDNS switched on", { { "DDNSgroupBox", true } }, { "ddns.enabled=1" },
            { "ddns.enabled=0", "ddns.serverType=2" });
        // What was typed for Dyndns is dropped; the widgets go into PeanutHull's entry.
        row("DDNS supplier changed",
            { { "UsernamelineEdit", "typed" }, { "HostIndexcomboBox", 2 },
                { "DomainNamelineEdit", "cam.example" } },
            { "ddns.serverType=2", "ddns.entry2.domain=cam.example" });
        row("DDNS port held at 65535", { { "DDNSPortspinBox", 70000 } },
            { "ddns.entry1.serverPort=65535" });
        row("NTP port abc", { { "NTPPortlineEdit", "abc" } }, { "ntp.port=0" });
        row("NTP port 70000 is no port", { { "NTPPortlineEdit", "70000" } }, { "ntp.port=0" });
        row("NFS disk switch keeps what was typed",
            { { "NfsDirectorylineEdit", "/srv/first" }, { "DiskNumbercomboBox", 3 },
                { "NfsHostIPAddrlineEdit", "10.0.0.9" } },
            { "nfs.disk0.directory=/srv/first", "nfs.disk3.host=10.0.0.9" });
        row("Email sender name in the local code page",
            { { "SenderNamelineEdit", door + " camera" } },
            { "email.senderName=" + door + " camera" });
        // Eleven three-byte characters: the eleventh does not fit whole.
        row("Email account cut at a character", { { "AccountlineEdit", door.repeated(11) } },
            { "email.account=" + door.repeated(10) });
        row("Email third receiver",
            { { "EmailtableWidget", QVariantList { 2, 0, "Night shift" } },
                { "EmailtableWidget", QVariantList { 2, 1, "night@site.example" } } },
            { "email.receiver2.name=Night shift", "email.receiver2.address=night@site.example" });
        row("Email SMTP port held at 65535", { { "SmtpPortspinBox", 70000 } },
            { "email.smtpPort=65535" });
        row("Email interval 5 s", { { "comboInterval", 3 } }, { "email.mailInterval=3" });
        row("Email SMTP verify off", { { "SmtpServerVerifycheckBox", false } },
            { "email.smtpAuthentication=0" });
        row("Email empty sender", { { "SenderAddresslineEdit", "" } }, { "email.senderAddress=" });
        row("Email sender dotted on both sides",
            { { "SenderAddresslineEdit", "front.cam@site.example" } },
            { "email.senderAddress=front.cam@site.example" });
        row("Email empty receiver", { { "EmailtableWidget", QVariantList { 0, 1, "" } } },
            { "email.receiver0.address=" });
        const Steps ntp { { "NTPiplineEdit", "ntp.site.example" } };
        row("Email sender without a dot after the at sign",
            ntp + Steps { { "SenderAddresslineEdit", "cam@localhost" } },
            { "ntp.server=ntp.site.example" }, {}, "SenderAddresslineEdit");
        row("Email receiver without at sign",
            ntp + Steps { { "EmailtableWidget", QVariantList { 1, 1, "desk" } } },
            { "ntp.server=ntp.site.example" }, {}, "EmailtableWidget");
    }

    void saveChangesOnlyTheEditedField()
    {
        QFETCH(QStringList, start);
        QFETCH(Steps, steps);
        QFETCH(QString, refusedAddress);
        const Snapshot before = setDdns(0, start);
        // Another camera shown before, with DDNS on: nothing of it may reach camera 0.
        setDdns(1, { "ddns.serverType=3" });
        const auto other = m_site->login(1);
        const auto camera = m_site->login(0);
        TestPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.LoadConfig(other->userId());
        page.LoadConfig(camera->userId());
        QVERIFY(m_services.log.isEmpty());
        apply(page, steps);
        page.SaveDevNetCfg();
        QTEST(changes(before, records(0)), "changes");
        if (refusedAddress.isEmpty()) {
            QCOMPARE(m_services.log, SavedLines);
            QVERIFY(page.boxes.isEmpty());
            // What the templet would be written from.
            QTEST(changes(before,
                      { { "ddns", page.ddnsCfg().bytes() }, { "ntp", page.ntpCfg().bytes() },
                          { "nfs", page.nfsCfg().bytes() }, { "email", page.emailCfg().bytes() } }),
                "changes");
        } else {
            QCOMPARE(m_services.log, SavedLines.mid(0, 3));
            QCOMPARE(page.boxes, QStringList { "Error|Invalid email address!" });
            auto *table = child<QTableWidget>(page, "EmailtableWidget");
            auto *sender = child<QLineEdit>(page, "SenderAddresslineEdit");
            if (refusedAddress == sender->objectName()) {
                QTRY_VERIFY(sender->hasFocus());
                QCOMPARE(sender->selectedText(), sender->text());
            } else {
                QCOMPARE(table->currentRow(), 1);
                QCOMPARE(table->currentColumn(), 1);
            }
        }
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
        setDdns(0,
            { "ddns.enabled=0", QStringLiteral("ddns.serverType=%1").arg((serverType + 1) % 4) });
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
        // Unticking disables them all; ticking again must not enable the unused ones.
        for (const bool ticked : { true, false, true }) {
            child<QGroupBox>(page, "DDNSgroupBox")->setChecked(ticked);
            QCOMPARE(enabledNow(), ticked ? enabled : none);
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
            QTest::addRow("%s read fails", qPrintable(Names[section])) << section << true;
            QTest::addRow("%s set refused", qPrintable(Names[section])) << section << false;
        }
    }

    void oneFailingSectionLeavesTheOthers()
    {
        QFETCH(int, section);
        QFETCH(bool, readFails);
        const QSet<quint32> failing { findRecordType(Types[section])->getCommand };
        const Snapshot before = setDdns(0);
        setDdns(1);
        m_site->fail(
            0, readFails ? QSet<quint32>() : failing, readFails ? failing : QSet<quint32>());
        const auto other = m_site->login(1);
        const auto camera = m_site->login(0);
        TestPage page;
        page.LoadConfig(-1); // without a login the page is disabled and saves nothing
        QVERIFY(!page.isEnabled());
        page.SaveDevNetCfg();
        QVERIFY(m_services.log.isEmpty());
        page.LoadConfig(other->userId()); // fills every widget
        page.LoadConfig(camera->userId());
        QCOMPARE(m_services.log,
            readFails ? QStringList { "Failed to get " + Names[section] + " parameters!" }
                      : QStringList());
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(child(page, Frames[i])->isEnabled(), !readFails || i != section);
        }
        if (readFails) {
            QCOMPARE(showing(child(page, Frames[section])), QStringList());
        }

        // Even typed into, a section that was not read leaves the device's own record.
        m_services.log.clear();
        apply(page, EverySection);
        page.SaveDevNetCfg();
        QStringList lines = SavedLines;
        if (readFails) {
            lines.removeAt(section);
        } else {
            lines[section] = "Failed to set " + Names[section] + " parameters!";
        }
        QCOMPARE(m_services.log, lines);
        QStringList expected = EveryChange;
        expected.removeIf([&](const QString &c) { return c.startsWith(Types[section] + '.'); });
        QCOMPARE(changes(before, records(0)), expected);
    }
};

QTEST_MAIN(TestNetconfig)
#include "tst_netconfig.moc"
