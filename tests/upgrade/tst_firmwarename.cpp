#include "firmwarename.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A description with the six elements holding the given texts, in this order.
QByteArray description(const QByteArray &inside, const QByteArray &root = "UpdateFlag")
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + ">\n" + inside + "</" + root
        + ">\n";
}

const QByteArray kSix = "<PlatForm>P1</PlatForm><FlashSize>8</FlashSize>"
                        "<MemorySize>64</MemorySize><MajorType>2</MajorType>"
                        "<MinorType>3</MinorType><Language>1</Language>";

} // namespace

class TestFirmwareName : public QObject
{
    Q_OBJECT

private slots:
    void nameFromDescription_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("six elements") << description(kSix) << "Travok.davP1864231";
        QTest::newRow("other order, other elements between")
            << description("<Language>2</Language><Vendor>x</Vendor><MinorType>3</MinorType>"
                           "<MajorType>2</MajorType><MemorySize>64</MemorySize>"
                           "<FlashSize>16</FlashSize><PlatForm>G5</PlatForm>")
            << "Travok.davG51664232";
        QTest::newRow("first of two")
            << description(kSix + "<PlatForm>P9</PlatForm>") << "Travok.davP1864231";
        QTest::newRow("texts unchanged, spaces kept")
            << description(QByteArray(kSix).replace("<PlatForm>P1", "<PlatForm> P 1"))
            << "Travok.dav P 1864231";
        QTest::newRow("UTF-8 text")
            << description(QByteArray(kSix).replace("P1", "\xe5\x8d\x97"))
            << QStringLiteral("Travok.dav\u5357864231");
        QTest::newRow("Language missing")
            << description(QByteArray(kSix).replace("<Language>1</Language>", "")) << "";
        QTest::newRow("element only deeper down")
            << description(QByteArray(kSix).replace(
                   "<Language>1</Language>", "<Extra><Language>1</Language></Extra>"))
            << "";
        QTest::newRow("other document element") << description(kSix, "Update") << "";
        QTest::newRow("not well-formed") << description(kSix).replace("</MinorType>", "") << "";
        QTest::newRow("garbage after the document") << description(kSix) + "<x>" << "";
        QTest::newRow("no XML") << QByteArray("Travok") << "";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void nameFromDescription()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, name);
        QCOMPARE(FirmwareNameFromDescription(text), name);
    }

    void findsEntryInDirectory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::newRow("present") << "Travok.davP1864231" << true;
        QTest::newRow("other case") << "travok.davp1864231" << false;
        QTest::newRow("absent") << "Travok.davP1864232" << false;
        QTest::newRow("empty name") << "" << false;
        QTest::newRow("leads out of the directory") << "../outside/Travok.davP1864231" << false;
        QTest::newRow("backslash") << "..\\outside\\Travok.davP1864231" << false;
    }

    void findsEntryInDirectory()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("images")));
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("outside")));
        for (const char *path : { "images/Travok.davP1864231", "outside/Travok.davP1864231",
                 "images/..\\outside\\Travok.davP1864231" }) {
            QFile file(root.filePath(QLatin1String(path)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // A relative directory still gives an absolute path.
        QVERIFY(QDir::setCurrent(root.path()));
        const QString path = FindFirmwareInDirectory(QStringLiteral("images"), name);
        QCOMPARE(path,
            found ? QDir(root.path()).absoluteFilePath(QStringLiteral("images/") + name)
                  : QString());
    }
};

QTEST_GUILESS_MAIN(TestFirmwareName)
#include "tst_firmwarename.moc"
