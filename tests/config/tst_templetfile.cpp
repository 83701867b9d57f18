// The parameter templet's writer and reader, through real files.
#include "templetfile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr char Pattern = char(0xA5); // every byte of a record before a read
constexpr char Declaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

template<typename Record> Record patterned()
{
    Record record;
    record.bytes().fill(Pattern);
    return record;
}

// Gives each field a value of its own that is neither 0 nor the pattern;
// every other text fills its field's width.
struct Filler
{
    int seed = 0;
    void rows(RecordBuffer &record, std::span<const FieldRow> rows, int base)
    {
        for (const FieldRow &row : rows) {
            ++seed;
            const int at = base + row.offset;
            if (row.type == FieldType::Text) {
                QByteArray text;
                for (int i = 0; i < (seed % 2 ? row.width : row.width / 2); ++i) {
                    text += char('!' + (seed + i * 7) % 94);
                }
                record.setFieldBytes(row, at, text);
            } else if (row.type == FieldType::U8) {
                record.setFieldNumber(row, at, quint32(1 + seed % 160));
            } else {
                record.setFieldNumber(row, at,
                    row.type == FieldType::U16 ? 0x8000u + seed : 0x80000800u + (seed << 12));
            }
        }
    }
};

struct Records
{
    FrontCfg front = patterned<FrontCfg>();
    CompressCfg compression = patterned<CompressCfg>();
    PicCfg picture = patterned<PicCfg>();
    RecordCfg schedule = patterned<RecordCfg>();
    DdnsCfg ddns = patterned<DdnsCfg>();
    NfsCfg nfs = patterned<NfsCfg>();
    NtpCfg ntp = patterned<NtpCfg>();
    EmailCfg email = patterned<EmailCfg>();
    DecoderCfg decoder = patterned<DecoderCfg>();
};

