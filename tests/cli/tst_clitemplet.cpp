// tervix-cli templet save and show, against simulated cameras in this process.

#include "cliprocess.h"
#include "recordfields.h"
#include "records.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

static constexpr quint16 Port = 18074;

namespace {

Run cli(const QStringList &args)
{
    return runCli(args, { .port = Port });
}

// The templet sections on the command line and the records they hold.
const QList<QPair<QString, QString>> Sections
    = { { "front", "front" }, { "compression", "compression" }, { "picture", "picture" },
          { "record", "record" }, { "ddns", "ddns" }, { "nfs", "nfs" }, { "ntp", "ntp" },
          { "email", "email" }, { "rs485", "decoder" } };

} // namespace

class CliTempletTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;
    QTemporaryDir m_dir;

    QString ip() const { return m_fleet->address(0); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_fleet = startCliFleet({ .count = 1,
            .firstAddress = QStringLiteral("127.0.74.1"),
            .port = Port,
            .discoveryPort = 0 });
        QVERIFY(m_fleet);
    }

    void saveThenShowReadsBackTheCamera()
    {
        // A password that scrambles into a control character, and one that does not.
        EmailCfg email;
        email.setBytes(m_fleet->record(0, EmailCfg::getCommand));
        email.setPassword("60917");
        m_fleet->setRecord(0, EmailCfg::getCommand, email.bytes());
        DdnsCfg ddns;
        ddns.setBytes(m_fleet->record(0, DdnsCfg::getCommand));
        ddns.setServerType(2);
        ddns.setPassword(2, "abcd");
        m_fleet->setRecord(0, DdnsCfg::getCommand, ddns.bytes());

        const QString file = m_dir.filePath(QStringLiteral("camera.xml"));
        const Run save = cli({ "templet", "save", ip(), file });
        QVERIFY2(save.exitCode == 0, save.err.constData());
        const Run show = cli({ "templet", "show", file, "--json" });
        QVERIFY2(show.exitCode == 0, show.err.constData());
        const QJsonObject shown = show.json();
        QCOMPARE(shown.size(), Sections.size());
        for (const auto &[section, recordName] : Sections) {
            const RecordType *type = findRecordType(recordName);
            const QByteArray camera = m_fleet->record(0, type->getCommand);
            const QJsonObject fields = shown.value(section).toObject();
            // DDNS holds the entry of its server type alone.
            QCOMPARE(fields.size(), section == "ddns" ? 7 : type->fields.size());
            for (const RecordField &field : type->fields) {
                if (!fields.contains(field.name)) {
                    continue;
                }
                const QVariant value = field.read(camera);
                const QJsonValue expected = field.kind == FieldKind::Number
                    ? QJsonValue(qint64(value.toULongLong()))
                    : QJsonValue(field.kind == FieldKind::Text
                            ? QString::fromLatin1(value.toByteArray())
                            : value.toString());
                QVERIFY2(
                    fields.value(field.name) == expected, qPrintable(section + '.' + field.name));
            }
        }
        QCOMPARE(shown.value("email").toObject().value("password").toString(), "60917");
        QCOMPARE(shown.value("ddns").toObject().value("entry2.password").toString(), "abcd");
    }

    void sectionsPickSections()
    {
        const QString file = m_dir.filePath(QStringLiteral("two.xml"));
        QCOMPARE(cli({ "templet", "save", ip(), file, "--sections", "ntp,front" }).exitCode, 0);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.indexOf("<Front>") > 0 && bytes.indexOf("<NTP>") > bytes.indexOf("<Front>"));

        const Run show = cli({ "templet", "show", file, "--json" });
        QCOMPARE(show.exitCode, 0);
        for (const auto &[section, recordName] : Sections) {
            const QJsonValue value = show.json().value(section);
            QVERIFY2(section == "front" || section == "ntp" ? value.isObject() : value.isNull(),
                qPrintable(section));
        }
        const Run text = cli({ "templet", "show", file, "--sections", "ntp,email" });
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.startsWith("[ntp]\n") && text.out.endsWith("[email] absent\n"));
    }

    void wrongCommandLinesAreUsageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown section") << QStringList { "save", "HOST", "FILE", "--sections",
            "front,lens" } << "unknown section \"lens\"";
        QTest::newRow("unknown section to show")
            << QStringList { "show", "FILE", "--sections", "" } << "unknown section \"\"";
        QTest::newRow("save without a file")
            << QStringList { "save", "HOST" } << "templet takes save HOST FILE";
        QTest::newRow("option of apply") << QStringList { "save", "HOST", "FILE", "--reboot" }
                                         << "templet save does not take --reboot";
    }

    void wrongCommandLinesAreUsageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QString file = m_dir.filePath(QStringLiteral("never.xml"));
        args.replaceInStrings(QStringLiteral("HOST"), ip());
        args.replaceInStrings(QStringLiteral("FILE"), file);
        const Run run = cli(QStringList { "templet" } + args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(!QFile::exists(file));
    }
};

QTEST_GUILESS_MAIN(CliTempletTest)
#include "tst_clitemplet.moc"
