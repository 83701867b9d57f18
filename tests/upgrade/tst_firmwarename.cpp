#include "firmwarename.h"
#include "upgradestate.h"
#include "upgradetask.h"

#include "solvane.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Directory mode without a device: the name a description gives, the
// look-up, and the state of a description that cannot be used.
class TestFirmwareName : public QObject
{
    Q_OBJECT

private slots:
    void nameFromDescription_data()
    {
        QTest::addColumn<QByteArray>("inside"); // of the document element
        QTest::addColumn<QByteArray>("root");
        QTest::addColumn<QString>("name");
        const QByteArray six = "<PlatForm> P1</PlatForm><FlashSize>8</FlashSize>"
                               "<MemorySize>64</MemorySize><MajorType>2</MajorType>"
                               "<MinorType>3</MinorType><Language>1</Language>";
        QTest::newRow("texts unchanged") << six << QByteArray("UpdateFlag") << "Travok.dav P1864231";
        QTest::newRow("first of two") << six + "<Language>2</Language>" << QByteArray("UpdateFlag")
                                      << "Travok.dav P1864231";
        QByteArray deeper = six;
        deeper.replace("<Language>1</Language>", "<Extra><Language>1</Language></Extra>");
        QTest::newRow("Language only deeper down") << deeper << QByteArray("UpdateFlag") << "";
        QTest::newRow("other document element") << six << QByteArray("Update") << "";
        QTest::newRow("not well-formed") << six + "<x>" << QByteArray("UpdateFlag") << "";
    }

    void nameFromDescription()
    {
        QFETCH(QByteArray, inside);
        QFETCH(QByteArray, root);
        QFETCH(QString, name);
        QCOMPARE(FirmwareNameFromDescription("<?xml version=\"1.0\"?><" + root + ">" + inside
                     + "</" + root + ">"),
            name);
    }

    void lookUpStaysInTheDirectory()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("images/sub")));
        for (const char *path : { "images/Travok.davA", "images/sub/Travok.davB" }) {
            QFile file(root.filePath(QLatin1String(path)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir::setCurrent(root.path()));
        QCOMPARE(FindFirmwareInDirectory("images", "Travok.davA"), root.filePath("images/Travok.davA"));
        QCOMPARE(FindFirmwareInDirectory("images", "Travok.davB"), QString());
        QCOMPARE(FindFirmwareInDirectory("images", "sub/Travok.davB"), QString());
        QCOMPARE(FindFirmwareInDirectory("images", ""), QString());
    }

    void descriptionReadButEmptyIsAFailure()
    {
        AbilityText ability;
        ability.ok = true;
        QCOMPARE(DescriptionFailureState(ability), int(UpgradeNoFileName));
        ability.text = "<UpdateFlag/>";
        QCOMPARE(DescriptionFailureState(ability), 0);
    }
};

QTEST_GUILESS_MAIN(TestFirmwareName)
#include "tst_firmwarename.moc"
