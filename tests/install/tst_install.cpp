#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The installed program finds its discovery library, translation, catalogues
// and help pages from its prefix, whatever folder it is started from; the
// desktop entry and the AppStream metadata pass their validators.
class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsTheLayout_data();
    void installsTheLayout();
    void iconsHaveTheirSize_data();
    void iconsHaveTheirSize();
    void programFindsEverythingFromItsPrefix_data();
    void programFindsEverythingFromItsPrefix();
    void desktopFilesValidate_data();
    void desktopFilesValidate();

private:
    QString staged(const QString &relative) const { return QDir(m_prefix).filePath(relative); }
    QString dataPath(const QString &relative) const
    {
        return staged(QStringLiteral(TERVIX_INSTALL_DATADIR "/") + relative);
    }

    QTemporaryDir m_stage;
    QString m_prefix; // <stage>/usr, as DESTDIR=<stage> with prefix /usr makes it
};

void TestInstall::initTestCase()
{
    QVERIFY(m_stage.isValid());
    QProcess install;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DESTDIR"), m_stage.path());
    install.setProcessEnvironment(environment);
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(TERVIX_CMAKE_COMMAND),
        { QStringLiteral("--install"), QStringLiteral(TERVIX_BUILD_DIR), QStringLiteral("--prefix"),
            QStringLiteral("/usr") });
    QTRY_VERIFY_WITH_TIMEOUT(install.state() == QProcess::NotRunning, 120000);
    const QByteArray output = install.readAll();
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
        output.constData());
    m_prefix = QDir(m_stage.path()).filePath(QStringLiteral("usr"));
}

void TestInstall::installsTheLayout_data()
{
    QTest::addColumn<QString>("file");
    const QString bin = QStringLiteral(TERVIX_INSTALL_BINDIR "/");
    const QString man = QStringLiteral(TERVIX_INSTALL_MANDIR "/man1/");
    const QString data = QStringLiteral(TERVIX_INSTALL_DATADIR "/");
    for (const char *program : { "tervix", "tervix-cli", "tervix-devsim" }) {
        QTest::addRow("%s", program) << bin + program;
        QTest::addRow("%s manual", program) << man + program + ".1.gz";
    }
    QTest::newRow("discovery library")
        << QStringLiteral(TERVIX_INSTALL_PRIVATE_LIBDIR "/libquarry.so");
    QTest::newRow("lens catalogue") << data + "CameraLensInfo/LensInfo.xml";
    QTest::newRow("camera catalogue") << data + "CameraLensInfo/Camera_Lens.xml";
    QTest::newRow("help index") << data + "Help/index.html";
    QTest::newRow("translation") << data + "tervix_zh_CN.qm";
    QTest::newRow("desktop entry")
        << QStringLiteral(TERVIX_INSTALL_SHAREDIR "/applications/" TERVIX_APP_ID ".desktop");
    QTest::newRow("AppStream metadata")
        << QStringLiteral(TERVIX_INSTALL_SHAREDIR "/metainfo/" TERVIX_APP_ID ".metainfo.xml");
    QTest::newRow("scalable icon") << QStringLiteral(
        TERVIX_INSTALL_SHAREDIR "/icons/hicolor/scalable/apps/" TERVIX_APP_ID ".svg");
    QTest::newRow("copyright") << QStringLiteral(TERVIX_INSTALL_SHAREDIR "/doc/tervix/copyright");
    QTest::newRow("changelog") << QStringLiteral(
        TERVIX_INSTALL_SHAREDIR "/doc/tervix/changelog.gz");
}

void TestInstall::installsTheLayout()
{
    QFETCH(QString, file);
    QVERIFY2(QFileInfo(staged(file)).isFile(), qPrintable(file));
    // Nothing but the programs beside them: the program must find its data
    // through the prefix, not through a copy in bin.
    const QStringList beside = QDir(staged(QStringLiteral(TERVIX_INSTALL_BINDIR)))
                                   .entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    QCOMPARE(beside, QStringList({ "tervix", "tervix-cli", "tervix-devsim" }));
}

void TestInstall::iconsHaveTheirSize_data()
{
    QTest::addColumn<int>("size");
    for (int size : { 16, 32, 48, 64, 128, 256 }) {
        QTest::addRow("%d", size) << size;
    }
}

void TestInstall::iconsHaveTheirSize()
{
    QFETCH(int, size);
    const QString file = staged(
        QStringLiteral(TERVIX_INSTALL_SHAREDIR "/icons/hicolor/%1x%1/apps/" TERVIX_APP_ID ".png")
            .arg(size));
    const QImage icon(file);
    QVERIFY2(!icon.isNull(), qPrintable(file));
    QCOMPARE(icon.size(), QSize(size, size));
}

