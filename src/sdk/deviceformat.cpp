#include "deviceformat.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace {

QString buildText(quint32 date)
{
    return QString::asprintf(
        "build%02d%02d%02d", int(date >> 16), int((date >> 8) & 0xFF), int(date & 0xFF));
}

using SeriesEntry = std::pair<quint8, const char *>;

// Sorted by code; codes 1 to 115, not all of them named.
constexpr std::array<SeriesEntry, 67> kSeries = { {
    { 1, "DVR-104 Series" },
    { 2, "DVR-108 Series" },
    { 3, "DVR-116 Series" },
    { 4, "DVR-204 Series" },
    { 5, "DVR-208 Series" },
    { 6, "DVR-216 Series" },
    { 7, "DVR-404 Series" },
    { 8, "DVR-408 Series" },
    { 9, "DVR-416 Series" },
    { 10, "DVS-101 Series" },
    { 11, "DVS-104 Series" },
    { 12, "DVS-201 Series" },
    { 13, "DVS-204 Series" },
    { 14, "NVR-108 Series" },
    { 15, "NVR-116 Series" },
    { 16, "NVR-132 Series" },
    { 17, "NVR-216 Series" },
    { 18, "NVR-232 Series" },
    { 19, "DEC-101 Series" },
    { 20, "DEC-104 Series" },
    { 30, "IPC1010 Series" },
    { 31, "IPC2030 Series" },
    { 32, "IPC2130 Series" },
    { 33, "IPC2230 Series" },
    { 34, "IPC3230 Series" },
    { 35, "IPC3240 Series" },
    { 36, "IPC3250 Series" },
    { 37, "IPC3260 Series" },
    { 38, "IPC3280 Series" },
    { 39, "IPD4010 Series" },
    { 40, "IPD4020 Series" },
    { 41, "IPD4030 Series" },
    { 42, "IPD4040 Series" },
    { 43, "IPB4130 Series" },
    { 44, "IPB4140 Series" },
    { 45, "IPB4150 Series" },
    { 46, "IPB4160 Series" },
    { 47, "IPW5010 Series" },
    { 48, "IPW5020 Series" },
    { 49, "IPW5030 Series" },
    { 50, "IPE5110 Series" },
    { 51, "IPE5120 Series" },
    { 52, "IPE5130 Series" },
    { 60, "IPZ6110 Series" },
    { 61, "IPZ6120 Series" },
    { 62, "IPZ6130 Series" },
    { 63, "IPZ6140 Series" },
    { 64, "IPZ6210 Series" },
    { 65, "IPZ6220 Series" },
    { 66, "IPF6620 Series" },
    { 67, "IPF6630 Series" },
    { 68, "IPF6640 Series" },
    { 69, "IPT6710 Series" },
    { 70, "IPT6720 Series" },
    { 71, "IPT6730 Series" },
    { 80, "ENC-701 Encoder" },
    { 81, "ENC-704 Encoder" },
    { 82, "ENC-708 Encoder" },
    { 83, "ENC-716 Encoder" },
    { 84, "CARD-801 Capture Card" },
    { 85, "CARD-804 Capture Card" },
    { 100, "PTZ-D100 Dome" },
    { 101, "PTZ-D200 Dome" },
    { 102, "PTZ-D300 Dome" },
    { 103, "ITS-100 Traffic" },
    { 104, "ITS-200 Traffic" },
    { 115, "THM-100 Thermal" },
} };

} // namespace

QString formatSoftwareVersion(quint32 version, quint32 buildDate)
{
    if ((version >> 24) != 0) {
        return QString::asprintf("V%d.%d.%d ", int(version >> 24), int((version >> 16) & 0xFF),
                   int(version & 0xFFFF))
            + buildText(buildDate);
    }
    return formatDspVersion(version, buildDate);
}

QString formatDspVersion(quint32 version, quint32 buildDate)
{
    return QString::asprintf("V%d.%d ", int(version >> 16), int(version & 0xFFFF))
        + buildText(buildDate);
}

QString formatMac(const QByteArray &mac)
{
    if (mac.size() != 6) {
        return {};
    }
    return QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", quint8(mac[0]), quint8(mac[1]),
        quint8(mac[2]), quint8(mac[3]), quint8(mac[4]), quint8(mac[5]));
}

QByteArray parseMac(const QString &text)
{
    QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 6) {
        parts = text.split(QLatin1Char('-'));
    }
    if (parts.size() != 6) {
        return {};
    }
    QByteArray mac;
    // Two hexadecimal digits a part and nothing else (no sign, no blank).
    const auto digit = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    for (const QString &part : std::as_const(parts)) {
        if (part.size() != 2 || !digit(part.at(0)) || !digit(part.at(1))) {
            return {};
        }
        mac.append(char(part.toUInt(nullptr, 16)));
    }
    return mac;
}

const char *seriesName(quint8 deviceType)
{
    static_assert(std::is_sorted(kSeries.begin(), kSeries.end(),
                      [](const SeriesEntry &a, const SeriesEntry &b) { return a.first < b.first; }),
        "series table sorted by code");
    const auto it = std::lower_bound(kSeries.begin(), kSeries.end(), deviceType,
        [](const SeriesEntry &entry, quint8 code) { return entry.first < code; });
    if (it != kSeries.end() && it->first == deviceType) {
        return it->second;
    }
    return "Unknown type";
}
