#pragma once

#include <QString>

class QTranslator;

// Loads "tervix_" + localeName (for example "tervix_zh_CN.qm") from the
// working directory, else from the program's folder, and installs it. A
// missing file leaves the English texts; the result says whether one loaded.
bool InstallTervixTranslation(QTranslator *translator, const QString &localeName);
