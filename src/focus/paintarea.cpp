#include "paintarea.h"

#include "focusmeasure.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {
constexpr int InitialWidth = 400;
constexpr int InitialHeight = 300;
}

CPaintArea::CPaintArea(QWidget *parent) : QFrame(parent), m_curve(InitialWidth)
{
    resize(InitialWidth, InitialHeight);
    setWindowTitle(tr("CPaintArea"));
    if (objectName().isEmpty()) {
        setObjectName(QStringLiteral("CPaintAreaClass"));
    }
    setFont(QFont(QStringLiteral("Lucida Calligraphy"), 11));
    setBackgroundRole(QPalette::Dark);
    setAutoFillBackground(true);
    installEventFilter(this);

    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &CPaintArea::call);
    FocusMeasure::setEnabled(true);
}

CPaintArea::~CPaintArea()
{
    m_timer->stop();
}

void CPaintArea::focusFrameCallback(const uint8_t *picture, int width, int height, void *user)
{
    if (user != nullptr && picture != nullptr) {
        static_cast<CPaintArea *>(user)->m_curve.sampler().onFrame(picture, width, height);
    }
}

void CPaintArea::startSampling(unsigned frameRate)
{
    m_curve.startSampling(frameRate);
    m_timer->start(TickMs);
}

void CPaintArea::beginTuning()
{
    m_curve.beginTuning();
}

void CPaintArea::stop()
{
    m_curve.stop(width());
}

void CPaintArea::call()
{
    m_curve.tick();
    update();
}

void CPaintArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    for (const FocusCurve::Item &item : m_curve.paint(width(), height())) {
        painter.setPen(item.colour);
        if (item.kind == FocusCurve::Item::Line) {
            painter.drawLine(item.line);
        } else {
            painter.drawText(item.box, Qt::AlignLeft | Qt::AlignHCenter, tr("BEST"));
        }
    }
}

void CPaintArea::showEmbedded()
{
    setWindowFlags(Qt::SubWindow);
    showNormal();
}

bool CPaintArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this) {
        return QFrame::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            showEmbedded();
        }
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // Narrower than its window: embedded, so it goes full screen.
        if (width() < window()->width()) {
            setWindowFlags(Qt::Dialog);
            showFullScreen();
        } else {
            showEmbedded();
        }
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
