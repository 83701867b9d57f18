#include "screenshottour.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

// Settle time of a page before it is captured (layouts, first paint).
constexpr int PageSettleMs = 400;

const char *const kPageNames[] = { "parameter-configuration", "batch-set", "batch-upgrade",
    "auxiliary-zoom", "lens-selection" };

} // namespace

ScreenshotTour::ScreenshotTour(
    QWidget *window, QTabWidget *tabs, const QString &folder, QObject *parent)
    : QObject(parent), m_window(window), m_tabs(tabs), m_folder(folder)
{ }

void ScreenshotTour::start(int settleMs)
{
    if (!QDir().mkpath(m_folder)) {
        std::fprintf(stderr, "Cannot create the screenshot folder %s\n", qPrintable(m_folder));
        QCoreApplication::exit(1);
        return;
    }
    QTimer::singleShot(settleMs, this, &ScreenshotTour::showPage);
}

void ScreenshotTour::showPage()
{
    if (m_page >= m_tabs->count()) {
        m_window->close();
        // A refused close (work running) must not leave the tour hanging.
        if (m_window->isVisible() || m_failed) {
            QCoreApplication::exit(1);
        }
        return;
    }
    m_tabs->setCurrentIndex(m_page);
    QTimer::singleShot(PageSettleMs, this, &ScreenshotTour::capturePage);
}

void ScreenshotTour::capturePage()
{
    const int count = static_cast<int>(sizeof kPageNames / sizeof kPageNames[0]);
    const QString name
        = m_page < count ? QString::fromLatin1(kPageNames[m_page]) : QStringLiteral("page");
    const QString path
        = QDir(m_folder).filePath(QStringLiteral("page-%1-%2.png").arg(m_page + 1).arg(name));
    if (m_window->grab().save(path)) {
        std::fprintf(stderr, "Saved %s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "Could not save %s\n", qPrintable(path));
        m_failed = true;
    }
    ++m_page;
    showPage();
}
