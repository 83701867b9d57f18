#include "startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QTranslator>

bool InstallTervixTranslation(QTranslator *translator, const QString &localeName)
{
    const QString file = QStringLiteral("tervix_") + localeName;
    for (const QString &folder : { QDir::currentPath(), QCoreApplication::applicationDirPath() }) {
        if (translator->load(file, folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    return false;
}
