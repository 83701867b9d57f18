#include "lenscatalogue.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

class TestLensCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsLensFieldsByPosition();
    void cutsTextsToTheirFields();
    void cutsInterfaceBetweenCharacters();
    void missingChildLeavesZero();
    void unreadableFilesLeaveListsUnchanged_data();
    void unreadableFilesLeaveListsUnchanged();
    void readsCameras();
    void shippedCataloguesAreComplete();

private:
    QString write(const QString &name, const QByteArray &contents);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLensCatalogue::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

QString TestLensCatalogue::write(const QString &name, const QByteArray &contents)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

void TestLensCatalogue::readsLensFieldsByPosition()
{
    const QString path = write("LensInfo.xml", R"(<?xml version="1.0"?>
<Lenses>
  <LENS><a>Fixed</a><b>F4</b><c>1/3"</c><d>4</d><e>4.005</e><f>F1.4</f><g>IR</g><h>CS</h><i>ninth</i></LENS>
  <Other><a>x</a></Other>
  <LENS><a>Zoom</a><!-- a note --><b>Z2812</b><c>1/2.7"</c><d> 2.8 </d><e>12</e><f>F1.6</f><g>DC</g><h>M12</h></LENS>
  <LENS><a>Bad</a><b>B</b><c>x</c><d>four</d><e>12mm</e><f/><g/><h/></LENS>
</Lenses>)");
    QList<LensInfo> lenses;
    QVERIFY(ReadLensCatalogue(path, lenses));
    QCOMPARE(lenses.size(), 3);

    const LensInfo &fixed = lenses[0];
    QCOMPARE(fixed.tag(), "Fixed");
    QCOMPARE(fixed.model(), "F4");
    QCOMPARE(fixed.detail1(), "1/3\"");
    QCOMPARE(fixed.minFocal(), 4.0f);
    QCOMPARE(fixed.maxFocal(), 4.005f);
    QCOMPARE(fixed.detail2(), "F1.4");
    QCOMPARE(fixed.detail3(), "IR");
    QCOMPARE(fixed.interfaceName(), "CS");
    QVERIFY(fixed.isFixedFocal());

    const LensInfo &zoom = lenses[1];
    QCOMPARE(zoom.model(), "Z2812");
    QCOMPARE(zoom.minFocal(), 2.8f);
    QCOMPARE(zoom.interfaceName(), "M12");
    QVERIFY(!zoom.isFixedFocal());

    // Malformed numbers read as 0.
    QCOMPARE(lenses[2].minFocal(), 0.0f);
    QCOMPARE(lenses[2].maxFocal(), 0.0f);
    QCOMPARE(lenses[2].detail2(), QString());
}

void TestLensCatalogue::cutsTextsToTheirFields()
{
    const QString path = write("LensInfo.xml", R"(<L><LENS>
<a>TAG-456789-ABC</a><b>MODEL-789-123456789-123456789</b><c>DETAIL1-9-ABC</c><d>4</d><e>4</e>
<f>DETAIL2-9-ABC</f><g>DET3-6789</g><h>INTERFACE-9-ABC</h></LENS></L>)");
    QList<LensInfo> lenses;
    QVERIFY(ReadLensCatalogue(path, lenses));
    QCOMPARE(lenses.size(), 1);
    QCOMPARE(lenses[0].tag(), "TAG-456789-");
    QCOMPARE(lenses[0].model(), "MODEL-789-123456789-123");
    QCOMPARE(lenses[0].detail1(), "DETAIL1-9-A");
    QCOMPARE(lenses[0].detail2(), "DETAIL2-9-A");
    QCOMPARE(lenses[0].detail3(), "DET3-67");
    QCOMPARE(lenses[0].interfaceName(), "INTERFACE-9");

    const QString cameras = write("Camera_Lens.xml", R"(<C><Camera name="CAMERA-89-ABCDEF">
<RecommedLensType><m>MODEL-789-123456789-123456789</m></RecommedLensType></Camera></C>)");
    QList<CameraInfo> list;
    QVERIFY(ReadCameraCatalogue(cameras, list));
    QCOMPARE(list[0].name(), "CAMERA-89-A");
    // A long recommended name still finds its lens, whose model was cut alike.
    QCOMPARE(list[0].recommendedLensModels, QStringList { lenses[0].model() });
}

void TestLensCatalogue::cutsInterfaceBetweenCharacters()
{
    // Three bytes a character in UTF-8: eleven bytes hold three characters and "ab".
    LensInfo lens;
    lens.setInterfaceName(QString::fromUtf8("ab\u63a5\u53e3\u7c7b\u578b"));
    QCOMPARE(lens.interfaceName(), QString::fromUtf8("ab\u63a5\u53e3\u7c7b"));
    lens.setInterfaceName(QString::fromUtf8("abc\u63a5\u53e3\u7c7b\u578b"));
    QCOMPARE(lens.interfaceName(), QString::fromUtf8("abc\u63a5\u53e3"));
}

void TestLensCatalogue::missingChildLeavesZero()
{
    const QString path
        = write("LensInfo.xml", "<L><LENS><a>T</a><b>M</b><c>D</c><d>6</d></LENS></L>");
    QList<LensInfo> lenses;
    QVERIFY(ReadLensCatalogue(path, lenses));
    QCOMPARE(lenses.size(), 1);
    QCOMPARE(lenses[0].minFocal(), 6.0f);
    QCOMPARE(lenses[0].maxFocal(), 0.0f);
    QCOMPARE(lenses[0].interfaceName(), QString());
}

