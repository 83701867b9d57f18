#include "advacedfunc.h"
#include "ui_advacedfunc.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const char kLenses[] = R"(<?xml version="1.0"?>
<LensInfo>
  <LENS><t>Fixed</t><m>F4</m><d>1/3"</d><n>4</n><x>4</x><a>F1.4</a><i>IR</i><c>CS</c></LENS>
  <LENS><t>Fixed</t><m>F6</m><d>1/3"</d><n>6</n><x>6</x><a>F1.4</a><i>IR</i><c>CS</c></LENS>
  <LENS><t>Zoom</t><m>Z2812</m><d>1/3"</d><n>2.8</n><x>12</x><a>F1.6</a><i>DC</i><c>CS</c></LENS>
  <LENS><t>Board</t><m>B8</m><d>1/3"</d><n>8</n><x>8</x><a>F2.0</a><i>IR</i><c>M12</c></LENS>
</LensInfo>)";

const char kCameras[] = R"(<?xml version="1.0"?>
<CameraLens>
  <Camera name="Box">
    <Resolution width="1280" height="960" target_width="4.8" target_height="3.6"/>
    <Resolution width="1280" height="720" target_width="4.8" target_height="2.7"/>
    <RecommedLensType><l>F4</l><l>F6</l><l>Z2812</l><l>missing</l></RecommedLensType>
  </Camera>
  <Camera name="Mini">
    <Resolution width="1280" height="960" target_width="4.8" target_height="3.6"/>
    <RecommedLensType><l>B8</l></RecommedLensType>
  </Camera>
  <Camera name="Analogue">
    <Resolution width="-1" height="576" target_width="6.4" target_height="4.8"/>
    <RecommedLensType><l>F4</l></RecommedLensType>
  </Camera>
  <Camera name="Empty"/>
</CameraLens>)";

QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items.append(combo->itemText(i));
    }
    return items;
}

} // namespace

class TestAdvacedFunc : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void switchingCamerasRefreshesResolutionsAndLenses();
    void computesFocalLengthAndAngles();
    void recommendsLensesForTypedFocalLength_data();
    void recommendsLensesForTypedFocalLength();
    void labelsShowProportionsBracketOrDash();
    void bandwidthAndStorage_data();
    void bandwidthAndStorage();
    void missingCataloguesLeaveEmptyPage();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAdvacedFunc::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QFile lenses(m_dir->filePath("LensInfo.xml"));
    QVERIFY(lenses.open(QIODevice::WriteOnly));
    lenses.write(kLenses);
    QFile cameras(m_dir->filePath("Camera_Lens.xml"));
    QVERIFY(cameras.open(QIODevice::WriteOnly));
    cameras.write(kCameras);
}

void TestAdvacedFunc::switchingCamerasRefreshesResolutionsAndLenses()
{
    CAdvacedFunc page(m_dir->path(), nullptr);
    Ui::CAdvacedFunc *ui = page.form();
    QCOMPARE(itemsOf(ui->comboIPCType), (QStringList { "Box", "Mini", "Analogue", "Empty" }));
    QCOMPARE(itemsOf(ui->comboResolution), (QStringList { "1280*960", "1280*720" }));
    QCOMPARE(ui->comboLensInfo->count(), 2);
    // Same sensor width, so the same focal length: the lenses must still change.
    ui->comboIPCType->setCurrentIndex(1);
    QCOMPARE(ui->editCameraFocus->value(), 4.80);
    QCOMPARE(itemsOf(ui->comboLensInfo), QStringList { "B8, 1/3\", f8mm/F2.0/IR/M12 Interface" });
    QCOMPARE(ui->labelRecommendNum->text(), "(1)");
    const double angle = page.verticalAngle();
    // A camera without resolutions keeps the last sensor.
    ui->comboIPCType->setCurrentIndex(3);
    QCOMPARE(ui->comboResolution->count(), 0);
    QCOMPARE(page.verticalAngle(), angle);
    QCOMPARE(ui->editCameraFocus->value(), 4.80);
    ui->comboIPCType->setCurrentIndex(2);
    QCOMPARE(itemsOf(ui->comboResolution), QStringList { "Analog" });
    QCOMPARE(page.windowTitle(), "CAdvacedFunc");
}

void TestAdvacedFunc::computesFocalLengthAndAngles()
{
    CAdvacedFunc page(m_dir->path(), nullptr);
    Ui::CAdvacedFunc *ui = page.form();
    QCOMPARE(ui->spinObjectDistance->value(), 10);
    QCOMPARE(ui->spinObjectWidth->value(), 10);
    QCOMPARE(ui->editCameraFocus->value(), 4.80);
    QVERIFY(std::fabs(page.verticalAngle() - 41.11) < 0.01);
    QVERIFY(std::fabs(page.horizontalAngle() - 53.13) < 0.01);
    // The vertical simulation got the lens and set its scene around the object.
    QCOMPARE(ui->frameVertical->installation().verticalAngle(), page.verticalAngle());
    QCOMPARE(ui->frameVertical->installation().sceneWidth(), 20);
    QCOMPARE(ui->frameHorizontal->viewAngle(), page.horizontalAngle());

    ui->spinObjectWidth->setValue(5);
    QCOMPARE(ui->editCameraFocus->value(), 9.60);
    ui->comboResolution->setCurrentIndex(1);
    QVERIFY(std::fabs(page.verticalAngle() - 2 * std::atan(2.7 / 19.2) * 180 / 3.1415926) < 1e-4);
    ui->spinObjectDistance->setValue(499);
    ui->spinObjectWidth->setValue(1);
    QCOMPARE(ui->editCameraFocus->value(), 1000.0);
}

