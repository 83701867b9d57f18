#pragma once

#include <QString>

class QTranslator;
class Tervix;

// Loads "tervix_" + localeName (for example "tervix_zh_CN.qm") from the
// working directory, else from the program's folder, else from the install
// prefix, and installs it. A missing file leaves the English texts; the
// result says whether one loaded.
bool InstallTervixTranslation(QTranslator *translator, const QString &localeName);

// The language of the translation InstallTervixTranslation installed
// ("zh_CN"), empty while the texts are the built-in English ones. The logo
// and the help index follow it rather than the locale name, so a missing .qm
// never mixes English texts with a Chinese logo or manual.
QString InstalledTranslationLanguage();

// For installation checks (TERVIX_STARTUP_REPORT set): prints on standard
// output what start-up found, one "key: value" line each (discovery-library,
// translation, camera-models, help-index, desktop-file; an empty value when
// nothing was found), then closes the window, and with it the program.
void ReportStartupAndClose(Tervix *window, const QTranslator &translator);
