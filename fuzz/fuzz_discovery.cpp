// The discovery packet parsers of both sides: what the library takes from
// devices (announcements, challenges, re-address replies) and what the
// device takes from the network (inquiries, challenge and re-address
// requests), plus the MAC text reader.
#include "quarry_protocol.h"

#include <cstdlib>
#include <string>

using namespace quarry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto type = packetType(data, size);
    if (const auto announcement = decodeAnnouncement(data, size)) {
        // What was read is written back the same way.
        if (!type) {
            std::abort();
        }
        const Packet again = encodeAnnouncement(*announcement, *type);
        const auto reread = decodeAnnouncement(again.data(), again.size());
        if (!reread || !(*reread == *announcement)) {
            std::abort();
        }
    }
    (void)decodeInquiry(data, size);
    (void)decodeChallengeRequest(data, size);
    (void)decodeChallenge(data, size);
    if (const auto request = decodeReaddressRequest(data, size)) {
        (void)proofMatches("admin", *request);
    }
    (void)decodeReaddressReply(data, size);

    const std::string text(reinterpret_cast<const char *>(data), size);
    if (const auto mac = parseMac(text.c_str())) {
        const auto reread = parseMac(formatMac(*mac).c_str());
        if (!reread || *reread != *mac) {
            std::abort();
        }
    }
    return 0;
}
