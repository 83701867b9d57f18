// The presenter widget and the play window: newest picture only, aspect
// kept, pictures routed by window handle from the stream player, full
// screen and back.
#include "ffmpegstreams.h"
#include "playwindow.h"
#include "presenterregistry.h"
#include "strix.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

// A flat picture of one luminance value, neutral colour.
std::vector<uint8_t> flatPicture(int width, int height, uint8_t luma)
{
    std::vector<uint8_t> picture(vdec::pictureSize(width, height), 128);
    std::fill_n(picture.begin(), width * height, luma);
    return picture;
}

void present(CVideoPresenter &presenter, const std::vector<uint8_t> &picture, int width, int height,
    qint64 time = 0)
{
    presenter.presentPicture(picture.data(), width, height, time);
}

// The luminance plane of the picture painted last.
QByteArray lumaOf(const CVideoPresenter &presenter)
{
    const QSize size = presenter.shownSize();
    return QByteArray(reinterpret_cast<const char *>(presenter.shownPicture().data()),
        qsizetype(size.width()) * size.height());
}

} // namespace

class TestPlayWindow : public QObject
{
    Q_OBJECT

private slots:
    void keepsOnlyTheNewestPicture()
    {
        CVideoPresenter presenter;
        presenter.resize(160, 120);
        presenter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&presenter));
        QSignalSpy shown(&presenter, &CVideoPresenter::pictureShown);
        // Five pictures before the screen gets to paint: only the last is painted.
        for (int i = 0; i < 5; ++i) {
            present(presenter, flatPicture(32, 24, uint8_t(20 + i)), 32, 24, 1000 + i);
        }
        QTRY_COMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).at(0).toLongLong(), 1004);
        QCOMPARE(presenter.shownPicture(), flatPicture(32, 24, 24));
        QCOMPARE(presenter.shownSize(), QSize(32, 24));
        QCOMPARE(presenter.droppedCount(), 4);

        presenter.clearPicture();
        QVERIFY(presenter.shownPicture().empty());
    }

    void paintsWithTheAspectKept_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("painted");
        QTest::newRow("wide picture, bars above and below")
            << QSize(400, 400) << QSize(320, 160) << QRect(0, 100, 400, 200);
        QTest::newRow("tall picture, bars left and right")
            << QSize(400, 200) << QSize(100, 100) << QRect(100, 0, 200, 200);
    }

    void paintsWithTheAspectKept()
    {
        QFETCH(QSize, frame);
        QFETCH(QSize, picture);
        QFETCH(QRect, painted);
        CVideoPresenter presenter;
        presenter.setStyleSheet(QStringLiteral("background-color: black;"));
        presenter.resize(frame);
        presenter.show();
        QVERIFY(QTest::qWaitForWindowExposed(&presenter));
        QSignalSpy shown(&presenter, &CVideoPresenter::pictureShown);
        present(presenter, flatPicture(picture.width(), picture.height(), 235), picture.width(),
            picture.height());
        QTRY_COMPARE(shown.size(), 1);

        const QImage image = presenter.grab().toImage();
        const auto white = [&](QPoint p) { return qGray(image.pixel(p)) > 240; };
        QVERIFY(white(painted.center()));
        QVERIFY(white(painted.topLeft() + QPoint(2, 2)));
        QVERIFY(white(painted.bottomRight() - QPoint(2, 2)));
        const QPoint bar = painted.top() > 0 ? QPoint(frame.width() / 2, painted.top() / 2)
                                             : QPoint(painted.left() / 2, frame.height() / 2);
        QCOMPARE(qGray(image.pixel(bar)), 0);
    }

    void registryRoutesByWindowHandle()
    {
        auto presenter = std::make_unique<CVideoPresenter>();
        const quintptr handle = presenter->presenterHandle();
        QVERIFY(handle != 0);
        QCOMPARE(presenter->presenterHandle(), handle);
        const std::vector<uint8_t> picture = flatPicture(16, 16, 99);
        QVERIFY(PresenterRegistry::present(handle, picture.data(), 16, 16, 0));
        QVERIFY(!PresenterRegistry::present(handle + 1, picture.data(), 16, 16, 0));
        presenter.reset();
        QVERIFY(!PresenterRegistry::present(handle, picture.data(), 16, 16, 0));
    }

    void playerPicturesReachThePresenterOfTheirWindow()
    {
        QTemporaryDir dir;
        FfmpegStream stream;
        QString error;
        QVERIFY2(
            makeFfmpegStream(QDir(dir.path()), ffmpegCodecs().at(0), 176, 144, 5, &stream, &error),
            qPrintable(error));
        CVideoPresenter shown;
        CVideoPresenter other;
        shown.show();
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        QSignalSpy painted(&shown, &CVideoPresenter::pictureShown);
        int32_t port = -1;
        QVERIFY(Strix_GetPort(&port));
        QVERIFY(Strix_OpenStream(port, reinterpret_cast<const uint8_t *>(stream.header.constData()),
            uint32_t(stream.header.size()), 1 << 20));
        QVERIFY(Strix_Play(port, shown.presenterHandle()));
        other.presenterHandle();
        QVERIFY(Strix_InputData(port, reinterpret_cast<const uint8_t *>(stream.data.constData()),
            uint32_t(stream.data.size())));
        QVERIFY(Strix_InputEnd(port));
        QTRY_VERIFY_WITH_TIMEOUT(!painted.isEmpty(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(shown.shownPicture().size(), vdec::pictureSize(176, 144), 60000);
        // The last picture is the last one painted.
        QTRY_COMPARE_WITH_TIMEOUT(lumaOf(shown), stream.lumaPlanes.last(), 60000);
        QVERIFY(Strix_FreePort(port));
        QCOMPARE(other.shownCount(), 0);
    }

    void doubleClickAndEscape()
    {
        QWidget page;
        auto *layout = new QVBoxLayout(&page);
        auto *play = new CPlayWindow(&page);
        layout->addWidget(play);
        layout->addWidget(new QWidget(&page));
        page.resize(300, 200);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        const quintptr handle = play->presenterHandle();
        const std::vector<uint8_t> picture = flatPicture(16, 16, 99);

        // Keys stop here, and do nothing while embedded.
        QTest::keyClick(play, Qt::Key_Escape);
        QVERIFY(!play->isWindow());
        for (const bool escape : { true, false }) {
            QTest::mouseDClick(play, Qt::LeftButton);
            QTRY_VERIFY(play->isFullScreen());
            QVERIFY(play->isWindow() && play->isShownFullScreen());
            // The library keeps the handle it was given.
            QVERIFY(PresenterRegistry::present(handle, picture.data(), 16, 16, 0));
            if (escape) {
                QTest::keyClick(play, Qt::Key_Escape);
            } else {
                QTest::mouseDClick(play, Qt::LeftButton);
            }
            QTRY_VERIFY(!play->isWindow());
            QVERIFY(!play->isShownFullScreen());
            QCOMPARE(play->parentWidget(), &page);
            QTRY_VERIFY(play->isVisible());
            QTRY_VERIFY(play->width() < page.width() || play->height() < page.height());
            QVERIFY(PresenterRegistry::present(handle, picture.data(), 16, 16, 0));
        }
        // A right double click changes nothing.
        QTest::mouseDClick(play, Qt::RightButton);
        QVERIFY(!play->isWindow());
    }
};

QTEST_MAIN(TestPlayWindow)
#include "tst_playwindow.moc"
