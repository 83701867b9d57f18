#include "focusmeasure.h"

#include <QRandomGenerator>
#include <QTest>

#include <vector>

using Picture = std::vector<uchar>;

namespace {

// Every column n of every row holds columnValue(n).
template<typename Column> Picture columns(int width, int height, Column columnValue)
{
    Picture picture(size_t(width) * size_t(height));
    for (size_t k = 0; k < picture.size(); ++k) {
        picture[k] = uchar(columnValue(int(k % size_t(width))));
    }
    return picture;
}

// A picture of one of a few kinds: noise, stripes, a flat grey, a ramp with
// noise; the kinds give small and large focus values.
Picture randomPicture(QRandomGenerator &random, int width, int height)
{
    Picture picture(size_t(width) * size_t(height));
    const int kind = random.bounded(4);
    const int period = 1 + random.bounded(40);
    const uchar low = uchar(random.bounded(256)), high = uchar(random.bounded(256));
    for (size_t k = 0; k < picture.size(); ++k) {
        const int column = int(k % size_t(width));
        switch (kind) {
        case 0:
            picture[k] = uchar(random.bounded(256));
            break;
        case 1:
            picture[k] = (column / period) % 2 != 0 ? high : low;
            break;
        case 2:
            picture[k] = low;
            break;
        default:
            picture[k] = uchar((column * 255 / width + random.bounded(32)) & 0xFF);
            break;
        }
    }
    return picture;
}

} // namespace

class TestFocusMeasure : public QObject
{
    Q_OBJECT

private slots:
    void workedValues_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("secondRow");
        QTest::addColumn<int>("expected");
        QTest::newRow("edge") << 8 << QByteArray::fromHex("00000000ffffffff") << 324;
        QTest::newRow("alternating")
            << 16 << QByteArray::fromHex("00ff00ff00ff00ff00ff00ff00ff00ff") << 537;
    }

    void workedValues()
    {
        QFETCH(int, width);
        QFETCH(QByteArray, secondRow);
        QFETCH(int, expected);
        Picture picture(size_t(width), 0);
        picture.insert(picture.end(), secondRow.begin(), secondRow.end());
        QCOMPARE(FocusMeasure::measurePlain(picture.data(), width, 2), expected);
        for (const FocusMeasure::Kernel &kernel : FocusMeasure::availableKernels()) {
            QVERIFY2(kernel.measure(picture.data(), width, 2) == expected, kernel.name);
        }
        QCOMPARE(FocusMeasure::measureFast(picture.data(), width, 2), expected);
    }

    void disabledMeasureGivesOne()
    {
        const Picture picture = columns(16, 2, [](int n) { return n % 2 != 0 ? 255 : 0; });
        FocusMeasure::setEnabled(false);
        QCOMPARE(FocusMeasure::focusValue(picture.data(), 16, 2), 1);
        FocusMeasure::setEnabled(true);
        QCOMPARE(FocusMeasure::focusValue(picture.data(), 16, 2),
            FocusMeasure::measurePlain(picture.data(), 16, 2));
        FocusMeasure::setEnabled(false);
    }

    // The filter starts again on every row, so a flat picture adds the same
    // start-up contribution for every row after the first (whose window
    // starts in the zeros before the picture).
    void everyRowStartsAfresh()
    {
        const Picture flat(size_t(50) * 3, 200);
        const qint32 one = FocusMeasure::measurePlain(flat.data(), 50, 1);
        const qint32 two = FocusMeasure::measurePlain(flat.data(), 50, 2);
        QVERIFY(two > one);
        QVERIFY(one > 0);
        QCOMPARE(FocusMeasure::measurePlain(flat.data(), 50, 3), one + 2 * (two - one));
    }

    void kernelsEqualPlainOnRandomPictures()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        // The small and odd first, then sizes up to 1920 x 1088.
        QList<QSize> sizes { { 1, 1 }, { 1, 9 }, { 2, 3 }, { 3, 1 }, { 4, 4 }, { 5, 2 }, { 6, 7 },
            { 7, 17 }, { 9, 8 }, { 15, 33 }, { 17, 16 }, { 33, 5 } };
        while (sizes.size() < 220) {
            int width = 1 + random.bounded(1920);
            if (sizes.size() % 2 == 0) {
                width |= 1;
            }
            sizes.append({ width, 1 + random.bounded(1088) });
        }
        sizes.append({ 1920, 1088 });
        for (const QSize &size : std::as_const(sizes)) {
            const Picture picture = randomPicture(random, size.width(), size.height());
            const qint32 plain
                = FocusMeasure::measurePlain(picture.data(), size.width(), size.height());
            for (const FocusMeasure::Kernel &kernel : FocusMeasure::availableKernels()) {
                const qint32 fast = kernel.measure(picture.data(), size.width(), size.height());
                if (fast != plain) {
                    QFAIL(qPrintable(QStringLiteral("%1 on %2x%3 (seed %4): %5, plain %6")
                                         .arg(QLatin1String(kernel.name))
                                         .arg(size.width())
                                         .arg(size.height())
                                         .arg(seed)
                                         .arg(fast)
                                         .arg(plain)));
                }
            }
        }
    }

    // The largest pictures: every row holds the same columns, so the total
    // is the first row plus the others' equal share, modulo 2^32. The
    // stripes at 7680 x 4320 take the total past 2^31: its 32-bit value is
    // the wrapped one.
    void largePicturesWrapTheTotal_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("period"); // columns of one level; 0: all 255
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
        const Picture picture = columns(width, height,
            [period](int n) { return period == 0 || (n / period) % 2 != 0 ? 255 : 0; });
        const qint64 first = quint32(FocusMeasure::measurePlain(picture.data(), width, 1));
        const qint64 share
            = qint32(quint32(FocusMeasure::measurePlain(picture.data(), width, 2)) - first);
        const qint64 unwrapped = first + (height - 1) * share;
        QCOMPARE(unwrapped > std::numeric_limits<qint32>::max(), wraps);

        const qint32 plain = FocusMeasure::measurePlain(picture.data(), width, height);
        QCOMPARE(plain, qint32(quint32(unwrapped)));
        for (const FocusMeasure::Kernel &kernel : FocusMeasure::availableKernels()) {
            QVERIFY2(kernel.measure(picture.data(), width, height) == plain, kernel.name);
        }
    }

    void emptyPictureGivesZero_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("no columns") << 0 << 5;
        QTest::newRow("no rows") << 5 << 0;
        QTest::newRow("negative") << -3 << 4;
    }

    void emptyPictureGivesZero()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        const uchar byte = 255;
        QCOMPARE(FocusMeasure::measurePlain(&byte, width, height), 0);
        QCOMPARE(FocusMeasure::measureFast(&byte, width, height), 0);
    }
};

QTEST_APPLESS_MAIN(TestFocusMeasure)
#include "tst_focusmeasure.moc"
