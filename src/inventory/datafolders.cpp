#include "datafolders.h"

#include <QCoreApplication>
#include <QDir>

// TERVIX_BIN_TO_DATA_DIR and TERVIX_BIN_TO_PRIVATE_LIB_DIR come from the
// build's install layout, relative to the installed program's folder.

namespace {

QString besideProgram(const char *relative)
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    return QDir::cleanPath(programDir.filePath(QString::fromUtf8(relative)));
}

} // namespace

QStringList dataFolders(DataLookup lookup)
{
    QStringList folders;
    if (lookup == DataLookup::WorkingDirectoryFirst) {
        folders << QDir::currentPath();
    }
    if (QCoreApplication::instance() != nullptr) {
        folders << QDir::cleanPath(QCoreApplication::applicationDirPath())
                << besideProgram(TERVIX_BIN_TO_DATA_DIR);
    }
    folders.removeDuplicates();
    return folders;
}

QString privateLibraryFolder()
{
    if (QCoreApplication::instance() == nullptr) {
        return QString();
    }
    return besideProgram(TERVIX_BIN_TO_PRIVATE_LIB_DIR);
}
