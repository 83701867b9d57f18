#include "startup.h"

#include "datafolders.h"
#include "quarryloader.h"
#include "tervix.h"

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {
QString installedLanguage;
}

bool InstallTervixTranslation(QTranslator *translator, const QString &localeName)
{
    const QString file = QStringLiteral("tervix_") + localeName;
    for (const QString &folder : dataFolders(DataLookup::WorkingDirectoryFirst)) {
        if (translator->load(file, folder)) {
            QCoreApplication::installTranslator(translator);
            // load() falls back to shorter names ("tervix_zh"), so the file's
            // own language says what was loaded; an older .qm may not carry one.
            installedLanguage
                = translator->language().isEmpty() ? localeName : translator->language();
            return true;
        }
    }
    installedLanguage.clear();
    return false;
}

QString InstalledTranslationLanguage()
{
    return installedLanguage;
}

void ReportStartupAndClose(Tervix *window, const QTranslator &translator)
{
    const auto *cameras = window->findChild<QComboBox *>(QStringLiteral("comboIPCType"));
    std::printf("discovery-library: %s\n", qPrintable(QuarryLoader::instance().libraryPath()));
    std::printf("translation: %s\n", qPrintable(translator.filePath()));
    std::printf("camera-models: %d\n", cameras != nullptr ? cameras->count() : 0);
    std::printf("help-index: %s\n", qPrintable(Tervix::helpIndexPath()));
    std::printf("desktop-file: %s\n", qPrintable(QGuiApplication::desktopFileName()));
    std::fflush(stdout);
    // A failed start shows a message box; it must not hold the check up.
    if (QWidget *box = QApplication::activeModalWidget()) {
        box->close();
    }
    QTimer::singleShot(0, window, &QWidget::close);
}
