// The frame codec: a byte stream cut into frames the way a peer reads it,
// each header checked and put back, each login payload decoded.
#include "solvane_protocol.h"

#include <cstdlib>
#include <cstring>

using namespace solvane::proto;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    size_t at = 0;
    while (size - at >= HeaderSize) {
        uint32_t magic = 0;
        const Header header = decodeHeader(data + at, &magic);
        if (checkHeader(magic, header) != HeaderCheck::Ok) {
            break;
        }
        // A header that passed is its own bytes again.
        uint8_t again[HeaderSize];
        encodeHeader(header, again);
        if (std::memcmp(again, data + at, HeaderSize) != 0) {
            std::abort();
        }
        at += HeaderSize;
        if (header.length > size - at) {
            break;
        }
        const uint8_t *payload = data + at;
        if (const auto login = decodeLogin(payload, header.length)) {
            if (login->userName.size() > MaxUserName || login->proof == nullptr) {
                std::abort();
            }
            const std::array<uint8_t, ProofSize> proof = [&] {
                std::array<uint8_t, ProofSize> copy {};
                std::memcpy(copy.data(), login->proof, ProofSize);
                return copy;
            }();
            const auto encoded = encodeLogin(login->userName, proof);
            if (encoded.size() > header.length
                || std::memcmp(encoded.data(), payload, encoded.size()) != 0) {
                std::abort();
            }
        }
        const auto frame = encodeFrame(header, payload, header.length);
        if (frame.size() != HeaderSize + header.length
            || std::memcmp(frame.data() + HeaderSize, payload, header.length) != 0) {
            std::abort();
        }
        at += header.length;
    }
    return 0;
}
