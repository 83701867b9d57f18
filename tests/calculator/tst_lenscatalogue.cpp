#include "lenscatalogue.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

static QString fields(const LensInfo &lens)
{
    return QStringList { lens.tag(), lens.model(), lens.detail1(), QString::number(lens.minFocal()),
        QString::number(lens.maxFocal()), lens.detail2(), lens.detail3(), lens.interfaceName() }
        .join('|');
}

static QString fields(const ResolutionInfo &r)
{
    return QString("%1x%2 %3x%4").arg(r.width).arg(r.height).arg(r.targetWidth).arg(r.targetHeight);
}

class TestLensCatalogue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &contents)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size()) {
            qFatal("cannot write %s", qPrintable(file.fileName()));
        }
        return file.fileName();
    }

private slots:
    void readsLensFieldsByPosition()
    {
        const QString path = write("LensInfo.xml", R"(<Lenses>
  <LENS><a>Fixed</a><b>F4</b><c>1/3"</c><d>4</d><e>4.005</e><f>F1.4</f><g>IR</g><h>CS</h><i>ninth</i></LENS>
  <LENS><a>Zoom</a><!-- a note --><b>Z2812</b><c>1/2.7"</c><d> 2.8 </d><e>12</e><f>F1.6</f><g>DC</g><h>M12</h></LENS>
  <LENS><a>Bad</a><b>B</b><c>x</c><d>four</d><e>12mm</e><f/><g/><h/></LENS>
</Lenses>)");
        QList<LensInfo> lenses;
        QVERIFY(ReadLensCatalogue(path, lenses));
        QCOMPARE(lenses.size(), 3);
        QCOMPARE(fields(lenses[0]), "Fixed|F4|1/3\"|4|4.005|F1.4|IR|CS");
        QCOMPARE(fields(lenses[1]), "Zoom|Z2812|1/2.7\"|2.8|12|F1.6|DC|M12");
        // Malformed numbers and missing children read as 0 and empty.
        QCOMPARE(fields(lenses[2]), "Bad|B|x|0|0|||");
    }

    void cutsTextsWithoutSplittingACharacter()
    {
        // Three bytes a character in UTF-8: eleven bytes hold three characters and "ab".
        LensInfo lens;
        lens.setInterfaceName(QString::fromUtf8("ab\u63a5\u53e3\u7c7b\u578b"));
        QCOMPARE(lens.interfaceName(), QString::fromUtf8("ab\u63a5\u53e3\u7c7b"));
        lens.setInterfaceName(QString::fromUtf8("abc\u63a5\u53e3\u7c7b\u578b"));
        QCOMPARE(lens.interfaceName(), QString::fromUtf8("abc\u63a5\u53e3"));
    }

    // Long fields are cut in one pass over what fits, whatever their length.
    void cutsLongTextsToWholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("kept");
        const QString three = QString(80000, QChar(0x63a5)); // three bytes in UTF-8
        QTest::newRow("three-byte, interface field") << three << 12 << three.left(3);
        QTest::newRow("three-byte, large field") << three << 4096 << three.left(1365);
        QString pairs; // four bytes a character, two UTF-16 units
        for (int i = 0; i < 40000; ++i) {
            pairs += QString::fromUtf8("\U0001F600");
        }
        QTest::newRow("surrogate pairs") << pairs << 12 << pairs.left(4);
        QTest::newRow("ASCII, then two-byte")
            << QStringLiteral("a") + QString(80000, QChar(0xe9)) << 12
            << QStringLiteral("a") + QString(5, QChar(0xe9));
    }

    void cutsLongTextsToWholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, size);
        QFETCH(QString, kept);
        const QByteArray field = local8BitField(text, std::size_t(size));
        QVERIFY(field.size() < size);
        QCOMPARE(QString::fromLocal8Bit(field), kept);
    }

    void unreadableFilesLeaveListsUnchanged_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("unclosed element") << QByteArray("<L><LENS><a>T</a>");
        QTest::newRow("mismatched tags") << QByteArray("<L><Camera name=\"x\"></L></Camera>");
    }

    void unreadableFilesLeaveListsUnchanged()
    {
        QFETCH(QByteArray, contents);
        const QString path
            = contents.isNull() ? m_dir.filePath("absent.xml") : write("bad.xml", contents);
        QList<LensInfo> lenses(2);
        QList<CameraInfo> cameras(1);
        QVERIFY(!ReadLensCatalogue(path, lenses));
        QVERIFY(!ReadCameraCatalogue(path, cameras));
        QCOMPARE(lenses.size(), 2);
        QCOMPARE(cameras.size(), 1);
    }

    void readsCameras()
    {
        const QString path = write("Camera_Lens.xml", R"(<Cameras>
  <Camera name="C1">
    <Resolution width="1920" height="1080" target_width="5.37" target_height="3.02"/>
    <Resolution width="wide" height="1O80" target_width="x" target_height="3.6"/>
    <RecommedLensType><Lens>L1</Lens><!-- spare --><Lens>L2</Lens></RecommedLensType>
  </Camera>
  <Camera name="Analogue"><Resolution width="-1" height="576" target_width="4.8" target_height="3.6"/></Camera>
</Cameras>)");
        QList<CameraInfo> cameras;
        QVERIFY(ReadCameraCatalogue(path, cameras));
        QCOMPARE(cameras.size(), 2);
        QCOMPARE(cameras[0].resolutions.size(), 2);
        QCOMPARE(fields(cameras[0].resolutions[0]), "1920x1080 5.37x3.02");
        QCOMPARE(fields(cameras[0].resolutions[1]), "0x0 0x3.6");
        QCOMPARE(cameras[0].recommendedLensModels, (QStringList { "L1", "L2" }));
        QCOMPARE(fields(cameras[1].resolutions[0]), "-1x576 4.8x3.6");
    }

    void shippedCataloguesAreConsistent()
    {
        const QString dir = QStringLiteral(TERVIX_CATALOGUE_SOURCE_DIR);
        QList<LensInfo> lenses;
        QList<CameraInfo> cameras;
        QVERIFY(ReadLensCatalogue(dir + "/LensInfo.xml", lenses));
        QVERIFY(ReadCameraCatalogue(dir + "/Camera_Lens.xml", cameras));
        QVERIFY(lenses.size() >= 30 && cameras.size() >= 10);
        QStringList models;
        for (const LensInfo &lens : std::as_const(lenses)) {
            models.append(lens.model());
        }
        for (const CameraInfo &camera : std::as_const(cameras)) {
            for (const QString &model : camera.recommendedLensModels) {
                QVERIFY2(models.contains(model), qPrintable(camera.name() + ": " + model));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLensCatalogue)
#include "tst_lenscatalogue.moc"
