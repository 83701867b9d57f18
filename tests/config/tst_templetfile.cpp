// The parameter templet's writer and reader, through real files.
#include "recordchanges.h"
#include "templetfile.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace configtest;

namespace {

constexpr char Pattern = char(0xA5); // every byte of a record before a read (165)
constexpr char Declaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

// A section of the templet, its record as bytes.
struct Section
{
    QString type; // the record's command-line name
    const char *element;
    std::function<bool(CTempletWriter &, const QByteArray &)> write;
    std::function<QByteArray(const CTempletReader &)> read; // over the pattern; empty: absent
};

template<typename Record>
Section section(const char *type, bool (CTempletWriter::*set)(const Record &),
    bool (CTempletReader::*get)(Record *) const)
{
    return { QLatin1String(type), Record::templetSection,
        [set](CTempletWriter &writer, const QByteArray &bytes) {
            Record record;
            return record.setBytes(bytes) && (writer.*set)(record);
        },
        [get](const CTempletReader &reader) {
            Record record;
            record.bytes().fill(Pattern);
            return (reader.*get)(&record) ? record.bytes() : QByteArray();
        } };
}

// In the order the frame writes them.
const QList<Section> Sections {
    section("front", &CTempletWriter::SetPreParam, &CTempletReader::GetPreParam),
    section(
        "compression", &CTempletWriter::SetCompressionParam, &CTempletReader::GetCompressionParam),
    section("picture", &CTempletWriter::SetPicParam, &CTempletReader::GetPicParam),
    section("record", &CTempletWriter::SetRECParam, &CTempletReader::GetRECParam),
    section("ddns", &CTempletWriter::SetDDNSParam, &CTempletReader::GetDDNSParam),
    section("nfs", &CTempletWriter::SetNFSParam, &CTempletReader::GetNFSParam),
    section("ntp", &CTempletWriter::SetNTPParam, &CTempletReader::GetNTPParam),
    section("email", &CTempletWriter::SetEmailParam, &CTempletReader::GetEmailParam),
    section("decoder", &CTempletWriter::SetPTZParam, &CTempletReader::GetPTZParam),
};

// The pattern with every field of `type` given a value of its own that is
// neither 0 nor the pattern; every other text fills its field's width.
QByteArray filled(const QString &type)
{
    const RecordType *record = findRecordType(type);
    QByteArray bytes(record->size, Pattern);
    int seed = 0;
    for (const RecordField &field : record->fields) {
        ++seed;
        QVariant value = qulonglong(field.limit == 0xFF ? 1 + seed % 160
                : field.limit == 0xFFFF                 ? 0x8000 + seed
                                                        : 0x80000800 + (seed << 12));
        if (field.kind == FieldKind::Text) {
            QByteArray text;
            for (quint32 i = 0; i < (seed % 2 ? field.limit : field.limit / 2); ++i) {
                text += char('!' + (seed + i * 7) % 94);
            }
            value = text;
        } else if (field.kind == FieldKind::Slot) {
            value = QString::asprintf("%02d:%02d-%02d:%02d/%d", seed % 24, seed % 60,
                (seed + 5) % 24, (seed + 7) % 60, 1 + seed % 9);
        }
        // The templet holds only the DDNS entry of the server type, 2 here.
        if (!field.name.startsWith(QLatin1String("entry"))
            || field.name.startsWith(QLatin1String("entry2."))) {
            field.write(bytes, value);
        }
    }
    return type == QLatin1String("ddns")
        ? changed({ { type, bytes } }, { "ddns.serverType=2" })[type]
        : bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(
        file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

bool xmllintAccepts(const QStringList &files)
{
    QProcess process;
    process.start(QStringLiteral("xmllint"), QStringList { QStringLiteral("--noout") } + files);
    process.waitForFinished(-1);
    if (const QByteArray errors = process.readAllStandardError(); !errors.isEmpty()) {
        qWarning("%s", errors.left(2000).constData());
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Writes `password` into both password fields and reads them back.
void passwordRoundTrip(const QString &file, const QByteArray &password)
{
    DdnsCfg ddns;
    ddns.setServerType(1);
    ddns.setPassword(1, password);
    EmailCfg email;
    email.setPassword(password);
    CTempletWriter writer;
    QVERIFY(writer.OpenTemplate(file) && writer.SetDDNSParam(ddns) && writer.SetEmailParam(email)
        && writer.Close());
    CTempletReader reader;
    QVERIFY(
        reader.LoadTemplate(file) && reader.GetDDNSParam(&ddns) && reader.GetEmailParam(&email));
    QCOMPARE(ddns.password(1), password.left(16));
    QCOMPARE(email.password(), password);
}

} // namespace

class TempletFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty(),
            "scripts/setup installs xmllint");
        QLoggingCategory::setFilterRules(QStringLiteral("tervix.config.debug=true"));
    }

    // Every field, the groups and all 56 schedule slots included, differs
    // from the pattern the records are read over.
    void roundTripsEverySectionInOrder()
    {
        QList<QByteArray> source;
        for (const Section &s : Sections) {
            source << filled(s.type);
        }
        // A Latin-1 name goes into the file one byte for each character.
        const QByteArray latin1("Cam\xe9ra \xc4\xd6\xdc\xdf \xa0\xff", 13);
        PicCfg picture;
        QVERIFY(picture.setBytes(source[2])); // Sections[2] is "picture"
        picture.setChannelName(latin1);
        source[2] = picture.bytes();
        const QString file = path("all.xml");
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file));
        for (int i = 0; i < Sections.size(); ++i) {
            QVERIFY(Sections[i].write(writer, source[i]));
        }
        QVERIFY(writer.Close());
        QVERIFY(xmllintAccepts({ file }));
        const QByteArray bytes = readFile(file);
        QVERIFY(bytes.startsWith(QByteArray(Declaration) + "<DevicePara><Front><Brightness>"));
        QVERIFY(bytes.contains("<ChanName>" + latin1 + "</ChanName>"));
        QCOMPARE(bytes.count("<RecordSched>"), 56);
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(file));
        qsizetype last = 0;
        for (int i = 0; i < Sections.size(); ++i) {
            const qsizetype at = bytes.indexOf(QByteArray("<") + Sections[i].element + '>');
            QVERIFY2(at > last, Sections[i].element);
            last = at;
            QCOMPARE(Sections[i].read(reader), source[i]);
        }
    }

    void writesTheExactFormat()
    {
        FrontCfg front;
        int value = 0;
        for (const FieldRow &row : FrontCfg::fields) {
            front.setFieldNumber(row, row.offset, quint32(++value));
        }
        NtpCfg ntp;
        ntp.setEnabled(1);
        ntp.setServer("pool <&> \xe9");
        ntp.setPort(123);
        const QString file = path("exact.xml");
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file) && writer.SetPreParam(front) && writer.SetNTPParam(ntp)
            && writer.Close());
        QCOMPARE(readFile(file),
            QByteArray(Declaration)
                + "<DevicePara><Front><Brightness>1</Brightness><Contrast>2</Contrast>"
                  "<Sharpness>3</Sharpness><Saturation>4</Saturation><Gain>5</Gain>"
                  "<Exposure><ExposureMode>6</ExposureMode><ExposureAuto>7</ExposureAuto>"
                  "</Exposure><IrisMode>8</IrisMode><DayNight><DayNightFilterType>9"
                  "</DayNightFilterType><DayToNightFilterLevel>10</DayToNightFilterLevel>"
                  "<NightToDayFilterLevel>11</NightToDayFilterLevel><DayNightFilterTime>12"
                  "</DayNightFilterTime></DayNight><LocalOutputGate>13</LocalOutputGate></Front>"
                  "<NTP><Enable>1</Enable><NTPServer>pool &lt;&amp;&gt; \xe9</NTPServer>"
                  "<NTPPort>123</NTPPort></NTP></DevicePara>\n");
    }

    // What a section read over the pattern changes; a file with only that
    // section, under a root of another name for "NTP".
    void overlaysWhatTheSectionHolds_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("changes");
        const auto row = [](const char *name, const char *type, const QByteArray &content,
                             const QStringList &changes) {
            QTest::newRow(name) << type << content << changes;
        };
        row("300 in a u8 gives 44", "front", "<Brightness>300</Brightness>",
            { "front.brightness=44" });
        row("signed element -1", "front", "<Gain>-1</Gain>", { "front.gain=255" });
        row("unsigned element -1", "picture", "<OsdType>-1</OsdType>", { "picture.osdType=0" });
        row("not a number", "front", "<Contrast>x5</Contrast>", { "front.contrast=0" });
        row("u32 overflow", "front", "<Exposure><ExposureAuto>4294967296</ExposureAuto></Exposure>",
            { "front.exposureTime=0" });
        row("element outside its group", "front", "<ExposureMode>1</ExposureMode>", {});
        row("only NTP, root Templet", "ntp",
            "<Enable>1</Enable><NTPServer>ntp.example</NTPServer><NTPPort>70000</NTPPort>",
            { "ntp.server=ntp.example", "ntp.enabled=1", "ntp.port=0" });
        row("40-character name", "picture", "<ChanName>" + QByteArray(40, 'n') + "</ChanName>",
            { "picture.channelName=" + QString(32, 'n') });
        row("receivers 2, 0 and 5", "email",
            "<Receiver><Number>2</Number><Name>two</Name></Receiver><Receiver><Number>0</Number>"
            "<Name>zero</Name></Receiver><Receiver><Number>5</Number><Name>5</Name></Receiver>",
            { "email.receiver0.name=zero", "email.receiver2.name=two" });
        // A day's all-day fields are always stored; slots go by their number.
        row("days and slots by their number", "record",
            "<DayRecord><Number>3</Number></DayRecord><DayRecord><Number>7</Number><AllDay>1"
            "</AllDay></DayRecord><DayRecord><AllDay>1</AllDay></DayRecord><DayRecord><Number>1"
            "</Number><RecordSched><Number>7</Number><StopHour>8</StopHour></RecordSched>"
            "<RecordSched><Number>8</Number><StartHour>9</StartHour></RecordSched></DayRecord>",
            { "record.day1.allDay=0", "record.day1.allDayType=0",
                "record.day1.slot7=165:165-08:165/165", "record.day3.allDay=0",
                "record.day3.allDayType=0" });
        row("DDNS entry of the file's server type", "ddns",
            "<ServerType>2</ServerType><DDNSServer><UserName>u</UserName></DDNSServer>",
            { "ddns.serverType=2", "ddns.entry2.userName=u" });
        row("DDNS server type without entry", "ddns",
            "<ServerType>12</ServerType><DDNSServer><UserName>u</UserName></DDNSServer>",
            { "ddns.serverType=12" });
    }

    void overlaysWhatTheSectionHolds()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, content);
        const Section &section = *std::find_if(
            Sections.begin(), Sections.end(), [&](const Section &s) { return s.type == type; });
        const QByteArray root = type == QLatin1String("ntp") ? "Templet" : "DevicePara";
        writeFile(path("section.xml"),
            QByteArray(Declaration) + '<' + root + "><" + section.element + '>' + content + "</"
                + section.element + "></" + root + '>');
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(path("section.xml")));
        for (const Section &other : Sections) {
            if (other.type != type) {
                QTest::ignoreMessage(QtDebugMsg,
                    qPrintable(QStringLiteral("can not find '%1' element!").arg(other.element)));
                QCOMPARE(other.read(reader), QByteArray());
            }
        }
        const QByteArray read = section.read(reader);
        QTEST(
            changes({ { type, QByteArray(read.size(), Pattern) } }, { { type, read } }), "changes");
    }

    void keepsPasswordsIntact_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("onFile"); // the e-mail password element, when checked
        const auto row
            = [](const char *name, const QByteArray &password, const QByteArray &onFile) {
                  QTest::newRow(name) << password << onFile;
              };
        row("empty", "", "<Password></Password>");
        row("default, with a control character", "60917",
            "<Password encoding=\"hex\">d1a1056b37</Password>");
        row("plain when it can be", "abcd", "<Password>\x86\xf3_&gt;</Password>");
        row("carriage return", "ab1d", "<Password>\x86\xf3&#13;&gt;</Password>");
        row("scrambles into a zero", "abcZ", "<Password encoding=\"hex\">86f35f00</Password>");
        row("spaces only", "   ", "<Password>   </Password>");
        row("16 characters", "0123456789ABCDEF", "");
        row("32 characters", "Zz0!Zz1@Zz2#Zz3$Zz4%Zz5^Zz6&Zz7*", "");
    }

    void keepsPasswordsIntact()
    {
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, onFile);
        passwordRoundTrip(path("password.xml"), password);
        QVERIFY(xmllintAccepts({ path("password.xml") }));
        const QByteArray bytes = readFile(path("password.xml"));
        QVERIFY2(bytes.contains("<SmtpServer>") && bytes.contains(onFile), bytes.constData());
    }

    void keepsRandomPasswordsIntact()
    {
        QRandomGenerator random(11);
        QStringList files;
        for (int i = 0; i < 1000 && !QTest::currentTestFailed(); ++i) {
            QByteArray password(random.bounded(1, 17), '\0');
            for (char &c : password) {
                c = char(random.bounded(0x20, 0x7f));
            }
            files << m_dir.filePath(QStringLiteral("random%1.xml").arg(i));
            passwordRoundTrip(files.last(), password);
        }
        QVERIFY(xmllintAccepts(files));
    }

    void refusesFilesItCannotUse()
    {
        const QString file = path("cut.xml");
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file) && writer.SetRECParam(RecordCfg()) && writer.Close());
        const QByteArray whole = readFile(file);
        CTempletReader reader;
        for (const qsizetype size : { whole.size() / 2, qsizetype(60), whole.size() - 3 }) {
            writeFile(file, whole.left(size));
            QTest::ignoreMessage(QtDebugMsg, "Parse xml file failed!");
            QVERIFY(!reader.LoadTemplate(file));
            QVERIFY(!reader.GetRECParam());
        }
        QTest::ignoreMessage(QtDebugMsg, "Open file failed!");
        QVERIFY(!reader.LoadTemplate(path("missing.xml")));
        QTest::ignoreMessage(QtDebugMsg, "Open file failed!");
        QVERIFY(!writer.OpenTemplate(path("missing/new.xml")));
        QVERIFY(!writer.SetNTPParam(NtpCfg()) && !writer.Close());
    }

    // The old file stays whole until Close() has written the new one.
    void replacesTheOldFileOnlyWhenWhole_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("lockFolder");
        QTest::addColumn<bool>("close");
        QTest::addColumn<bool>("saved");
        QTest::newRow("closed") << "old.xml" << false << true << true;
        QTest::newRow("abandoned") << "old.xml" << false << false << false;
        QTest::newRow("folder not writable") << "old.xml" << true << true << false;
        // A temporary name beside the old one is longer than a name may be.
        QTest::newRow("name at the length limit")
            << QString(251, 't') + ".xml" << false << true << false;
    }

    void replacesTheOldFileOnlyWhenWhole()
    {
        QFETCH(QString, name);
        QFETCH(bool, lockFolder);
        QFETCH(bool, close);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        writeFile(file, "old");
        QFile folder(dir.path());
        if (lockFolder) {
            QVERIFY(folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
            if (QFile probe(dir.filePath(QStringLiteral("probe")));
                probe.open(QIODevice::WriteOnly)) {
                folder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("this user writes into any folder");
            }
        }
        bool written = false;
        {
            CTempletWriter writer;
            written = writer.OpenTemplate(file) && writer.SetNTPParam(NtpCfg());
            QCOMPARE(readFile(file), QByteArray("old"));
            written = written && close && writer.Close();
        }
        folder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTEST(written, "saved");
        QTEST(readFile(file).contains("<NTP>"), "saved");
        QCOMPARE(readFile(file) == "old", !written);
    }
};

QTEST_GUILESS_MAIN(TempletFileTest)
#include "tst_templetfile.moc"
