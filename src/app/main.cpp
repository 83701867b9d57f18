#include "screenshottour.h"
#include "startup.h"
#include "tervix.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before the window system is reached, so it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("tervix " TERVIX_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TERVIX_VERSION));
    // Names the installed desktop entry, so desktops match the window to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tervix.Tervix"));

    QTranslator translator;
    InstallTervixTranslation(&translator, QLocale::system().name());

    Tervix window;
    // Installation checks: say what start-up found, then quit.
    if (qEnvironmentVariableIsSet("TERVIX_STARTUP_REPORT")) {
        QTimer::singleShot(
            0, &window, [&window, &translator] { ReportStartupAndClose(&window, translator); });
    }
    window.show();

    // Documentation and headless checks: picture every page, then quit.
    std::unique_ptr<ScreenshotTour> tour;
    const QString screenshotDir = qEnvironmentVariable("TERVIX_SCREENSHOT_DIR");
    if (!screenshotDir.isEmpty()) {
        tour = std::make_unique<ScreenshotTour>(&window, screenshotDir);
        bool ok = false;
        const int delayMs = qEnvironmentVariableIntValue("TERVIX_SCREENSHOT_DELAY_MS", &ok);
        tour->start(ok && delayMs > 0 ? delayMs : 1500);
    }

    return app.exec();
}
