#pragma once

#include <QObject>
#include <QString>

class QTabWidget;
class Tervix;

// Saves a picture of every page of the main window into a folder, then of
// the four configuration pages of the first listed camera, then closes the
// window: how the program is shown in the documentation and checked without
// a screen. Started by main when TERVIX_SCREENSHOT_DIR is set.
class ScreenshotTour : public QObject
{
    Q_OBJECT

public:
    ScreenshotTour(Tervix *window, const QString &folder, QObject *parent = nullptr);

    // Waits for the first show to settle, then walks the pages.
    void start(int settleMs = 1500);

private:
    void showPage();
    void capturePage();
    // Narrows the device table and hands its first camera to the frame.
    bool chooseCamera();
    void finish();

    Tervix *m_window;
    QTabWidget *m_tabs;
    QString m_folder;
    int m_page = 0;
    bool m_failed = false;
};
