#include "lenscatalogue.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every field of a lens, in catalogue order, separated by '|'.
QString fields(const LensInfo &lens)
{
    return QStringList { lens.tag(), lens.model(), lens.detail1(), QString::number(lens.minFocal()),
        QString::number(lens.maxFocal()), lens.detail2(), lens.detail3(), lens.interfaceName() }
        .join('|');
}

QString fields(const ResolutionInfo &r)
{
    return QString("%1x%2 %3x%4").arg(r.width).arg(r.height).arg(r.targetWidth).arg(r.targetHeight);
}

} // namespace

class TestLensCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsLensFieldsByPosition();
    void cutsTextsToTheirFields();
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
  <LENS><a>T</a><b>M</b><c>D</c><d>6</d></LENS>
</Lenses>)");
    QList<LensInfo> lenses;
    QVERIFY(ReadLensCatalogue(path, lenses));
    QCOMPARE(lenses.size(), 4);
    QCOMPARE(fields(lenses[0]), "Fixed|F4|1/3\"|4|4.005|F1.4|IR|CS");
    QCOMPARE(lenses[0].maxFocal(), 4.005f);
    QVERIFY(lenses[0].isFixedFocal());
    QCOMPARE(fields(lenses[1]), "Zoom|Z2812|1/2.7\"|2.8|12|F1.6|DC|M12");
    QVERIFY(!lenses[1].isFixedFocal());
    // Malformed numbers and missing children read as 0 and empty.
    QCOMPARE(fields(lenses[2]), "Bad|B|x|0|0|||");
    QCOMPARE(fields(lenses[3]), "T|M|D|6|0|||");
}

void TestLensCatalogue::cutsTextsToTheirFields()
{
    const QString path = write("LensInfo.xml", R"(<L><LENS>
<a>TAG-456789-ABC</a><b>MODEL-789-123456789-123456789</b><c>DETAIL1-9-ABC</c><d>4</d><e>4</e>
<f>DETAIL2-9-ABC</f><g>DET3-6789</g><h>INTERFACE-9-ABC</h></LENS></L>)");
    QList<LensInfo> lenses;
    QVERIFY(ReadLensCatalogue(path, lenses));
    QCOMPARE(lenses.size(), 1);
    QCOMPARE(fields(lenses[0]),
        "TAG-456789-|MODEL-789-123456789-123|DETAIL1-9-A|4|4|DETAIL2-9-A|DET3-67|INTERFACE-9");

    const QString cameras = write("Camera_Lens.xml", R"(<C><Camera name="CAMERA-89-ABCDEF">
<RecommedLensType><m>MODEL-789-123456789-123456789</m></RecommedLensType></Camera></C>)");
    QList<CameraInfo> list;
    QVERIFY(ReadCameraCatalogue(cameras, list));
    QCOMPARE(list[0].name(), "CAMERA-89-A");
    // A long recommended name still finds its lens, whose model was cut alike.
    QCOMPARE(list[0].recommendedLensModels, QStringList { lenses[0].model() });

    // Three bytes a character in UTF-8: eleven bytes hold three characters and "ab",
    // and a character is never cut in two.
    LensInfo lens;
    lens.setInterfaceName(QString::fromUtf8("ab\u63a5\u53e3\u7c7b\u578b"));
    QCOMPARE(lens.interfaceName(), QString::fromUtf8("ab\u63a5\u53e3\u7c7b"));
    lens.setInterfaceName(QString::fromUtf8("abc\u63a5\u53e3\u7c7b\u578b"));
    QCOMPARE(lens.interfaceName(), QString::fromUtf8("abc\u63a5\u53e3"));
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

    if (present) {
        write("LensInfo.xml", contents);
        write("Camera_Lens.xml", contents);
    }
    QList<LensInfo> lenses(2);
    QList<CameraInfo> cameras(1);
    QVERIFY(!ReadLensCatalogue(m_dir->filePath("LensInfo.xml"), lenses));
    QVERIFY(!ReadCameraCatalogue(m_dir->filePath("Camera_Lens.xml"), cameras));
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
    QCOMPARE(fields(first.resolutions[0]), "1920x1080 5.37x3.02");
    QCOMPARE(fields(first.resolutions[1]), "640x360 0x0");
    QCOMPARE(fields(first.resolutions[2]), "0x0 0x3.6");
    QCOMPARE(first.resolutions[0].targetWidth, 5.37f);
    QCOMPARE(first.recommendedLensModels, (QStringList { "L1", "L2" }));

    QCOMPARE(fields(cameras[1].resolutions[0]), "-1x576 4.8x3.6");
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
        QVERIFY(!camera.resolutions.isEmpty() && !camera.recommendedLensModels.isEmpty());
        for (const ResolutionInfo &resolution : camera.resolutions) {
            analogue += resolution.width < 0 ? 1 : 0;
            QVERIFY(resolution.targetWidth > 0 && resolution.targetHeight > 0);
        }
        for (const QString &model : camera.recommendedLensModels) {
            QVERIFY2(models.contains(model), qPrintable(camera.name() + ": " + model));
        }
    }
    QCOMPARE(analogue, 1);
}

QTEST_GUILESS_MAIN(TestLensCatalogue)
#include "tst_lenscatalogue.moc"