Records filledRecords()
{
    Records r;
    Filler f;
    f.rows(r.front, FrontCfg::fields, 0);
    for (const NamedEntry &stream : CompressCfg::streams) {
        f.rows(r.compression, CompressCfg::entryFields, CompressCfg::entries.at(stream.index, 0));
    }
    f.rows(r.picture, PicCfg::fields, 0);
    f.rows(r.schedule, RecordCfg::fields, 0);
    for (int d = 0; d < 7; ++d) {
        f.rows(r.schedule, RecordCfg::entryFields, RecordCfg::entries.at(d, 0));
        for (int s = 0; s < 8; ++s) {
            f.rows(r.schedule, RecordCfg::slotFields, RecordCfg::slotOffset(d, s, 0));
        }
    }
    f.rows(r.ddns, DdnsCfg::fields, 0);
    r.ddns.setServerType(2);
    f.rows(r.ddns, DdnsCfg::entryFields, DdnsCfg::entries.at(2, 0));
    for (int n = 0; n < 8; ++n) {
        f.rows(r.nfs, NfsCfg::entryFields, NfsCfg::entries.at(n, 0));
    }
    f.rows(r.ntp, NtpCfg::fields, 0);
    f.rows(r.email, EmailCfg::fields, 0);
    for (int n = 0; n < 3; ++n) {
        f.rows(r.email, EmailCfg::entryFields, EmailCfg::entries.at(n, 0));
    }
    f.rows(r.decoder, DecoderCfg::fields, 0);
    return r;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool xmllintAccepts(const QStringList &files)
{
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty()) {
        qWarning("xmllint is missing; scripts/setup installs it");
        return false;
    }
    QProcess process;
    process.start(xmllint, QStringList { QStringLiteral("--noout") } + files);
    process.waitForFinished(-1);
    const QByteArray errors = process.readAllStandardError();
    if (!errors.isEmpty()) {
        qWarning("%s", errors.left(2000).constData());
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

class TempletFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The record a section of `document` gives over a patterned record.
    QByteArray readSection(const QByteArray &document, const QString &section)
    {
        writeFile(path(QStringLiteral("section.xml")), document);
        CTempletReader reader;
        if (!reader.LoadTemplate(path(QStringLiteral("section.xml")))) {
            return "not loaded";
        }
        auto read = [&reader]<typename Record>(bool (CTempletReader::*get)(Record *) const) {
            Record record = patterned<Record>();
            return (reader.*get)(&record) ? record.bytes() : QByteArray("absent");
        };
        if (section == QLatin1String("Front")) {
            return read(&CTempletReader::GetPreParam);
        }
        if (section == QLatin1String("Picture")) {
            return read(&CTempletReader::GetPicParam);
        }
        if (section == QLatin1String("Record")) {
            return read(&CTempletReader::GetRECParam);
        }
        if (section == QLatin1String("DDNS")) {
            return read(&CTempletReader::GetDDNSParam);
        }
        if (section == QLatin1String("NTP")) {
            return read(&CTempletReader::GetNTPParam);
        }
        return read(&CTempletReader::GetEmailParam);
    }

    void writePasswords(const QString &file, const QByteArray &password)
    {
        DdnsCfg ddns;
        ddns.setServerType(1);
        ddns.setPassword(1, password);
        EmailCfg email;
        email.setPassword(password);
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file));
        QVERIFY(writer.SetDDNSParam(ddns) && writer.SetEmailParam(email));
        QVERIFY(writer.Close());
    }

    void comparePasswords(const QString &file, const QByteArray &password)
    {
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(file));
        DdnsCfg ddns;
        EmailCfg email;
        QVERIFY(reader.GetDDNSParam(&ddns) && reader.GetEmailParam(&email));
        QCOMPARE(ddns.password(1), password.left(16));
        QCOMPARE(email.password(), password);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QLoggingCategory::setFilterRules(QStringLiteral("tervix.config.debug=true"));
    }

    void roundTripsEverySectionInOrder()
    {
        const Records source = filledRecords();
        const QString file = path(QStringLiteral("all.xml"));
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file));
        QVERIFY(writer.SetPreParam(source.front) && writer.SetCompressionParam(source.compression)
            && writer.SetPicParam(source.picture) && writer.SetRECParam(source.schedule)
            && writer.SetDDNSParam(source.ddns) && writer.SetNFSParam(source.nfs)
            && writer.SetNTPParam(source.ntp) && writer.SetEmailParam(source.email)
            && writer.SetPTZParam(source.decoder));
        QVERIFY(writer.Close());
        QVERIFY(xmllintAccepts({ file }));

        const QByteArray bytes = readFile(file);
        QVERIFY(bytes.startsWith(QByteArray(Declaration) + "<DevicePara><Front><Brightness>"));
        qsizetype last = 0;
        for (const char *section : { "Front", "Compression", "Picture", "Record", "DDNS", "NFS",
                 "NTP", "Email", "RS485" }) {
            const qsizetype at = bytes.indexOf(QByteArray("<") + section + '>');
            QVERIFY2(at > last, section);
            last = at;
        }
        QCOMPARE(bytes.count("<RecordSched>"), 56);

        Records read;
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(file));
        QVERIFY(reader.GetPreParam(&read.front) && reader.GetCompressionParam(&read.compression)
            && reader.GetPicParam(&read.picture) && reader.GetRECParam(&read.schedule)
            && reader.GetDDNSParam(&read.ddns) && reader.GetNFSParam(&read.nfs)
            && reader.GetNTPParam(&read.ntp) && reader.GetEmailParam(&read.email)
            && reader.GetPTZParam(&read.decoder));
        QCOMPARE(read.front.bytes(), source.front.bytes());
        QCOMPARE(read.compression.bytes(), source.compression.bytes());
        QCOMPARE(read.picture.bytes(), source.picture.bytes());
        QCOMPARE(read.schedule.bytes(), source.schedule.bytes());
        QCOMPARE(read.ddns.bytes(), source.ddns.bytes());
        QCOMPARE(read.nfs.bytes(), source.nfs.bytes());
        QCOMPARE(read.ntp.bytes(), source.ntp.bytes());
        QCOMPARE(read.email.bytes(), source.email.bytes());
        QCOMPARE(read.decoder.bytes(), source.decoder.bytes());
    }

    void writesTheExactFormat()
    {
        FrontCfg front;
        front.setBrightness(1);
        front.setContrast(2);
        front.setSharpness(3);
        front.setSaturation(4);
        front.setGain(5);
        front.setExposureMode(1);
        front.setExposureTime(40000);
        front.setIrisMode(1);
        front.setDayNightFilterType(2);
        front.setDayToNightSensitivity(3);
        front.setNightToDaySensitivity(4);
        front.setDayNightFilterTime(5);
        front.setLocalOutput(20);
        NtpCfg ntp;
        ntp.setEnabled(1);
        ntp.setServer("pool <&> \xe9");
        ntp.setPort(123);
        const QString file = path(QStringLiteral("exact.xml"));
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file));
        QVERIFY(writer.SetPreParam(front) && writer.SetNTPParam(ntp));
        QVERIFY(writer.Close());
        QCOMPARE(readFile(file),
            QByteArray(Declaration)
                + "<DevicePara><Front><Brightness>1</Brightness><Contrast>2</Contrast>"
                  "<Sharpness>3</Sharpness><Saturation>4</Saturation><Gain>5</Gain>"
                  "<Exposure><ExposureMode>1</ExposureMode><ExposureAuto>40000</ExposureAuto>"
                  "</Exposure><IrisMode>1</IrisMode><DayNight><DayNightFilterType>2"
                  "</DayNightFilterType><DayToNightFilterLevel>3</DayToNightFilterLevel>"
                  "<NightToDayFilterLevel>4</NightToDayFilterLevel><DayNightFilterTime>5"
                  "</DayNightFilterTime></DayNight><LocalOutputGate>20</LocalOutputGate></Front>"
                  "<NTP><Enable>1</Enable><NTPServer>pool &lt;&amp;&gt; \xe9</NTPServer>"
                  "<NTPPort>123</NTPPort></NTP></DevicePara>\n");
    }

    void readsOnlyTheSectionsPresent()
    {
        writeFile(path(QStringLiteral("ntp.xml")),
            QByteArray(Declaration)
                + "<Templet><NTP><Enable>1</Enable><NTPServer>ntp.example</NTPServer>"
                  "<NTPPort>123</NTPPort></NTP></Templet>");
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(path(QStringLiteral("ntp.xml"))));
        NtpCfg ntp = patterned<NtpCfg>();
        QVERIFY(reader.GetNTPParam());
        QVERIFY(reader.GetNTPParam(&ntp));
        QCOMPARE(ntp.enabled(), quint8(1));
        QCOMPARE(ntp.server(), QByteArray("ntp.example"));
        QCOMPARE(ntp.port(), quint16(123));
        for (const char *section :
            { "Front", "Compression", "Picture", "Record", "DDNS", "NFS", "Email", "RS485" }) {
            QTest::ignoreMessage(
                QtDebugMsg, qPrintable(QStringLiteral("can not find '%1' element!").arg(section)));
        }
        FrontCfg front = patterned<FrontCfg>();
        QVERIFY(!reader.GetPreParam(&front));
        QCOMPARE(front.bytes(), patterned<FrontCfg>().bytes());
        QVERIFY(!reader.GetCompressionParam() && !reader.GetPicParam() && !reader.GetRECParam()
            && !reader.GetDDNSParam() && !reader.GetNFSParam() && !reader.GetEmailParam()
            && !reader.GetPTZParam());
    }

    void overlaysWhatTheSectionHolds_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray pattern(1900, Pattern);
        QTest::newRow("300 in a u8 gives 44")
            << "Front" << QByteArray("<Brightness>300</Brightness>") << 4 << QByteArray("\x2c");
        QTest::newRow("signed element -1")
            << "Front" << QByteArray("<Gain>-1</Gain>") << 12 << QByteArray("\xff");
        QTest::newRow("signed element over 31 bits")
            << "Front" << QByteArray("<Sharpness>2147483905</Sharpness>") << 6 << QByteArray(1, 0);
        QTest::newRow("unsigned element -1")
            << "Picture" << QByteArray("<OsdType>-1</OsdType>") << 7684 << QByteArray(1, 0);
        QTest::newRow("not a number")
            << "Front" << QByteArray("<Contrast>x5</Contrast>") << 5 << QByteArray(1, 0);
        QTest::newRow("u32 maximum")
            << "Front" << QByteArray("<Exposure><ExposureAuto>4294967295</ExposureAuto></Exposure>")
            << 32 << QByteArray(4, char(0xff));
        QTest::newRow("u32 overflow")
            << "Front" << QByteArray("<Exposure><ExposureAuto>4294967296</ExposureAuto></Exposure>")
            << 32 << QByteArray(4, 0);
        QTest::newRow("u16 above 65535")
            << "NTP" << QByteArray("<NTPPort>70000</NTPPort>") << 70 << QByteArray(2, 0);
        QTest::newRow("missing element")
            << "Front" << QByteArray("<Contrast>7</Contrast>") << 4 << QByteArray("\xa5\x07\xa5");
        QTest::newRow("element outside its group")
            << "Front" << QByteArray("<ExposureMode>1</ExposureMode>") << 28
            << QByteArray(1, Pattern);
        QTest::newRow("40-character name") << "Picture"
                                           << "<ChanName>" + QByteArray(40, 'n') + "</ChanName>"
                                           << 4 << QByteArray(32, 'n') + Pattern;
        QTest::newRow("short name zero-padded")
            << "Picture" << QByteArray("<ChanName>ab</ChanName>") << 4 << "ab" + QByteArray(30, 0);
        QTest::newRow("receivers 2, 0 and 5")
            << "Email"
            << QByteArray("<Receiver><Number>2</Number><Name>two</Name></"
                          "Receiver><Receiver><Number>0</Number>"
                          "<Name>zero</Name></Receiver><Receiver><Number>5</Number><Name>five</"
                          "Name></Receiver>")
            << 244
            << "zero" + QByteArray(28, 0) + pattern.left(128) + "two" + QByteArray(29, 0)
                + pattern.left(48) + Pattern;
        QTest::newRow("used day stores its all-day fields")
            << "Record" << QByteArray("<DayRecord><Number>3</Number></DayRecord>") << 20
            << QByteArray("\0\0\0\xa5", 4);
        QTest::newRow("day out of range")
            << "Record"
            << QByteArray("<DayRecord><Number>7</Number><AllDay>1</AllDay></"
                          "DayRecord><DayRecord><AllDay>1</AllDay></DayRecord>")
            << 4 << pattern.left(504);
        QTest::newRow("slots by their number")
            << "Record"
            << QByteArray("<DayRecord><Number>1</Number><AllDay>1</AllDay><RecordSched><Number>7</"
                          "Number><StopHour>8</StopHour></RecordSched>"
                          "<RecordSched><Number>8</Number><StartHour>9</StartHour></RecordSched></"
                          "DayRecord>")
            << 12 << QByteArray("\1\0\0\xa5", 4) + pattern.left(142) + "\x08" + pattern.left(12);
        QTest::newRow("DDNS entry of the file's server type")
            << "DDNS"
            << QByteArray("<Enable>1</Enable><ServerType>2</ServerType><DDNSServer><UserName>u</"
                          "UserName></DDNSServer>")
            << 0 << "\x01\x02" + pattern.left(378) + "u" + QByteArray(31, 0) + Pattern;
        QTest::newRow("DDNS server type without entry")
            << "DDNS"
            << QByteArray(
                   "<ServerType>12</ServerType><DDNSServer><UserName>u</UserName></DDNSServer>")
            << 1 << "\x0c" + pattern.left(1898);
    }

    void overlaysWhatTheSectionHolds()
    {
        QFETCH(QString, section);
        QFETCH(QByteArray, content);
        QFETCH(int, offset);
        QFETCH(QByteArray, expected);
        const QByteArray element = section.toLatin1();
        const QByteArray record = readSection(QByteArray(Declaration) + "<DevicePara><" + element
                + '>' + content + "</" + element + "></DevicePara>",
            section);
        QCOMPARE(record.mid(offset, expected.size()), expected);
        QCOMPARE(record.left(offset), QByteArray(offset, Pattern));
    }

    void keepsPasswordsIntact_data()
    {
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QByteArray>("onFile"); // the e-mail password element, when checked
        QTest::newRow("empty") << QByteArray() << QByteArray("<Password></Password>");
        QTest::newRow("default, with a control character") << QByteArray(
            "60917") << QByteArray("<Password encoding=\"hex\">d1a1056b37</Password>");
        QTest::newRow("plain when it can be")
            << QByteArray("abcd") << QByteArray("<Password>\x86\xf3_&gt;</Password>");
        QTest::newRow("carriage return")
            << QByteArray("ab1d") << QByteArray("<Password>\x86\xf3&#13;&gt;</Password>");
        QTest::newRow("scrambles into a zero")
            << QByteArray("abcZ") << QByteArray("<Password encoding=\"hex\">86f35f00</Password>");
        QTest::newRow("spaces only") << QByteArray("   ") << QByteArray("<Password>   </Password>");
        QTest::newRow("16 characters") << QByteArray("0123456789ABCDEF") << QByteArray();
        QTest::newRow("32 characters")
            << QByteArray("Zz0!Zz1@Zz2#Zz3$Zz4%Zz5^Zz6&Zz7*") << QByteArray();
    }

    void keepsPasswordsIntact()
    {
        QFETCH(QByteArray, password);
        QFETCH(QByteArray, onFile);
        const QString file = path(QStringLiteral("password.xml"));
        writePasswords(file, password);
        comparePasswords(file, password);
        QVERIFY(xmllintAccepts({ file }));
        QVERIFY2(readFile(file).contains("<SmtpServer>") && readFile(file).contains(onFile),
            readFile(file).constData());
    }

    void keepsRandomPasswordsIntact()
    {
        QRandomGenerator random(11);
        QStringList files;
        QList<QByteArray> passwords;
        for (int i = 0; i < 1000; ++i) {
            QByteArray password(random.bounded(1, 17), '\0');
            for (char &c : password) {
                c = char(random.bounded(0x20, 0x7f));
            }
            files << path(QStringLiteral("random%1.xml").arg(i));
            passwords << password;
            writePasswords(files.last(), password);
            comparePasswords(files.last(), password);
            if (QTest::currentTestFailed()) {
                qWarning("password \"%s\"", password.constData());
                return;
            }
        }
        QVERIFY(xmllintAccepts(files));
    }

    void keepsLatin1TextByteForByte()
    {
        const QByteArray name("Cam\xe9ra \xc4\xd6\xdc\xdf \xa0\xff", 13);
        PicCfg picture;
        picture.setChannelName(name);
        const QString file = path(QStringLiteral("latin1.xml"));
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file) && writer.SetPicParam(picture) && writer.Close());
        QVERIFY(readFile(file).contains("<ChanName>" + name + "</ChanName>"));
        QVERIFY(xmllintAccepts({ file }));
        CTempletReader reader;
        PicCfg read;
        QVERIFY(reader.LoadTemplate(file) && reader.GetPicParam(&read));
        QCOMPARE(read.channelName(), name);
    }

    void refusesBrokenFiles()
    {
        const QString file = path(QStringLiteral("cut.xml"));
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
        QVERIFY(!reader.LoadTemplate(path(QStringLiteral("missing.xml"))));
    }

    void keepsTheOldFileUntilClosed()
    {
        const QString file = path(QStringLiteral("old.xml"));
        writeFile(file, "old");
        {
            CTempletWriter abandoned;
            QVERIFY(abandoned.OpenTemplate(file) && abandoned.SetNTPParam(NtpCfg()));
        }
        QCOMPARE(readFile(file), QByteArray("old"));
        CTempletWriter writer;
        QVERIFY(writer.OpenTemplate(file) && writer.SetNTPParam(NtpCfg()));
        QCOMPARE(readFile(file), QByteArray("old"));
        QVERIFY(writer.Close());
        QVERIFY(readFile(file).contains("<NTP>"));
        QTest::ignoreMessage(QtDebugMsg, "Open file failed!");
        QVERIFY(!writer.OpenTemplate(path(QStringLiteral("missing/new.xml"))));
        QVERIFY(!writer.SetNTPParam(NtpCfg()) && !writer.Close());
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("lockFolder");
        QTest::newRow("folder not writable") << "old.xml" << true;
        // The new file is written, but a temporary name beside the old one
        // is longer than a name may be.
        QTest::newRow("name at the length limit")
            << QString(251, QLatin1Char('t')) + ".xml" << false;
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, lockFolder);
        QTemporaryDir dir;
        const QString file = dir.filePath(name);
        writeFile(file, "old");
        QFile folder(dir.path());
        if (lockFolder) {
            QVERIFY(folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
            QFile probe(dir.filePath(QStringLiteral("probe")));
            if (probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                folder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("this user writes into any folder");
            }
        }
        CTempletWriter writer;
        const bool saved
            = writer.OpenTemplate(file) && writer.SetNTPParam(NtpCfg()) && writer.Close();
        folder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!saved);
        QCOMPARE(readFile(file), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TempletFileTest)
#include "tst_templetfile.moc"