void TestLensCatalogue::unreadableFilesLeaveListsUnchanged_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("present");

    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("unclosed element") << QByteArray("<L><LENS><a>T</a>") << true;
    QTest::newRow("not XML") << QByteArray("TVL-F0400CS;4;4") << true;
    QTest::newRow("mismatched tags") << QByteArray("<L><Camera name=\"x\"></L></Camera>") << true;
}

void TestLensCatalogue::unreadableFilesLeaveListsUnchanged()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, present);

    const QString lensPath = m_dir->filePath("LensInfo.xml");
    const QString cameraPath = m_dir->filePath("Camera_Lens.xml");
    if (present) {
        write("LensInfo.xml", contents);
        write("Camera_Lens.xml", contents);
    }
    QList<LensInfo> lenses(2);
    QList<CameraInfo> cameras(1);
    QVERIFY(!ReadLensCatalogue(lensPath, lenses));
    QVERIFY(!ReadCameraCatalogue(cameraPath, cameras));
    QCOMPARE(lenses.size(), 2);
    QCOMPARE(cameras.size(), 1);
}

void TestLensCatalogue::readsCameras()
{
    const QString path = write("Camera_Lens.xml", R"(<?xml version="1.0"?>
<Cameras>
  <Camera name="C1">
    <Resolution width="1920" height="1080" target_width="5.37" target_height="3.02"/>
    <Resolution width="640" height="360"/>
    <Resolution width="wide" height="1O80" target_width="x" target_height="3.6"/>
    <RecommedLensType><Lens>L1</Lens><!-- spare --><Lens>L2</Lens></RecommedLensType>
    <RecommedLensType><Lens>ignored</Lens></RecommedLensType>
  </Camera>
  <Camera name="Analogue">
    <Resolution width="-1" height="576" target_width="4.8" target_height="3.6"/>
  </Camera>
  <Camera/>
</Cameras>)");
    QList<CameraInfo> cameras;
    QVERIFY(ReadCameraCatalogue(path, cameras));
    QCOMPARE(cameras.size(), 3);

    const CameraInfo &first = cameras[0];
    QCOMPARE(first.name(), "C1");
    QCOMPARE(first.resolutions.size(), 3);
    QCOMPARE(first.resolutions[0].width, 1920);
    QCOMPARE(first.resolutions[0].height, 1080);
    QCOMPARE(first.resolutions[0].targetWidth, 5.37f);
    QCOMPARE(first.resolutions[0].targetHeight, 3.02f);
    QCOMPARE(first.resolutions[1].targetWidth, 0.0f);
    QCOMPARE(first.resolutions[2].width, 0);
    QCOMPARE(first.resolutions[2].height, 0);
    QCOMPARE(first.resolutions[2].targetWidth, 0.0f);
    QCOMPARE(first.recommendedLensModels, (QStringList { "L1", "L2" }));

    QCOMPARE(cameras[1].resolutions[0].width, -1);
    QVERIFY(cameras[1].recommendedLensModels.isEmpty());
    QCOMPARE(cameras[2].name(), QString());
    QVERIFY(cameras[2].resolutions.isEmpty());
}

void TestLensCatalogue::shippedCataloguesAreComplete()
{
    const QString dir = QStringLiteral(TERVIX_CATALOGUE_SOURCE_DIR);
    QList<LensInfo> lenses;
    QList<CameraInfo> cameras;
    QVERIFY(ReadLensCatalogue(dir + "/LensInfo.xml", lenses));
    QVERIFY(ReadCameraCatalogue(dir + "/Camera_Lens.xml", cameras));
    QVERIFY(lenses.size() >= 30);
    QVERIFY(cameras.size() >= 10);

    QSet<QString> models;
    int fixed = 0;
    for (const LensInfo &lens : std::as_const(lenses)) {
        QVERIFY2(!models.contains(lens.model()), qPrintable(lens.model()));
        models.insert(lens.model());
        QVERIFY(lens.minFocal() >= 2.0f && lens.maxFocal() <= 60.0f);
        QVERIFY(lens.minFocal() <= lens.maxFocal());
        fixed += lens.isFixedFocal() ? 1 : 0;
    }
    QVERIFY(fixed > 0 && fixed < lenses.size());

    int analogue = 0;
    QSet<QString> names;
    for (const CameraInfo &camera : std::as_const(cameras)) {
        QVERIFY(!camera.name().isEmpty() && !names.contains(camera.name()));
        names.insert(camera.name());
        QVERIFY(!camera.resolutions.isEmpty());
        for (const ResolutionInfo &resolution : camera.resolutions) {
            analogue += resolution.width < 0 ? 1 : 0;
            QVERIFY(resolution.targetWidth > 0 && resolution.targetHeight > 0);
        }
        QVERIFY(!camera.recommendedLensModels.isEmpty());
        for (const QString &model : camera.recommendedLensModels) {
            QVERIFY2(models.contains(model), qPrintable(camera.name() + ": " + model));
        }
    }
    QCOMPARE(analogue, 1);
}

QTEST_GUILESS_MAIN(TestLensCatalogue)
#include "tst_lenscatalogue.moc"
