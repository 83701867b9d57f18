#pragma once

#include "videopresenter.h"

class CRealPlay;

// The frame a live preview is shown in. A double click switches it to full
// screen and back; Escape comes back too. Every key press stops here.
class CPlayWindow : public CVideoPresenter
{
    Q_OBJECT

public:
    explicit CPlayWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // The preview shown here, told when the window changes size; not owned.
    void SetRealPlay(CRealPlay *realPlay);
    bool isShownFullScreen() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showEmbedded();
    void showWholeScreen();

    CRealPlay *m_realPlay = nullptr;
};
