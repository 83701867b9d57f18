#include "solvane_protocol.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>

namespace solvane::proto {

void putU16(uint8_t *out, uint16_t value)
{
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
}

void putU32(uint8_t *out, uint32_t value)
{
    out[0] = uint8_t(value);
    out[1] = uint8_t(value >> 8);
    out[2] = uint8_t(value >> 16);
    out[3] = uint8_t(value >> 24);
}

uint16_t getU16(const uint8_t *in)
{
    return uint16_t(in[0] | (in[1] << 8));
}

uint32_t getU32(const uint8_t *in)
{
    return uint32_t(in[0]) | (uint32_t(in[1]) << 8) | (uint32_t(in[2]) << 16)
        | (uint32_t(in[3]) << 24);
}

void encodeHeader(const Header &header, uint8_t *out)
{
    putU32(out, Magic);
    out[4] = header.version;
    out[5] = header.flags;
    putU16(out + 6, header.command);
    putU32(out + 8, header.sequence);
    putU32(out + 12, header.status);
    putU32(out + 16, header.length);
}

Header decodeHeader(const uint8_t *in, uint32_t *magic)
{
    *magic = getU32(in);
    Header header;
    header.version = in[4];
    header.flags = in[5];
    header.command = getU16(in + 6);
    header.sequence = getU32(in + 8);
    header.status = getU32(in + 12);
    header.length = getU32(in + 16);
    return header;
}

HeaderCheck checkHeader(uint32_t magic, const Header &header)
{
    if (magic != Magic) {
        return HeaderCheck::BadMagic;
    }
    if (header.version != Version) {
        return HeaderCheck::BadVersion;
    }
    if (header.length > MaxPayload) {
        return HeaderCheck::TooLong;
    }
    return HeaderCheck::Ok;
}

std::vector<uint8_t> encodeFrame(const Header &header, const uint8_t *payload, std::size_t length)
{
    std::vector<uint8_t> frame(HeaderSize + length);
    Header withLength = header;
    withLength.length = uint32_t(length);
    encodeHeader(withLength, frame.data());
    if (length > 0) {
        std::memcpy(frame.data() + HeaderSize, payload, length);
    }
    return frame;
}

std::array<uint8_t, ProofSize> loginProof(
    std::string_view password, const uint8_t *nonce, std::string_view userName)
{
    std::array<uint8_t, NonceSize + MaxUserName> message {};
    const std::size_t nameLength = std::min(userName.size(), MaxUserName);
    std::memcpy(message.data(), nonce, NonceSize);
    std::memcpy(message.data() + NonceSize, userName.data(), nameLength);

    std::array<uint8_t, ProofSize> proof {};
    unsigned int proofLength = 0;
    // HMAC() accepts a null key pointer only with length 0 on some builds;
    // give it a valid pointer for the empty password.
    static const uint8_t emptyKey = 0;
    const void *key = password.empty() ? static_cast<const void *>(&emptyKey)
                                       : static_cast<const void *>(password.data());
    HMAC(EVP_sha256(), key, int(password.size()), message.data(), NonceSize + nameLength,
        proof.data(), &proofLength);
    return proof;
}

bool proofsEqual(const uint8_t *a, const uint8_t *b)
{
    return CRYPTO_memcmp(a, b, ProofSize) == 0;
}

bool randomBytes(uint8_t *out, std::size_t length)
{
    return RAND_bytes(out, int(length)) == 1;
}

std::vector<uint8_t> encodeLogin(
    std::string_view userName, const std::array<uint8_t, ProofSize> &proof)
{
    const std::size_t nameLength = std::min(userName.size(), MaxUserName);
    std::vector<uint8_t> payload(1 + nameLength + ProofSize);
    payload[0] = uint8_t(nameLength);
    std::memcpy(payload.data() + 1, userName.data(), nameLength);
    std::memcpy(payload.data() + 1 + nameLength, proof.data(), ProofSize);
    return payload;
}

std::optional<LoginRequest> decodeLogin(const uint8_t *payload, std::size_t length)
{
    if (length < 1) {
        return std::nullopt;
    }
    const std::size_t nameLength = payload[0];
    if (nameLength == 0 || nameLength > MaxUserName || length != 1 + nameLength + ProofSize) {
        return std::nullopt;
    }
    LoginRequest request;
    request.userName = std::string_view(reinterpret_cast<const char *>(payload + 1), nameLength);
    request.proof = payload + 1 + nameLength;
    return request;
}

} // namespace solvane::proto
