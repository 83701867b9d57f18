#pragma once

#include "focuscurve.h"

#include <QFrame>

#include <cstdint>

class QTimer;

// The focus curve widget of the focus page: the live focus value scrolling
// while the user sweeps the focus, then the frozen curve with its BEST
// line and the live line while fine-tuning. The values come from the
// preview's frame callback on the decoding thread; the widget reads them on
// its 200 ms timer, which runs from the first sampling until the widget is
// gone. Escape or a double click brings a full-screen curve back.
class CPaintArea : public QFrame
{
    Q_OBJECT

public:
    explicit CPaintArea(QWidget *parent = nullptr);
    ~CPaintArea() override;

    // The preview's frame callback; `user` is the CPaintArea. Touches only
    // the curve's atomic values.
    static void focusFrameCallback(const uint8_t *picture, int width, int height, void *user);

    void startSampling(unsigned frameRate);
    void beginTuning();
    void stop();

    const FocusCurve &curve() const { return m_curve; }
    const QTimer *timer() const { return m_timer; }

    static constexpr int TickMs = 200;

public slots:
    void call();

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showEmbedded();

    FocusCurve m_curve;
    QTimer *m_timer = nullptr;
};