void TestInstall::programFindsEverythingFromItsPrefix_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<bool>("chinese");
    QTest::addColumn<bool>("workingDirectoryHolds");
    QTest::newRow("english") << "C.UTF-8" << false << false;
    QTest::newRow("chinese") << "zh_CN.UTF-8" << true << false;
    // The working directory is still searched before the prefix.
    QTest::newRow("chinese, own files in the working directory") << "zh_CN.UTF-8" << true << true;
}

void TestInstall::programFindsEverythingFromItsPrefix()
{
    QFETCH(QString, lang);
    QFETCH(bool, chinese);
    QFETCH(bool, workingDirectoryHolds);

    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    QString translationFolder = dataPath(QString());
    QString helpFolder = dataPath(QStringLiteral("Help"));
    if (workingDirectoryHolds) {
        QVERIFY(QFile::copy(dataPath(QStringLiteral("tervix_zh_CN.qm")),
            elsewhere.filePath(QStringLiteral("tervix_zh_CN.qm"))));
        QVERIFY(QDir(elsewhere.path()).mkdir(QStringLiteral("Help")));
        QVERIFY(QFile::copy(dataPath(QStringLiteral("Help/index.html")),
            elsewhere.filePath(QStringLiteral("Help/index.html"))));
        translationFolder = elsewhere.path();
        helpFolder = elsewhere.filePath(QStringLiteral("Help"));
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Tests point the loader at the build folder; the installed program must not need it.
    environment.remove(QStringLiteral("TERVIX_BIN_DIR"));
    for (const QString &name : environment.keys()) {
        if (name.startsWith(QLatin1String("LC_")) || name == QLatin1String("LANGUAGE")) {
            environment.remove(name);
        }
    }
    environment.insert(QStringLiteral("LANG"), lang);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TERVIX_STARTUP_REPORT"), QStringLiteral("1"));

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(elsewhere.path());
    program.start(staged(QStringLiteral(TERVIX_INSTALL_BINDIR "/tervix")), {});
    QTRY_VERIFY_WITH_TIMEOUT(program.state() == QProcess::NotRunning, 60000);
    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
        qPrintable(errors));

    QHash<QString, QString> report;
    for (const QString &line :
        QString::fromLocal8Bit(program.readAllStandardOutput()).split('\n')) {
        const qsizetype colon = line.indexOf(QLatin1String(": "));
        if (colon > 0) {
            report.insert(line.left(colon), line.mid(colon + 2));
        }
    }
    const auto canonical = [](const QString &path) { return QFileInfo(path).canonicalFilePath(); };

    QCOMPARE(canonical(report.value("discovery-library")),
        canonical(staged(QStringLiteral(TERVIX_INSTALL_PRIVATE_LIBDIR "/libquarry.so"))));
    if (chinese) {
        QCOMPARE(canonical(report.value("translation")),
            canonical(QDir(translationFolder).filePath(QStringLiteral("tervix_zh_CN.qm"))));
    } else {
        QCOMPARE(report.value("translation", QStringLiteral("missing")), QString());
    }
    QVERIFY2(report.value("camera-models").toInt() > 0, qPrintable(report.value("camera-models")));
    // In Chinese the Chinese manual opens, where the Help folder has one.
    const QDir help(helpFolder);
    const QString index = chinese && help.exists(QStringLiteral("zh_CN/index.html"))
        ? QStringLiteral("zh_CN/index.html")
        : QStringLiteral("index.html");
    QCOMPARE(canonical(report.value("help-index")), canonical(help.filePath(index)));
    // The window names the desktop entry that is installed.
    QCOMPARE(report.value("desktop-file"), QStringLiteral(TERVIX_APP_ID));
}

void TestInstall::desktopFilesValidate_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::newRow("desktop entry")
        << "desktop-file-validate" << QStringList()
        << staged(
               QStringLiteral(TERVIX_INSTALL_SHAREDIR "/applications/" TERVIX_APP_ID ".desktop"));
    QTest::newRow("AppStream metadata")
        << "appstreamcli" << QStringList { "validate", "--no-net" }
        << staged(
               QStringLiteral(TERVIX_INSTALL_SHAREDIR "/metainfo/" TERVIX_APP_ID ".metainfo.xml"));
}

void TestInstall::desktopFilesValidate()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty()) {
        QSKIP(qPrintable(tool + " is not installed (scripts/setup installs it)"));
    }
    QProcess validator;
    validator.setProcessChannelMode(QProcess::MergedChannels);
    validator.start(path, arguments << file);
    QTRY_VERIFY_WITH_TIMEOUT(validator.state() == QProcess::NotRunning, 60000);
    const QByteArray output = validator.readAll();
    QVERIFY2(validator.exitStatus() == QProcess::NormalExit && validator.exitCode() == 0,
        output.constData());
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
