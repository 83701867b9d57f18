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

class TestNetconfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<Site> m_site;
    FakeServices m_services;

    Snapshot records(int camera) const { return snapshot(*m_site->fleet, camera, Types); }

    // Camera `camera` with its DDNS as given; the snapshot it starts from.
    Snapshot setDdns(int camera, int enabled, int serverType)
    {
        const Snapshot r = changed(records(camera),
            { QStringLiteral("ddns.enabled=%1").arg(enabled),
                QStringLiteral("ddns.serverType=%1").arg(serverType) });
        store(*m_site->fleet, camera, r);
        return r;
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
            for (const QString &type : Types) {
                const quint32 command = findRecordType(type)->getCommand;
                m_site->fleet->setRecord(
                    camera, command, m_site->fleet->factoryRecord(camera, command));
            }
        }
        m_services.log.clear();
    }

    void saveChangesOnlyTheEditedField_data()
    {
        QTest::addColumn<int>("ddnsEnabled");
        QTest::addColumn<int>("serverType");
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<QStringList>("changes");
        const auto row = [](const char *name, int enabled, int type, const Steps &steps,
                             const QStringList &changes) {
            QTest::newRow(name) << enabled << type << steps << changes;
        };
        const QString door = QStringLiteral("\u95e8");
        // The entry of a supplier that is off is shown too, so it goes back as read.
        row("DDNS switched on", 0, 2, { { "DDNSgroupBox", true } }, { "ddns.enabled=1" });
        // What was typed for Dyndns is dropped; the widgets go into PeanutHull's entry.
        row("DDNS supplier changed", 1, 1,
            { { "UsernamelineEdit", "typed" }, { "HostIndexcomboBox", 2 },
                { "DomainNamelineEdit", "cam.example" } },
            { "ddns.serverType=2", "ddns.entry2.domain=cam.example" });
        row("DDNS port held at 65535", 1, 1, { { "DDNSPortspinBox", 70000 } },
            { "ddns.entry1.serverPort=65535" });
        row("NTP port abc", 1, 1, { { "NTPPortlineEdit", "abc" } }, { "ntp.port=0" });
        row("NTP port 70000 is no port", 1, 1, { { "NTPPortlineEdit", "70000" } },
            { "ntp.port=0" });
        row("NFS disk switch keeps what was typed", 1, 1,
            { { "NfsDirectorylineEdit", "/srv/first" }, { "DiskNumbercomboBox", 3 },
                { "NfsHostIPAddrlineEdit", "10.0.0.9" } },
            { "nfs.disk0.directory=/srv/first", "nfs.disk3.host=10.0.0.9" });
        row("Email sender name in the local code page", 1, 1,
            { { "SenderNamelineEdit", door + " camera" } },
            { "email.senderName=" + door + " camera" });
        // Eleven three-byte characters: the eleventh does not fit whole.
        row("Email account cut at a character", 1, 1, { { "AccountlineEdit", door.repeated(11) } },
            { "email.account=" + door.repeated(10) });
        row("Email third receiver", 1, 1,
            { { "EmailtableWidget", QVariantList { 2, 0, "Night shift" } },
                { "EmailtableWidget", QVariantList { 2, 1, "night@site.example" } } },
            { "email.receiver2.name=Night shift", "email.receiver2.address=night@site.example" });
        row("Email SMTP port held at 65535", 1, 1, { { "SmtpPortspinBox", 70000 } },
            { "email.smtpPort=65535" });
        row("Email interval 5 s", 1, 1, { { "comboInterval", 3 } }, { "email.mailInterval=3" });
        row("Email SMTP verify off", 1, 1, { { "SmtpServerVerifycheckBox", false } },
            { "email.smtpAuthentication=0" });
    }

    void saveChangesOnlyTheEditedField()
    {
        QFETCH(int, ddnsEnabled);
        QFETCH(int, serverType);
        QFETCH(Steps, steps);
        const Snapshot before = setDdns(0, ddnsEnabled, serverType);
        // Another camera shown before, with DDNS on: nothing of it may reach camera 0.
        setDdns(1, 1, (serverType + 1) % 4);
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
        QTEST(changes(before, records(0)), "changes");
        // What the templet would be written from.
        QTEST(changes(before,
                  { { "ddns", page.ddnsCfg().bytes() }, { "ntp", page.ntpCfg().bytes() },
                      { "nfs", page.nfsCfg().bytes() }, { "email", page.emailCfg().bytes() } }),
            "changes");
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
        setDdns(0, 0, (serverType + 1) % 4);
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
        const Snapshot before = setDdns(0, 1, 1);
        const auto camera = m_site->login(0);
        TestPage page;
        page.show();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        page.LoadConfig(camera->userId());
        apply(page, EverySection + Steps { { "SenderAddresslineEdit", sender } });
        if (receiverRow >= 0) {
            apply(page, { { "EmailtableWidget", QVariantList { receiverRow, 1, receiver } } });
        }
        page.SaveDevNetCfg();

        QStringList expected = EveryChange;
        if (!valid) {
            expected.removeAt(1); // the e-mail record is left as it was
        } else {
            expected << "email.senderAddress=" + sender;
            if (receiverRow >= 0) {
                expected << QStringLiteral("email.receiver%1.address=").arg(receiverRow) + receiver;
            }
        }
        QStringList written = changes(before, records(0));
        written.sort();
        expected.sort();
        QCOMPARE(written, expected);
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
            QTest::addRow("%s read fails", qPrintable(Names[section])) << section << true;
            QTest::addRow("%s set refused", qPrintable(Names[section])) << section << false;
        }
    }

    void oneFailingSectionLeavesTheOthers()
    {
        QFETCH(int, section);
        QFETCH(bool, readFails);
        const QSet<quint32> failing { findRecordType(Types[section])->getCommand };
        const Snapshot before = setDdns(0, 1, 1);
        setDdns(1, 1, 1);
        m_site->fail(
            0, readFails ? QSet<quint32>() : failing, readFails ? failing : QSet<quint32>());
        const auto other = m_site->login(1);
        const auto camera = m_site->login(0);
        TestPage page;
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

    void withoutLoginThePageIsDisabledAndSavesNothing()
    {
        const Snapshot before = records(0);
        TestPage page;
        page.LoadConfig(-1);
        QVERIFY(!page.isEnabled());
        page.SaveDevNetCfg();
        QVERIFY(m_services.log.isEmpty());
        QCOMPARE(changes(before, records(0)), QStringList());
    }
};

QTEST_MAIN(TestNetconfig)
#include "tst_netconfig.moc"
