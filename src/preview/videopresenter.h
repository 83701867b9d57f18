#pragma once

#include "presenterregistry.h"

#include <QFrame>
#include <QImage>
#include <QMutex>
#include <QSize>

#include <atomic>
#include <memory>
#include <vector>

namespace vdec {
class RgbConverter;
}

// A frame that shows the pictures a video library decodes for its native
// window: it keeps only the newest picture and paints it on the
// user-interface thread, aspect kept. Pictures that arrive faster than the
// screen paints replace each other; nothing queues.
class CVideoPresenter : public QFrame, public PicturePresenter
{
    Q_OBJECT

public:
    explicit CVideoPresenter(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~CVideoPresenter() override;

    // The native window handle to give a library, registered for this frame.
    quintptr presenterHandle();

    // PicturePresenter, on the library's thread.
    void presentPicture(const uint8_t *yuv, int width, int height, qint64 captureTime) override;

    // Forgets the pictures: the frame shows its background again.
    void clearPicture();

    // The picture painted last (planar YUV 4:2:0) and its size; empty before
    // the first paint and after clearPicture().
    const std::vector<uint8_t> &shownPicture() const { return m_shown; }
    QSize shownSize() const { return m_shownSize; }
    int shownCount() const { return m_shownCount; }
    // Pictures replaced before they were painted.
    int droppedCount() const { return m_dropped.load(); }

signals:
    // A new picture was painted; its capture time as the library gave it.
    void pictureShown(qint64 captureTime);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void registerHandle(quintptr handle);

    QMutex m_newestMutex;
    std::vector<uint8_t> m_newest; // under m_newestMutex, as the next two
    QSize m_newestSize;
    qint64 m_newestTime = 0;
    bool m_fresh = false;
    std::atomic<bool> m_paintQueued { false };
    std::atomic<int> m_dropped { 0 };

    // User-interface thread only.
    std::vector<uint8_t> m_shown;
    QSize m_shownSize;
    int m_shownCount = 0;
    QImage m_image; // m_shown converted at the size it is painted
    std::unique_ptr<vdec::RgbConverter> m_converter;
    std::vector<quintptr>
        m_handles; // registered; a frame that changes window keeps its old handles
};
