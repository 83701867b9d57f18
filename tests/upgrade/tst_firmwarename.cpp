#include "firmwarename.h"
#include "upgradestate.h"
#include "upgradetask.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Directory mode without a device: the name a description gives, the
// look-up, and a description that was read but is empty.
class TestFirmwareName : public QObject
{
    Q_OBJECT

private slots:
    void nameFromDescription_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("name");
        const QByteArray six = "<PlatForm> P1</PlatForm><FlashSize>8</FlashSize><MemorySize>64"
                               "</MemorySize><MajorType>2</MajorType><MinorType>3</MinorType>";
        const auto flag
            = [](const QByteArray &inside) { return "<UpdateFlag>" + inside + "</UpdateFlag>"; };
        QTest::newRow("texts unchanged")
            << flag(six + "<Language>1</Language>") << "Travok.dav P1864231";
        QTest::newRow("first of two")
            << flag(six + "<Language>1</Language><Language>2</Language>") << "Travok.dav P1864231";
        QTest::newRow("Language only deeper down")
            << flag(six + "<X><Language>1</Language></X>") << "";
        QTest::newRow("not well-formed") << flag(six + "<Language>1</Language><X>") << "";
    }

    void nameFromDescription()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, name);
        QCOMPARE(FirmwareNameFromDescription(text), name);
    }

    void lookUpStaysInTheDirectory()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("images/sub"));
        QVERIFY(QFile(root.filePath("images/Travok.davA")).open(QIODevice::WriteOnly));
        QVERIFY(QFile(root.filePath("images/sub/Travok.davB")).open(QIODevice::WriteOnly));
        QVERIFY(QDir::setCurrent(root.path())); // a relative directory gives an absolute path
        QCOMPARE(
            FindFirmwareInDirectory("images", "Travok.davA"), root.filePath("images/Travok.davA"));
        QCOMPARE(FindFirmwareInDirectory("images", "sub/Travok.davB"), QString());
    }

    void descriptionReadButEmptyIsAFailure()
    {
        AbilityText ability;
        ability.ok = true;
        QCOMPARE(DescriptionFailureState(ability), int(UpgradeNoFileName));
    }
};

QTEST_GUILESS_MAIN(TestFirmwareName)
#include "tst_firmwarename.moc"
