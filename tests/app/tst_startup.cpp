#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

// Translation lookup: the working directory first, then beside the program.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void missingTranslationLeavesEnglish();
    void workingDirectoryTranslationTranslatesTheTabs();
};

void TestStartup::missingTranslationLeavesEnglish()
{
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    QTranslator translator;
    const bool loaded = InstallTervixTranslation(&translator, QStringLiteral("xx_YY"));
    QDir::setCurrent(previous);
    QVERIFY(!loaded);
}

void TestStartup::workingDirectoryTranslationTranslatesTheTabs()
{
    const QString built = qEnvironmentVariable("TERVIX_BIN_DIR") + "/tervix_zh_CN.qm";
    if (!QFile::exists(built)) {
        QSKIP("the translation is not built");
    }
    // The program's folder holds one too: the working directory's must win.
    QTemporaryDir folder;
    QVERIFY(QFile::copy(built, folder.filePath("tervix_zh_CN.qm")));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    QTranslator translator;
    const bool loaded = InstallTervixTranslation(&translator, QStringLiteral("zh_CN"));
    QDir::setCurrent(previous);
    QVERIFY(loaded);
    QCOMPARE(QFileInfo(translator.filePath()).canonicalPath(),
        QFileInfo(folder.path()).canonicalFilePath());

    for (const char *text : { "Parameter Configuration", "Batch Set", "Batch Upgrade",
             "Auxiliary Zoom", "Lens Selection" }) {
        const QString chinese = QCoreApplication::translate("TervixClass", text);
        QVERIFY2(!chinese.isEmpty() && chinese != QLatin1String(text), text);
    }
    QVERIFY(QCoreApplication::translate("DeviceList", "IP Address") != "IP Address");
    QCoreApplication::removeTranslator(&translator);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