void TestAdvacedFunc::recommendsLensesForTypedFocalLength_data()
{
    QTest::addColumn<double>("focal");
    QTest::addColumn<QStringList>("items");

    const QString zoom = "Z2812, 1/3\", f2.8-12mm/F1.6/DC/CS Interface";
    const QString four = "F4, 1/3\", f4mm/F1.4/IR/CS Interface";
    const QString six = "F6, 1/3\", f6mm/F1.4/IR/CS Interface";
    QTest::newRow("between the fixed lenses") << 5.0 << QStringList { zoom, four, six };
    QTest::newRow("zoom at its end") << 12.0 << QStringList { zoom, six };
    QTest::newRow("beyond the zoom") << 12.01 << QStringList { six };
}

void TestAdvacedFunc::recommendsLensesForTypedFocalLength()
{
    QFETCH(double, focal);
    QFETCH(QStringList, items);

    CAdvacedFunc page(m_dir->path(), nullptr);
    Ui::CAdvacedFunc *ui = page.form();
    ui->editCameraFocus->setValue(focal);
    QCOMPARE(itemsOf(ui->comboLensInfo), items);
    QCOMPARE(ui->labelRecommendNum->text(), QString("(%1)").arg(items.size()));
}

void TestAdvacedFunc::labelsShowProportionsBracketOrDash()
{
    CAdvacedFunc page(m_dir->path(), nullptr);
    Ui::CAdvacedFunc *ui = page.form();
    const QString degree(QChar(0x00B0));
    page.ProPortionChanged(4, 8, 6, 2);
    QCOMPARE(ui->labelNearObj->text(), "50.0%");
    QCOMPARE(ui->labelFarObject->text(), "50.0%");
    page.CameraBracketChanged(1, 30, 20);
    QCOMPARE(ui->labelBracket->text(), "12" + degree);
    // The vertical simulation drives the same labels.
    ui->frameVertical->SetLens(25, 15, 10);
    QCOMPARE(ui->labelBracket->text(), "-5" + degree);

    page.ProPortionChanged(4, 0, 6, -6);
    QCOMPARE(ui->labelNearObj->text(), "-");
    QCOMPARE(ui->labelFarObject->text(), "-");
    page.CameraBracketChanged(std::nanf(""), 25, 15);
    QCOMPARE(ui->labelBracket->text(), "-");
}

void TestAdvacedFunc::bandwidthAndStorage_data()
{
    QTest::addColumn<int>("kbps");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("bandwidth");
    QTest::addColumn<QString>("storage");

    auto row = [](const char *name, int kbps, int hours, int days, const char *bandwidth,
                   const char *storage) {
        QTest::newRow(name) << kbps << hours << days << QString(bandwidth) << QString(storage);
    };
    row("nothing typed", 0, 0, 0, "0.00", "0.00");
    row("2 Mbit/s for a month", 2048, 24, 30, "2.00", "632.81");
    row("no hours", 2048, 0, 30, "2.00", "0.00");
    row("no bitrate", 0, 24, 30, "0.00", "0.00");
    row("largest inputs", 65536, 24, 100000, "64.00", "67500000.00");
}

void TestAdvacedFunc::bandwidthAndStorage()
{
    QFETCH(int, kbps);
    QFETCH(int, hours);
    QFETCH(int, days);
    QFETCH(QString, bandwidth);
    QFETCH(QString, storage);

    CAdvacedFunc page(m_dir->path(), nullptr);
    Ui::CAdvacedFunc *ui = page.form();
    ui->editBitrate->setValue(kbps);
    ui->spinDay->setValue(days);
    ui->spinHour->setValue(hours);
    QCOMPARE(ui->editBandwidth->text(), bandwidth);
    QCOMPARE(ui->editSpace->text(), storage);
    // Every input counts, whichever changes last.
    ui->spinDay->setValue(0);
    QCOMPARE(ui->editSpace->text(), "0.00");
    QVERIFY(ui->editSpace->isReadOnly() && ui->editBandwidth->isReadOnly());
}

void TestAdvacedFunc::missingCataloguesLeaveEmptyPage()
{
    QTemporaryDir empty;
    CAdvacedFunc page(empty.path(), nullptr);
    Ui::CAdvacedFunc *ui = page.form();
    QVERIFY(page.lenses().isEmpty() && page.cameras().isEmpty());
    QCOMPARE(ui->comboIPCType->count(), 0);
    QCOMPARE(ui->comboResolution->count(), 0);

    QSignalSpy lens(ui->frameVertical, &CVerticalSimulate::ProPortionChanged);
    ui->spinObjectDistance->setValue(30);
    ui->editCameraFocus->setValue(8);
    QCOMPARE(ui->comboLensInfo->count(), 0);
    QCOMPARE(ui->labelRecommendNum->text(), "(0)");
    QCOMPARE(page.verticalAngle(), 0.0);
    QVERIFY(lens.isEmpty());
    page.resize(1000, 680);
    QVERIFY(!page.grab().isNull());
}

QTEST_MAIN(TestAdvacedFunc)
#include "tst_advacedfunc.moc"
