#include "focusmeasure.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using Picture = std::vector<uchar>;

// Every row alike: column n holds 255 where the stripe of `period` columns
// is odd (period 0: everywhere), else 0.
static Picture stripes(int width, int height, int period)
{
    Picture picture(size_t(width) * size_t(height));
    for (size_t k = 0; k < picture.size(); ++k) {
        const int n = int(k % size_t(width));
        picture[k] = period == 0 || (n / period) % 2 != 0 ? 255 : 0;
    }
    return picture;
}

class TestFocusMeasure : public QObject
{
    Q_OBJECT

    static void compareKernels(const Picture &picture, int width, int height, qint32 expected)
    {
        for (const FocusMeasure::Kernel &kernel : FocusMeasure::availableKernels()) {
            const qint32 value = kernel.measure(picture.data(), width, height);
            QVERIFY2(value == expected,
                qPrintable(QString::asprintf(
                    "%s on %dx%d: %d, plain %d", kernel.name, width, height, value, expected)));
        }
    }

private slots:
    void workedValues_data()
    {
        QTest::addColumn<QByteArray>("secondRow");
        QTest::addColumn<int>("expected");
        QTest::newRow("edge") << QByteArray::fromHex("00000000ffffffff") << 324;
        QTest::newRow("alternating")
            << QByteArray::fromHex("00ff00ff00ff00ff00ff00ff00ff00ff") << 537;
    }

    void workedValues()
    {
        QFETCH(QByteArray, secondRow);
        QFETCH(int, expected);
        const int width = int(secondRow.size());
        Picture picture(size_t(width), 0);
        picture.insert(picture.end(), secondRow.begin(), secondRow.end());
        QCOMPARE(FocusMeasure::measurePlain(picture.data(), width, 2), expected);
        compareKernels(picture, width, 2, expected);
        FocusMeasure::setEnabled(false);
        QCOMPARE(FocusMeasure::focusValue(picture.data(), width, 2), 1);
        FocusMeasure::setEnabled(true);
        QCOMPARE(FocusMeasure::focusValue(picture.data(), width, 2), expected);
    }

    // Noise, stripes or a flat grey, of sizes from 1x1 to 1920x1088, every
    // other width odd.
    void kernelsEqualPlainOnRandomPictures()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        qInfo("seed %u", seed);
        QList<QSize> sizes { { 1, 1 }, { 1, 9 }, { 3, 1 }, { 4, 4 }, { 5, 2 }, { 7, 17 }, { 9, 8 },
            { 17, 16 }, { 1920, 1088 } };
        while (sizes.size() < 220) {
            const int oddness = int(sizes.size() % 2);
            sizes.append({ (1 + random.bounded(1920)) | oddness, 1 + random.bounded(1088) });
        }
        for (const QSize &size : std::as_const(sizes)) {
            const int kind = random.bounded(3), period = 1 + random.bounded(40);
            Picture picture = kind == 1
                ? stripes(size.width(), size.height(), period)
                : Picture(size_t(size.width()) * size_t(size.height()), uchar(random.bounded(256)));
            if (kind == 0) {
                random.fillRange(reinterpret_cast<quint32 *>(picture.data()), picture.size() / 4);
            }
            compareKernels(picture, size.width(), size.height(),
                FocusMeasure::measurePlain(picture.data(), size.width(), size.height()));
        }
    }

    // Every row alike, so the total is the first row plus the others' equal
    // share, modulo 2^32. Eight-bit pictures keep every filter output
    // within 32 bits; the total of the stripes at 7680x4320 passes 2^31.
    void largePicturesWrapTheTotal_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("period");
        QTest::addColumn<bool>("wraps");
        QTest::newRow("all 255, 3840x2160") << 3840 << 2160 << 0 << false;
        QTest::newRow("alternating columns, 3840x2160") << 3840 << 2160 << 1 << false;
        QTest::newRow("stripes of 8, 7680x4320") << 7680 << 4320 << 8 << true;
    }

    void largePicturesWrapTheTotal()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, period);
        QFETCH(bool, wraps);
        const Picture picture = stripes(width, height, period);
        const qint64 first = FocusMeasure::measurePlain(picture.data(), width, 1);
        const qint64 share = FocusMeasure::measurePlain(picture.data(), width, 2) - first;
        const qint64 unwrapped = first + (height - 1) * share;
        QCOMPARE(unwrapped > std::numeric_limits<qint32>::max(), wraps);
        const qint32 plain = FocusMeasure::measurePlain(picture.data(), width, height);
        QCOMPARE(plain, qint32(quint32(unwrapped)));
        compareKernels(picture, width, height, plain);
    }
};

QTEST_APPLESS_MAIN(TestFocusMeasure)
#include "tst_focusmeasure.moc"
