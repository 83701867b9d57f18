#pragma once

#include <QString>
#include <QStringList>

// Where the program's data (translation, help pages, catalogues) and its
// private shared objects are looked for. A build folder runs as it is, so
// the program's own folder is searched before the install prefix; the prefix
// is reached relative to the program, so a moved installation still finds
// everything.
enum class DataLookup {
    BesideProgram, // the program's folder, then <prefix>/share/tervix
    WorkingDirectoryFirst, // the working directory before those
};

// The folders to search, in order, cleaned; without an application object
// only the working directory (when asked for) is known.
QStringList dataFolders(DataLookup lookup);

// <prefix>/lib/tervix, where the installed program keeps libquarry.so;
// empty without an application object.
QString privateLibraryFolder();
