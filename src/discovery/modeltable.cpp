#include "searchadapter.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

// Device type codes announced by the discovery protocol and the model names
// shown for them. Sorted by code; looked up by exact code.
constexpr std::array<std::pair<uint32_t, const char *>, 40> kModels = { {
    { 1, "TVX-DVR-0401" },
    { 2, "TVX-DVR-0801" },
    { 3, "TVX-DVR-1601" },
    { 12, "TVX-NVR-0402" },
    { 13, "TVX-NVR-0802" },
    { 14, "TVX-NVR-1602" },
    { 15, "TVX-NVR-3202" },
    { 101, "TVX-ENC-0101" },
    { 102, "TVX-ENC-0401" },
    { 130, "TVX-DEC-0201" },
    { 2001, "TVX-IPC-B1100" },
    { 2002, "TVX-IPC-B1120" },
    { 2010, "TVX-IPC-D1100" },
    { 2011, "TVX-IPC-D1120" },
    { 2050, "TVX-IPC-Z1200" },
    { 4100, "TVX-IPC-B2200" },
    { 4101, "TVX-IPC-B2220-IR" },
    { 4120, "TVX-IPC-D2200" },
    { 4121, "TVX-IPC-D2220-IR" },
    { 4160, "TVX-IPC-F2200" },
    { 8200, "TVX-IPC-Z2300" },
    { 8201, "TVX-IPC-Z2330-PTZ" },
    { 12040, "TVX-IPC-B4400" },
    { 12041, "TVX-IPC-B4420-IR" },
    { 12090, "TVX-IPC-T4400-TH" },
    { 20031, "IPC2030-B" },
    { 20032, "IPC2130-B" },
    { 20035, "IPC3240-B" },
    { 20036, "IPC3250-B" },
    { 20040, "IPD4020-D" },
    { 20044, "IPB4140-B" },
    { 20061, "IPZ6120-Z" },
    { 20066, "IPF6620-F" },
    { 24010, "TVX-IPC-FE5200" },
    { 24011, "TVX-IPC-FE5220-360" },
    { 30500, "TVX-IPC-M8800" },
    { 30501, "TVX-IPC-M8820-4K" },
    { 33333, "TVX-IPC-S1010-MINI" },
    { 36000, "TVX-ITS-9000" },
    { 37896, "TVX-ITS-9060-ANPR" },
} };

static_assert(std::is_sorted(kModels.begin(), kModels.end(),
                  [](const auto &a, const auto &b) { return a.first < b.first; }),
    "the model table must stay sorted by code");

} // namespace

const char *QuarryModelName(uint32_t deviceType)
{
    if (deviceType == 0) {
        return "INVALID_DEV";
    }
    const auto found = std::lower_bound(kModels.begin(), kModels.end(), deviceType,
        [](const std::pair<uint32_t, const char *> &entry, uint32_t code) {
            return entry.first < code;
        });
    if (found != kModels.end() && found->first == deviceType) {
        return found->second;
    }
    return "IPCamera";
}
