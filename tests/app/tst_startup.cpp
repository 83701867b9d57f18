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
    void translationFromTheWorkingDirectory();
    void builtChineseTranslationTranslatesTheTabs();
};

void TestStartup::missingTranslationLeavesEnglish()
{
    QTemporaryDir folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    QTranslator translator;
    QVERIFY(!InstallTervixTranslation(&translator, QStringLiteral("xx_YY")));
    QDir::setCurrent(previous);
}

void TestStartup::translationFromTheWorkingDirectory()
{
    const QString built
        = qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix_zh_CN.qm");
    if (!QFile::exists(built)) {
        QSKIP("the translation is not built");
    }
    QTemporaryDir folder;
    QVERIFY(QFile::copy(built, folder.filePath(QStringLiteral("tervix_zh_CN.qm"))));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    QTranslator translator;
    const bool loaded = InstallTervixTranslation(&translator, QStringLiteral("zh_CN"));
    QDir::setCurrent(previous);
    QVERIFY(loaded);
    QVERIFY(translator.filePath().startsWith(QFileInfo(folder.path()).canonicalFilePath())
        || translator.filePath().startsWith(folder.path()));
    QCoreApplication::removeTranslator(&translator);
}

void TestStartup::builtChineseTranslationTranslatesTheTabs()
{
    const QString built
        = qEnvironmentVariable("TERVIX_BIN_DIR") + QStringLiteral("/tervix_zh_CN.qm");
    if (!QFile::exists(built)) {
        QSKIP("the translation is not built");
    }
    QTranslator translator;
    QVERIFY(translator.load(built));
    for (const char *text : { "Parameter Configuration", "Batch Set", "Batch Upgrade",
             "Auxiliary Zoom", "Lens Selection" }) {
        const QString chinese = translator.translate("TervixClass", text);
        QVERIFY2(!chinese.isEmpty() && chinese != QLatin1String(text), text);
    }
    QVERIFY(!translator.translate("DeviceList", "Device Serial No.").isEmpty());
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
