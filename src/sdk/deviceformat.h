#pragma once

#include <QByteArray>
#include <QString>

// How the program shows the identity fields of a device record, the same in
// the IP-range search, the device list and the command line.

// New form (major in bits 24-31 not 0): "V%d.%d.%d build%02d%02d%02d";
// older form (major 0, then major in bits 16-31, minor in 0-15):
// "V%d.%d build%02d%02d%02d". The build date holds the two-digit year in bits
// 16-31, the month in bits 8-15 and the day in bits 0-7.
QString formatSoftwareVersion(quint32 version, quint32 buildDate);
// Always "V%d.%d build%02d%02d%02d", major in bits 16-31, minor in 0-15.
QString formatDspVersion(quint32 version, quint32 buildDate);
// "xx:xx:xx:xx:xx:xx" in lower-case hexadecimal; empty unless six bytes.
QString formatMac(const QByteArray &mac);
// Parses "xx:xx:xx:xx:xx:xx" (or with '-'); empty on bad input.
QByteArray parseMac(const QString &text);

// Series name of the device type byte; "Unknown type" for a code without one.
const char *seriesName(quint8 deviceType);
