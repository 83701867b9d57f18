#include "screenshottour.h"

#include "maintablewithmend.h"
#include "tervix.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QStandardItemModel>
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
constexpr int TabCount = int(sizeof kPageNames / sizeof kPageNames[0]);

// The configuration frame's pages, by their buttons.
const char *const kConfigButtons[] = { "PreButton", "ChannelButton", "NetButton", "PTZButton" };
const char *const kConfigNames[]
    = { "config-camera", "config-channel", "config-network", "config-ptz" };
constexpr int ConfigCount = int(sizeof kConfigButtons / sizeof kConfigButtons[0]);

} // namespace

ScreenshotTour::ScreenshotTour(Tervix *window, const QString &folder, QObject *parent)
    : QObject(parent),
      m_window(window),
      m_tabs(window->findChild<QTabWidget *>(QStringLiteral("MaintabWidget"))),
      m_folder(folder)
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
    if (m_page < TabCount) {
        m_tabs->setCurrentIndex(m_page);
    } else if (m_page == TabCount) {
        m_tabs->setCurrentIndex(0);
        if (!chooseCamera()) {
            std::fprintf(stderr, "No camera listed: the configuration pages are not pictured\n");
            finish();
            return;
        }
    }
    if (m_page >= TabCount + ConfigCount) {
        finish();
        return;
    }
    if (m_page >= TabCount) {
        const QString button = QString::fromLatin1(kConfigButtons[m_page - TabCount]);
        if (auto *page = m_window->findChild<QAbstractButton *>(button)) {
            page->click();
        }
    }
    QTimer::singleShot(PageSettleMs, this, &ScreenshotTour::capturePage);
}

bool ScreenshotTour::chooseCamera()
{
    if (m_window->deviceModel()->rowCount() == 0) {
        return false;
    }
    m_window->TablehideInConfig();
    m_window->configTable()->SelectRow(0);
    m_window->clickedConfigTable();
    return true;
}

void ScreenshotTour::finish()
{
    m_window->close();
    // A refused close (work running) must not leave the tour hanging.
    if (m_window->isVisible() || m_failed) {
        QCoreApplication::exit(1);
    }
}

void ScreenshotTour::capturePage()
{
    const QString name = m_page < TabCount ? QString::fromLatin1(kPageNames[m_page])
                                           : QString::fromLatin1(kConfigNames[m_page - TabCount]);
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
