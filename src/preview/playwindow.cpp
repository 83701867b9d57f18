#include "playwindow.h"

#include "realplay.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

CPlayWindow::CPlayWindow(QWidget *parent, Qt::WindowFlags flags) : CVideoPresenter(parent, flags)
{
    setFocusPolicy(Qt::ClickFocus);
    installEventFilter(this);
}

bool CPlayWindow::isShownFullScreen() const
{
    // Embedded, the frame is narrower than the page's window it sits in.
    return width() >= window()->width() && isWindow();
}

bool CPlayWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this) {
        return CVideoPresenter::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && isShownFullScreen()) {
            showEmbedded();
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (isShownFullScreen()) {
            showEmbedded();
        } else {
            showWholeScreen();
        }
        return true;
    }
    return CVideoPresenter::eventFilter(watched, event);
}

void CPlayWindow::showEmbedded()
{
    setWindowFlags(Qt::SubWindow);
    showNormal();
    if (m_realPlay != nullptr) {
        m_realPlay->FullScreenChanged(false);
    }
}

void CPlayWindow::showWholeScreen()
{
    setWindowFlags(Qt::Dialog);
    showFullScreen();
    if (m_realPlay != nullptr) {
        m_realPlay->FullScreenChanged(true);
    }
}

void CPlayWindow::SetRealPlay(CRealPlay *realPlay)
{
    m_realPlay = realPlay;
    if (realPlay == nullptr) {
        return;
    }
    // The encoder card's preview is placed into this frame's client area, or the whole screen.
    const QPointer<CPlayWindow> self(this);
    realPlay->setWindowGeometry([self](quintptr) { return self ? self->rect() : QRect(); },
        [self] {
            const QScreen *screen = self ? self->screen() : QGuiApplication::primaryScreen();
            return screen != nullptr ? screen->size() : QSize();
        });
}
