#include "advacedfunc.h"
#include "ui_advacedfunc.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

const char kLenses[] = R"(<LensInfo>
  <LENS><t>Fixed</t><m>F4</m><d>1/3"</d><n>4</n><x>4</x><a>F1.4</a><i>IR</i><c>CS</c></LENS>
  <LENS><t>Fixed</t><m>F6</m><d>1/3"</d><n>6</n><x>6</x><a>F1.4</a><i>IR</i><c>CS</c></LENS>
  <LENS><t>Zoom</t><m>Z2812</m><d>1/3"</d><n>2.8</n><x>12</x><a>F1.6</a><i>DC</i><c>CS</c></LENS>
  <LENS><t>Board</t><m>B8</m><d>1/3"</d><n>8</n><x>8</x><a>F2.0</a><i>IR</i><c>M12</c></LENS>
</LensInfo>)";

const char kCameras[] = R"(<CameraLens>
  <Camera name="Box">
    <Resolution width="1280" height="960" target_width="4.8" target_height="3.6"/>
    <Resolution width="1280" height="720" target_width="4.8" target_height="2.7"/>
    <RecommedLensType><l>F4</l><l>F6</l><l>Z2812</l><l>missing</l></RecommedLensType>
  </Camera>
  <Camera name="Mini"><Resolution width="1280" height="960" target_width="4.8" target_height="3.6"/>
    <RecommedLensType><l>B8</l></RecommedLensType></Camera>
  <Camera name="Analogue"><Resolution width="-1" height="576" target_width="6.4" target_height="4.8"/>
    <RecommedLensType><l>F4</l></RecommedLensType></Camera>
  <Camera name="Empty"/>
</CameraLens>)";

static QStringList itemsOf(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
        items.append(combo->itemText(i));
    }
    return items;
}

class TestAdvacedFunc : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CAdvacedFunc> m_page;
    Ui::CAdvacedFunc *ui = nullptr;

private slots:
    void initTestCase()
    {
        QFile lenses(m_dir.filePath("LensInfo.xml"));
        QVERIFY(lenses.open(QIODevice::WriteOnly) && lenses.write(kLenses) > 0);
        QFile cameras(m_dir.filePath("Camera_Lens.xml"));
        QVERIFY(cameras.open(QIODevice::WriteOnly) && cameras.write(kCameras) > 0);
    }

    void init()
    {
        m_page = std::make_unique<CAdvacedFunc>(m_dir.path(), nullptr);
        ui = m_page->form();
    }

    void switchingCamerasRefreshesResolutionsAndLenses()
    {
        QCOMPARE(itemsOf(ui->comboIPCType), (QStringList { "Box", "Mini", "Analogue", "Empty" }));
        QCOMPARE(itemsOf(ui->comboResolution), (QStringList { "1280*960", "1280*720" }));
        // Same sensor width, so the same focal length: the lenses must still change.
        ui->comboIPCType->setCurrentIndex(1);
        QCOMPARE(ui->editCameraFocus->value(), 4.80);
        QCOMPARE(
            itemsOf(ui->comboLensInfo), QStringList { "B8, 1/3\", f8mm/F2.0/IR/M12 Interface" });
        QCOMPARE(ui->labelRecommendNum->text(), "(1)");
        const double angle = m_page->verticalAngle();
        // A camera without resolutions keeps the last sensor.
        ui->comboIPCType->setCurrentIndex(3);
        QCOMPARE(ui->comboResolution->count(), 0);
        QCOMPARE(m_page->verticalAngle(), angle);
        ui->comboIPCType->setCurrentIndex(2);
        QCOMPARE(itemsOf(ui->comboResolution), QStringList { "Analog" });
    }

    void computesFocalLengthAndAngles()
    {
        QCOMPARE(ui->editCameraFocus->value(), 4.80); // 10 m wide at 10 m
        QVERIFY(std::fabs(m_page->verticalAngle() - 41.11) < 0.01);
        QVERIFY(std::fabs(m_page->horizontalAngle() - 53.13) < 0.01);
        // The vertical simulation got the lens and set its scene around the object.
        QCOMPARE(ui->frameVertical->installation().verticalAngle(), m_page->verticalAngle());
        QCOMPARE(ui->frameVertical->installation().sceneWidth(), 20);
        QCOMPARE(ui->frameHorizontal->viewAngle(), m_page->horizontalAngle());

        ui->spinObjectWidth->setValue(5);
        QCOMPARE(ui->editCameraFocus->value(), 9.60);
        ui->spinObjectDistance->setValue(499);
        ui->spinObjectWidth->setValue(1);
        QCOMPARE(ui->editCameraFocus->value(), 1000.0);
        ui->editCameraFocus->setValue(12.01);
        QCOMPARE(
            itemsOf(ui->comboLensInfo), QStringList { "F6, 1/3\", f6mm/F1.4/IR/CS Interface" });
        QCOMPARE(ui->labelRecommendNum->text(), "(1)");
    }

    void labelsShowProportionsBracketOrDash()
    {
        m_page->ProPortionChanged(4, 8, 6, 2);
        QCOMPARE(ui->labelNearObj->text(), "50.0%");
        m_page->CameraBracketChanged(1, 30, 20);
        QCOMPARE(ui->labelBracket->text(), "12\u00B0");
        // The vertical simulation drives the same labels.
        ui->frameVertical->SetLens(25, 15, 10);
        QCOMPARE(ui->labelBracket->text(), "-5\u00B0");

        m_page->ProPortionChanged(4, 0, 6, -6);
        QCOMPARE(ui->labelNearObj->text(), "-");
        m_page->CameraBracketChanged(std::nanf(""), 25, 15);
        QCOMPARE(ui->labelBracket->text(), "-");
    }

    void bandwidthAndStorage_data()
    {
        QTest::addColumn<QList<int>>("inputs"); // kbit/s, hours a day, days
        QTest::addColumn<QStringList>("results"); // Mbit/s, GB
        using I = QList<int>;
        using S = QStringList;
        QTest::newRow("2 Mbit/s, a month") << I { 2048, 24, 30 } << S { "2.00", "632.81" };
        QTest::newRow("no hours") << I { 2048, 0, 30 } << S { "2.00", "0.00" };
        QTest::newRow("largest") << I { 65536, 24, 100000 } << S { "64.00", "67500000.00" };
    }

    void bandwidthAndStorage()
    {
        QFETCH(QList<int>, inputs);
        ui->editBitrate->setValue(inputs[0]);
        ui->spinDay->setValue(inputs[2]);
        ui->spinHour->setValue(inputs[1]);
        QTEST((QStringList { ui->editBandwidth->text(), ui->editSpace->text() }), "results");
        // Every input counts, whichever changes last.
        ui->spinDay->setValue(0);
        QCOMPARE(ui->editSpace->text(), "0.00");
    }

    void missingCataloguesLeaveEmptyPage()
    {
        QTemporaryDir empty;
        CAdvacedFunc page(empty.path(), nullptr);
        Ui::CAdvacedFunc *form = page.form();
        QVERIFY(page.lenses().isEmpty() && page.cameras().isEmpty());
        QSignalSpy lens(form->frameVertical, &CVerticalSimulate::ProPortionChanged);
        form->spinObjectDistance->setValue(30);
        form->editCameraFocus->setValue(8);
        QCOMPARE(form->comboLensInfo->count(), 0);
        QCOMPARE(form->labelRecommendNum->text(), "(0)");
        QVERIFY(lens.isEmpty());
        QVERIFY(!page.grab().isNull());
    }
};

QTEST_MAIN(TestAdvacedFunc)
#include "tst_advacedfunc.moc"
