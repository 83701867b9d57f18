// tervix-cli as a user runs it, against simulated cameras in this process.

#include "deviceformat.h"
#include "devicesdk.h"
#include "records.h"
#include "solvane.h"

#include "cliprocess.h"

#include <QJsonArray>

static constexpr quint16 Port = 18041;
enum Cam { Plain, Changed, Locked, Rebooted, Moved, MovedByMac, Count };

class CliTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<devsim::Fleet> m_fleet;

    QString ip(int index) const { return m_fleet->address(index); }

    // Every call gets the fleet's port unless it says otherwise.
    static Run cli(const QStringList &args, const Call &call = { .port = Port })
    {
        return runCli(args, call);
    }

    QString mac(int index) const
    {
        return formatMac(m_fleet->record(index, SOLV_GET_NETCFG).mid(SOLV_NETCFG_MAC_OFFSET, 6));
    }

    // What the device list shows of camera `index`, by the names of the facts.
    QMap<QString, QJsonValue> facts(int index) const
    {
        DeviceCfg device;
        device.setBytes(m_fleet->record(index, SOLV_GET_DEVICECFG));
        return {
            { "serial number", QString::fromLatin1(device.serialNumber()) },
            { "name", QString::fromLatin1(device.name()) },
            { "address", m_fleet->currentAddress(index) },
            { "port", m_fleet->currentPort(index) },
            { "mask", QStringLiteral("255.255.255.0") },
            { "gateway", QStringLiteral("127.0.41.254") },
            { "mac", mac(index) },
            { "model", QString::fromLatin1(seriesName(device.deviceType())) },
            { "software version",
                formatSoftwareVersion(device.softwareVersion(), device.softwareBuildDate()) },
            { "dsp version", formatDspVersion(device.dspVersion(), device.dspBuildDate()) },
        };
    }

    // The key under which `object` reports each fact it holds; a fact
    // reported under two keys fails. "host" repeats the command line.
    static QMap<QString, QString> keysOf(
        const QJsonObject &object, const QMap<QString, QJsonValue> &facts)
    {
        QMap<QString, QString> keys;
        for (auto fact = facts.cbegin(); fact != facts.cend(); ++fact) {
            for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
                if (it.key() != QLatin1String("host") && it.value() == fact.value()) {
                    if (keys.contains(fact.key())) {
                        qWarning("%s under both %s and %s", qPrintable(fact.key()),
                            qPrintable(keys.value(fact.key())), qPrintable(it.key()));
                        return {};
                    }
                    keys.insert(fact.key(), it.key());
                }
            }
        }
        return keys;
    }

