#include "videopresenter.h"

#include "vdec.h"

#include <QEvent>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>
#include <cstring>

CVideoPresenter::CVideoPresenter(QWidget *parent, Qt::WindowFlags flags)
    : QFrame(parent, flags), m_converter(std::make_unique<vdec::RgbConverter>())
{ }

CVideoPresenter::~CVideoPresenter()
{
    PresenterRegistry::unregisterPresenter(this);
}

quintptr CVideoPresenter::presenterHandle()
{
    const quintptr handle = quintptr(winId());
    registerHandle(handle);
    return handle;
}

void CVideoPresenter::registerHandle(quintptr handle)
{
    if (std::find(m_handles.begin(), m_handles.end(), handle) == m_handles.end()) {
        m_handles.push_back(handle);
        PresenterRegistry::registerPresenter(handle, this);
    }
}

bool CVideoPresenter::event(QEvent *event)
{
    // Full screen and back make a new native window; a library keeps
    // playing into the handle it was given.
    if (event->type() == QEvent::WinIdChange && !m_handles.empty()) {
        registerHandle(quintptr(winId()));
    }
    return QFrame::event(event);
}

void CVideoPresenter::presentPicture(const uint8_t *yuv, int width, int height, qint64 captureTime)
{
    {
        const QMutexLocker locker(&m_newestMutex);
        if (m_fresh) {
            ++m_dropped;
        }
        m_newest.assign(yuv, yuv + vdec::pictureSize(width, height));
        m_newestSize = QSize(width, height);
        m_newestTime = captureTime;
        m_fresh = true;
    }
    // One paint request in flight at most, however fast pictures come.
    if (!m_paintQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_paintQueued = false;
                update();
            },
            Qt::QueuedConnection);
    }
}

void CVideoPresenter::clearPicture()
{
    {
        const QMutexLocker locker(&m_newestMutex);
        m_fresh = false;
        m_newest.clear();
    }
    m_shown.clear();
    m_shownSize = QSize();
    m_image = QImage();
    update();
}

void CVideoPresenter::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    bool fresh = false;
    qint64 captureTime = 0;
    {
        const QMutexLocker locker(&m_newestMutex);
        if (m_fresh) {
            // The painted buffer goes back for the next picture: no allocation per picture.
            std::swap(m_shown, m_newest);
            m_shownSize = m_newestSize;
            captureTime = m_newestTime;
            m_fresh = false;
            fresh = true;
        }
    }
    if (m_shown.empty()) {
        return;
    }
    const QRect area = contentsRect();
    const QSize size = m_shownSize.scaled(area.size(), Qt::KeepAspectRatio);
    if (size.isEmpty()) {
        return;
    }
    if (fresh || m_image.size() != size) {
        if (m_image.size() != size) {
            m_image = QImage(size, QImage::Format_RGB32);
        }
        m_converter->convert(m_shown.data(), m_shownSize.width(), m_shownSize.height(),
            m_image.bits(), size.width(), size.height(), int(m_image.bytesPerLine()));
    }
    QPainter painter(this);
    const QPoint origin(area.x() + (area.width() - size.width()) / 2,
        area.y() + (area.height() - size.height()) / 2);
    painter.drawImage(origin, m_image);
    if (fresh) {
        ++m_shownCount;
        emit pictureShown(captureTime);
    }
}
