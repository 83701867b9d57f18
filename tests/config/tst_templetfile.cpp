// The parameter templet's writer and reader, through real files.
#include "templetfile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

constexpr char Pattern = char(0xA5); // every byte of a record before a read
constexpr char Declaration[] = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";

template<typename Record> Record patterned()
{
    Record record;
    record.bytes().fill(Pattern);
    return record;
}

// Gives each field of `rows` a value of its own that is neither 0 nor the
// pattern; every other text fills its field's width.
void fill(RecordBuffer &record, std::span<const FieldRow> rows, int base = 0)
{
    static int seed = 0;
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

// One section of the templet, its record handled as bytes.
struct Section
{
    const char *name;
    std::function<bool(CTempletWriter &, const QByteArray &)> write;
    // Over a patterned record; "absent" when the file has no such section.
    std::function<QByteArray(const CTempletReader &)> read;
    std::function<QByteArray()> filled; // every field the section holds set
};

template<typename Record>
Section section(bool (CTempletWriter::*set)(const Record &),
    bool (CTempletReader::*get)(Record *) const, std::type_identity_t<void (*)(Record &)> filler)
{
    return { Record::templetSection,
        [set](CTempletWriter &writer, const QByteArray &bytes) {
            Record record;
            return record.setBytes(bytes) && (writer.*set)(record);
        },
        [get](const CTempletReader &reader) {
            Record record = patterned<Record>();
            return (reader.*get)(&record) ? record.bytes() : QByteArray("absent");
        },
        [filler] {
            Record record = patterned<Record>();
            filler(record);
            return record.bytes();
        } };
}

// In the order the frame writes them.
const QList<Section> Sections {
    section(&CTempletWriter::SetPreParam, &CTempletReader::GetPreParam,
        [](FrontCfg &r) { fill(r, FrontCfg::fields); }),
    section(&CTempletWriter::SetCompressionParam, &CTempletReader::GetCompressionParam,
        [](CompressCfg &r) {
            for (const NamedEntry &stream : CompressCfg::streams) {
                fill(r, CompressCfg::entryFields, CompressCfg::entries.at(stream.index, 0));
            }
        }),
    section(&CTempletWriter::SetPicParam, &CTempletReader::GetPicParam,
        [](PicCfg &r) { fill(r, PicCfg::fields); }),
    section(&CTempletWriter::SetRECParam, &CTempletReader::GetRECParam,
        [](RecordCfg &r) {
            fill(r, RecordCfg::fields);
            for (int d = 0; d < RecordCfg::dayCount; ++d) {
                fill(r, RecordCfg::entryFields, RecordCfg::entries.at(d, 0));
                for (int s = 0; s < RecordCfg::slotCount; ++s) {
                    fill(r, RecordCfg::slotFields, RecordCfg::slotOffset(d, s, 0));
                }
            }
        }),
    section(&CTempletWriter::SetDDNSParam, &CTempletReader::GetDDNSParam,
        [](DdnsCfg &r) {
            fill(r, DdnsCfg::fields);
            r.setServerType(2);
            fill(r, DdnsCfg::entryFields, DdnsCfg::entries.at(2, 0));
        }),
    section(&CTempletWriter::SetNFSParam, &CTempletReader::GetNFSParam,
        [](NfsCfg &r) {
            for (int n = 0; n < NfsCfg::entries.count; ++n) {
                fill(r, NfsCfg::entryFields, NfsCfg::entries.at(n, 0));
            }
        }),
    section(&CTempletWriter::SetNTPParam, &CTempletReader::GetNTPParam,
        [](NtpCfg &r) { fill(r, NtpCfg::fields); }),
    section(&CTempletWriter::SetEmailParam, &CTempletReader::GetEmailParam,
        [](EmailCfg &r) {
            fill(r, EmailCfg::fields);
            for (int n = 0; n < EmailCfg::entries.count; ++n) {
                fill(r, EmailCfg::entryFields, EmailCfg::entries.at(n, 0));
            }
        }),
    section(&CTempletWriter::SetPTZParam, &CTempletReader::GetPTZParam,
        [](DecoderCfg &r) { fill(r, DecoderCfg::fields); }),
};

const Section &sectionNamed(const QString &name)
{
    return *std::find_if(Sections.begin(), Sections.end(),
        [&name](const Section &s) { return name == QLatin1String(s.name); });
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
    DdnsCfg readDdns;
    EmailCfg readEmail;
    QVERIFY(reader.LoadTemplate(file) && reader.GetDDNSParam(&readDdns)
        && reader.GetEmailParam(&readEmail));
    QCOMPARE(readDdns.password(1), password.left(16));
    QCOMPARE(readEmail.password(), password);
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
        QLoggingCategory::setFilterRules(QStringLiteral("tervix.config.debug=true"));
    }

    // Every field differs from the pattern the records are read over,
    // including the groups and all 56 schedule slots.
    void roundTripsEverySectionInOrder()
    {
        QList<QByteArray> source;
        for (const Section &s : Sections) {
            source << s.filled();
        }
        // Latin-1 goes into the file one byte each.
        const QByteArray latin1("Cam\xe9ra \xc4\xd6\xdc\xdf \xa0\xff", 13);
        PicCfg picture;
        picture.setBytes(source[2]);
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
        qsizetype last = 0;
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(file));
        for (int i = 0; i < Sections.size(); ++i) {
            const qsizetype at = bytes.indexOf(QByteArray("<") + Sections[i].name + '>');
            QVERIFY2(at > last, Sections[i].name);
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

    // A templet with only "NTP", under a root of another name.
    void readsOnlyTheSectionsPresent()
    {
        writeFile(path("ntp.xml"),
            QByteArray(Declaration)
                + "<Templet><NTP><Enable>1</Enable><NTPServer>ntp.example</NTPServer>"
                  "<NTPPort>123</NTPPort></NTP></Templet>");
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(path("ntp.xml")));
        QVERIFY(reader.GetNTPParam());
        NtpCfg ntp = patterned<NtpCfg>();
        QVERIFY(reader.GetNTPParam(&ntp));
        QCOMPARE(ntp.enabled(), quint8(1));
        QCOMPARE(ntp.server(), QByteArray("ntp.example"));
        QCOMPARE(ntp.port(), quint16(123));
        for (const Section &s : Sections) {
            if (qstrcmp(s.name, "NTP") != 0) {
                QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("can not find '%1' element!").arg(QLatin1String(s.name))));
                QCOMPARE(s.read(reader), QByteArray("absent"));
            }
        }
        QTest::ignoreMessage(QtDebugMsg, "can not find 'Front' element!");
        QVERIFY(!reader.GetPreParam());
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
        writeFile(path("section.xml"),
            QByteArray(Declaration) + "<DevicePara><" + element + '>' + content + "</" + element
                + "></DevicePara>");
        CTempletReader reader;
        QVERIFY(reader.LoadTemplate(path("section.xml")));
        const QByteArray record = sectionNamed(section).read(reader);
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
        const QString file = path("password.xml");
        passwordRoundTrip(file, password);
        QVERIFY(xmllintAccepts({ file }));
        const QByteArray bytes = readFile(file);
        QVERIFY2(bytes.contains("<SmtpServer>") && bytes.contains(onFile), bytes.constData());
    }

    void keepsRandomPasswordsIntact()
    {
        QRandomGenerator random(11);
        QStringList files;
        for (int i = 0; i < 1000; ++i) {
            QByteArray password(random.bounded(1, 17), '\0');
            for (char &c : password) {
                c = char(random.bounded(0x20, 0x7f));
            }
            files << m_dir.filePath(QStringLiteral("random%1.xml").arg(i));
            passwordRoundTrip(files.last(), password);
            if (QTest::currentTestFailed()) {
                qWarning("password \"%s\"", password.constData());
                return;
            }
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
        // The new file is written, but a temporary name beside the old one
        // is longer than a name may be.
        QTest::newRow("name at the length limit")
            << QString(251, QLatin1Char('t')) + ".xml" << false << true << false;
    }

    void replacesTheOldFileOnlyWhenWhole()
    {
        QFETCH(QString, name);
        QFETCH(bool, lockFolder);
        QFETCH(bool, close);
        QFETCH(bool, saved);
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
        bool written = false;
        {
            CTempletWriter writer;
            written = writer.OpenTemplate(file) && writer.SetNTPParam(NtpCfg());
            QCOMPARE(readFile(file), QByteArray("old"));
            written = written && close && writer.Close();
        }
        folder.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(written, saved);
        QCOMPARE(readFile(file) == "old", !saved);
        QCOMPARE(readFile(file).contains("<NTP>"), saved);
    }
};

QTEST_GUILESS_MAIN(TempletFileTest)
#include "tst_templetfile.moc"