private slots:
    void initTestCase()
    {
        m_fleet = startCliFleet({ .count = Count,
            .firstAddress = QStringLiteral("127.0.41.1"),
            .port = Port,
            .passwords = { { Locked, "s3cret" } },
            .timeScale = 0.01 });
        QVERIFY(m_fleet);
    }

    void setChangesOnlyTheNamedFieldsAndRestoreUndoes()
    {
        const QByteArray before = m_fleet->record(Changed, SOLV_GET_FRONTCFG);
        const quint8 brightness = quint8(before.at(4)) == 12 ? 13 : 12;
        const Run set = cli({ "set", ip(Changed), "front",
            QStringLiteral("brightness=%1").arg(brightness), "exposureTime=40000" });
        QCOMPARE(set.exitCode, 0);
        QByteArray expected = before;
        expected[4] = char(brightness);
        expected.replace(32, 4, QByteArray::fromHex("409c0000"));
        QCOMPARE(m_fleet->record(Changed, SOLV_GET_FRONTCFG), expected);

        const Run get = cli({ "get", ip(Changed), "front", "--json" });
        QCOMPARE(get.exitCode, 0);
        QCOMPARE(get.json().value("brightness").toInt(), int(brightness));
        QCOMPARE(cli({ "restore", ip(Changed) }).exitCode, 0);
        QCOMPARE(m_fleet->record(Changed, SOLV_GET_FRONTCFG),
            m_fleet->factoryRecord(Changed, SOLV_GET_FRONTCFG));
    }

    // The password need not stand in the process list.
    void passwordSources_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        const auto row = [](const char *name, const QStringList &args, const char *environment,
                             const char *input, int exitCode) {
            QTest::newRow(name) << args << QString(environment) << QByteArray(input) << exitCode;
        };
        row("option", { "--password", "s3cret" }, "", "", 0);
        row("environment", {}, "TERVIX_PASSWORD=s3cret", "", 0);
        row("standard input", { "--password-stdin" }, "", "s3cret\n", 0);
        row("option over environment", { "--password", "s3cret" }, "TERVIX_PASSWORD=60917", "", 0);
        row("standard input over environment", { "--password-stdin" }, "TERVIX_PASSWORD=60917",
            "s3cret\r\n", 0);
        row("wrong one in the environment", {}, "TERVIX_PASSWORD=60917", "", 1);
    }

    void passwordSources()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, environment);
        QFETCH(QByteArray, input);
        const Run run = cli(QStringList { "info", ip(Locked) } + args,
            { .port = Port,
                .environment = environment.isEmpty() ? QStringList() : QStringList { environment },
                .input = input });
        QTEST(run.exitCode, "exitCode");
        if (run.exitCode == 1) {
            const QByteArray reason = sdkErrorText(SOLV_PASSWORD_ERROR).toUtf8() + " (SDK error 1)";
            QVERIFY2(run.err.contains(reason), run.err.constData());
        }
    }

    // Exit 2 with the reason, and nothing sent: HOST is a camera, reached
    // with the fleet's port, whose record stays as it was.
    void commandLineErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QStringList &args, const char *message) {
            QTest::newRow(name) << args << QString(message);
        };
        row("unknown field", { "set", "HOST", "front", "brilliance=5" }, "usage: tervix-cli set");
        row("one bad among good", { "set", "HOST", "front", "contrast=5", "gain=x" },
            "usage: tervix-cli set");
        row("unknown ability", { "ability", "HOST", "lens" }, "usage: tervix-cli ability");
        row("unknown command", { "frobnicate", "HOST" }, "\"frobnicate\"");
        row("option of another command", { "info", "HOST", "--channel=2" },
            "info does not take the option --channel");
        row("negative seconds", { "discover", "--seconds", "-1" },
            "--seconds takes a number from 1 to 3600, not \"-1\"");
        row("seconds not a number", { "discover", "--seconds=soon" },
            "--seconds takes a number from 1 to 3600, not \"soon\"");
        row("option of other commands", { "discover", "--port", "8000" },
            "discover does not take the option --port");
        row("option of none", { "info", "127.0.41.1", "--colour" }, "unknown option --colour");
        row("port out of range", { "info", "127.0.41.1", "--port", "0" },
            "--port takes a number from 1 to 65535, not \"0\"");
        row("two password sources", { "info", "127.0.41.1", "--password", "x", "--password-stdin" },
            "give the password with --password or --password-stdin, not both");
        row("no address", { "search", "127.0.41.1", "127.0.41" },
            "\"127.0.41\" is not an IPv4 address");
    }

    void commandLineErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const QByteArray front = m_fleet->record(Plain, SOLV_GET_FRONTCFG);
        const quint16 port = args.contains("HOST") ? Port : 0;
        const Run run = cli(args.replaceInStrings("HOST", ip(Plain)), { .port = port });
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(message.toUtf8()), run.err.constData());
        QVERIFY(run.out.isEmpty());
        QCOMPARE(m_fleet->record(Plain, SOLV_GET_FRONTCFG), front);
    }

    // A bare call prints the usage to standard error, help to standard output.
    void usageHelpAndVersion()
    {
        const Run bare = cli({}, {});
        QCOMPARE(bare.exitCode, 2);
        QVERIFY(bare.out.isEmpty());
        QVERIFY2(bare.err.startsWith("usage: tervix-cli"), bare.err.constData());
        QVERIFY(bare.err.contains("set-network"));
        const Run help = cli({ "help" }, {});
        QCOMPARE(help.exitCode, 0);
        QCOMPARE(help.out, bare.err);
        const Run version = cli({ "--version" }, {});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("tervix-cli " TERVIX_VERSION "\n"));
    }

    // Debug lines are for developers and only shown with TERVIX_DEBUG=1.
    void searchWritesNothingToStandardError()
    {
        const Run run = cli({ "search", ip(0), ip(Count - 1) });
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("devices found"));
        QCOMPARE(run.err, QByteArray());
    }

    // A script reads the same fact under the same key from every command.
    void sameFactsHaveTheSameKeys()
    {
        QMap<QString, QMap<QString, QString>> keys; // command -> fact -> key

        const Run info = cli({ "info", ip(Plain), "--json" });
        QCOMPARE(info.exitCode, 0);
        keys["info"] = keysOf(info.json(), facts(Plain));
        QCOMPARE(keys["info"],
            (QMap<QString, QString> { { "serial number", "serialNumber" }, { "name", "name" },
                { "address", "ipAddress" }, { "port", "port" }, { "mask", "subnetMask" },
                { "gateway", "gateway" }, { "mac", "mac" }, { "model", "model" },
                { "software version", "softwareVersion" }, { "dsp version", "dspVersion" } }));
        DeviceCfg device;
        QVERIFY(device.setBytes(m_fleet->record(Plain, SOLV_GET_DEVICECFG)));
        QCOMPARE(info.json().value("channels").toInt(), int(device.channelCount()));
        const Run text = cli({ "info", ip(Plain) });
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains("serialNumber: ") && text.out.contains(device.serialNumber()));

        const Run search = cli({ "search", ip(Plain), ip(Plain), "--json" });
        QCOMPARE(search.exitCode, 0);
        const QJsonArray found = search.json().value("found").toArray();
        QCOMPARE(found.size(), 1);
        keys["search"] = keysOf(found.first().toObject(), facts(Plain));

        const Run discover = cli({ "discover", "--seconds", "1", "--json" }, {});
        QCOMPARE(discover.exitCode, 0);
        const QString plainMac = mac(Plain);
        for (const QJsonValue &announced : QJsonDocument::fromJson(discover.out).array()) {
            if (announced.toObject().value("mac") == plainMac) {
                keys["discover"] = keysOf(announced.toObject(), facts(Plain));
            }
        }

        QMap<QString, QJsonValue> changed = facts(Moved);
        changed["address"] = QStringLiteral("127.0.42.5");
        changed["name"] = QStringLiteral("Gate");
        const Run moved = cli({ "set-network", ip(Moved), "--ip", "127.0.42.5", "--mask",
            "255.255.255.0", "--gateway", "127.0.41.254", "--name", "Gate", "--json" });
        QCOMPARE(moved.exitCode, 0);
        keys["set-network"] = keysOf(QJsonDocument::fromJson(moved.out)[0].toObject(), changed);

        // An announced device is named by its MAC, and the MAC is reported as one.
        changed = facts(MovedByMac);
        changed["address"] = QStringLiteral("127.0.42.6");
        const Run byMac = cli({ "set-network", mac(MovedByMac), "--ip", "127.0.42.6", "--mask",
            "255.255.255.0", "--json" });
        QCOMPARE(byMac.exitCode, 0);
        keys["set-network MAC"] = keysOf(QJsonDocument::fromJson(byMac.out)[0].toObject(), changed);

        QCOMPARE(keys["search"].size(), 10);
        QVERIFY2(keys["discover"].size() >= 6, qPrintable(keys["discover"].keys().join(", ")));
        QCOMPARE(keys["set-network"].size(), 6);
        QCOMPARE(keys["set-network MAC"].size(), 4);
        QCOMPARE(keys["set-network MAC"].value("mac"), QStringLiteral("mac"));
        for (auto command = keys.cbegin(); command != keys.cend(); ++command) {
            for (auto fact = command->cbegin(); fact != command->cend(); ++fact) {
                QVERIFY2(fact.value() == keys["info"].value(fact.key()),
                    qPrintable(QStringLiteral("%1 reports the %2 as \"%3\", info as \"%4\"")
                                   .arg(command.key(), fact.key(), fact.value(),
                                       keys["info"].value(fact.key()))));
            }
        }
    }

    void abilityPtzAndReboot()
    {
        const Run camera = cli({ "ability", ip(Plain), "camera", "--buffer=64", "--json" });
        QCOMPARE(camera.exitCode, 0);
        QVERIFY(camera.json().value("text").toString().contains("exposureUSERSET"));
        QVERIFY(camera.json().value("calls").toInt() > 1);

        const Run ptz = cli({ "ptz-protocols", ip(Plain), "--json" });
        QCOMPARE(ptz.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(ptz.out).array().size(), 20);
        QCOMPARE(cli({ "reboot", ip(Rebooted) }).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fleet->isOnline(Rebooted), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_fleet->isOnline(Rebooted), 10000);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
