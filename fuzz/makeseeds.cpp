// Writes the seed corpus of the wire-format targets from the real encoders:
// makeseeds <corpus folder>. The XML and text seeds are kept by hand.
#include "quarry_protocol.h"
#include "solvane_firmware.h"
#include "solvane_protocol.h"
#include "solvane_streamwire.h"
#include "vdec.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;
namespace proto = solvane::proto;

fs::path g_root;

void put(const std::string &target, const std::string &name, const Bytes &bytes)
{
    const fs::path folder = g_root / target;
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

void append(Bytes &to, const Bytes &bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

Bytes frame(uint16_t command, uint32_t sequence, uint32_t status, const Bytes &payload,
    bool reply = true)
{
    proto::Header header;
    header.command = command;
    header.sequence = sequence;
    header.status = status;
    header.length = uint32_t(payload.size());
    header.flags = reply ? proto::FlagReply : 0;
    return proto::encodeFrame(header, payload.data(), payload.size());
}

Bytes u32(uint32_t value)
{
    Bytes bytes(4);
    proto::putU32(bytes.data(), value);
    return bytes;
}

void frameAndClientSeeds()
{
    const Bytes nonce(proto::NonceSize, 0x5a);
    const Bytes challenge = frame(proto::Challenge, 0, proto::Ok, nonce, false);
    std::array<uint8_t, proto::ProofSize> proof {};
    proof = proto::loginProof("12345", nonce.data(), "admin");
    Bytes frames = challenge;
    append(frames, frame(proto::Login, 1, proto::Ok, proto::encodeLogin("admin", proof), false));
    put("fuzz_frame", "challenge_login", frames);
    put("fuzz_frame", "refusal", frame(proto::GetConfig, 7, proto::NotSupported, {}));

    // A whole conversation: login, device record, ability, PTZ list, logout.
    Bytes talk = challenge;
    append(talk, frame(proto::Login, 1, proto::Ok, u32(42)));
    Bytes record(132, 0);
    for (size_t i = 0; i < record.size(); ++i) {
        record[i] = uint8_t(i);
    }
    append(talk, frame(proto::GetConfig, 2, proto::Ok, record));
    const std::string text = "<DeviceAbility><PlatForm>x</PlatForm></DeviceAbility>";
    append(talk, frame(proto::GetAbility, 3, proto::Ok, Bytes(text.begin(), text.end())));
    Bytes ptz = u32(2);
    for (uint32_t i = 0; i < 2; ++i) {
        append(ptz, u32(i + 1));
        Bytes name(proto::PtzNameSize, 0);
        name[0] = 'P';
        name[1] = uint8_t('0' + i);
        append(ptz, name);
    }
    append(talk, frame(proto::GetPtzProtocols, 4, proto::Ok, ptz));
    append(talk, frame(proto::Logout, 5, proto::Ok, {}));
    put("fuzz_client", "conversation", talk);
    put("fuzz_frame", "conversation", talk);

    Bytes refusals = challenge;
    append(refusals, frame(proto::Login, 1, proto::Ok, u32(7)));
    append(refusals, frame(proto::GetConfig, 2, proto::NotSupported, {}));
    append(refusals, frame(proto::GetAbility, 3, proto::Ok, {}));
    append(refusals, frame(proto::GetPtzProtocols, 4, proto::Ok, u32(0)));
    put("fuzz_client", "refusals", refusals);

    Bytes wrong = challenge;
    append(wrong, frame(proto::Login, 1, proto::WrongPassword, {}));
    put("fuzz_client", "wrong_password", wrong);
    put("fuzz_client", "too_many", frame(proto::Challenge, 0, proto::TooManySessions, {}, false));
}

void discoverySeeds()
{
    quarry::Announcement announcement;
    announcement.serialNo = "CAM0001";
    announcement.mac = "00:11:22:33:44:55";
    announcement.ipAddress = "192.168.1.64";
    announcement.subnetMask = "255.255.255.0";
    announcement.softwareVersion = "V1.2.3";
    announcement.dspVersion = "V4.5";
    announcement.startTime = "2026-01-01 00:00:00";
    announcement.deviceType = 3;
    announcement.port = 8000;
    announcement.channelCount = 1;
    put("fuzz_discovery", "announcement", quarry::encodeAnnouncement(announcement));
    put("fuzz_discovery", "announcement_sparse", quarry::encodeAnnouncement(quarry::Announcement {}));
    put("fuzz_discovery", "inquiry", quarry::encodeInquiry(quarry::Inquiry { 0x1234 }));
    quarry::ChallengeRequest request;
    request.mac = { 0, 0x11, 0x22, 0x33, 0x44, 0x55 };
    request.ticket.fill(7);
    put("fuzz_discovery", "challenge_request", quarry::encodeChallengeRequest(request));
    quarry::Challenge challenge;
    challenge.mac = request.mac;
    challenge.ticket = request.ticket;
    challenge.nonce.fill(9);
    put("fuzz_discovery", "challenge", quarry::encodeChallenge(challenge));
    quarry::ReaddressRequest readdress;
    readdress.mac = request.mac;
    readdress.ipAddress = { 192, 168, 1, 65 };
    readdress.subnetMask = { 255, 255, 255, 0 };
    readdress.port = 8000;
    readdress.nonce = challenge.nonce;
    readdress.proof = quarry::readdressProof("admin", readdress);
    put("fuzz_discovery", "readdress", quarry::encodeReaddressRequest(readdress));
    quarry::ReaddressReply reply;
    reply.mac = request.mac;
    reply.nonce = challenge.nonce;
    reply.status = quarry::ReaddressStatus::Done;
    put("fuzz_discovery", "readdress_reply", quarry::encodeReaddressReply(reply));
    const std::string mac = "00:11:22:aa:BB:ff";
    put("fuzz_discovery", "mac_text", Bytes(mac.begin(), mac.end()));
}

void streamSeeds()
{
    solvane::stream::StreamHeader header;
    header.width = 640;
    header.height = 360;
    header.bitrate = 1000000;
    header.keyInterval = 50;
    header.extradata = { 0, 0, 0, 1, 0x67, 0x42, 0, 0x1e };
    if (const auto bytes = solvane::stream::encodeHeader(header)) {
        put("fuzz_stream", "header", *bytes);
    }
    vdec::StreamHeader parsed;
    parsed.width = 320;
    parsed.height = 240;
    parsed.codec = vdec::Codec::Mjpeg;
    put("fuzz_stream", "vdec_header", vdec::makeStreamHeader(parsed));
    // One picture in pieces, each behind a two-byte length.
    solvane::stream::PictureInfo info;
    info.number = 1;
    info.captureTime = 1700000000000000ull;
    const Bytes picture(300, 0xab);
    Bytes pieces;
    for (const Bytes &piece : solvane::stream::encodePieces(info, picture.data(), picture.size())) {
        pieces.push_back(uint8_t(piece.size()));
        pieces.push_back(uint8_t(piece.size() >> 8));
        append(pieces, piece);
    }
    put("fuzz_stream", "picture_pieces", pieces);

    // The stream connection: challenge, attach answer, header, one picture.
    const Bytes nonce(proto::NonceSize, 0x5a);
    Bytes talk = frame(proto::Challenge, 0, proto::Ok, nonce, false);
    append(talk, frame(proto::StreamAttach, 1, proto::Ok, {}));
    if (const auto bytes = solvane::stream::encodeHeader(header)) {
        append(talk, frame(proto::StreamHeader, 0, proto::Ok, *bytes, false));
    }
    for (const Bytes &piece : solvane::stream::encodePieces(info, picture.data(), picture.size())) {
        append(talk, frame(proto::StreamData, 0, proto::Ok, piece, false));
    }
    append(talk, frame(proto::KeepAlive, 0, proto::Ok, {}, false));
    put("fuzz_stream_client", "stream", talk);
}

void firmwareSeeds()
{
    solvane::firmware::ImageHeader header;
    header.description = { "P1", "16M", "64M", "IPC", "bullet", "EN" };
    header.softwareVersion = 0x01020003;
    header.buildDate = 0x00260101;
    header.bodyLength = 4096;
    header.digest.fill(0x3c);
    if (const auto bytes = solvane::firmware::encodeImageHeader(header)) {
        put("fuzz_firmware", "image_header", Bytes(bytes->begin(), bytes->end()));
    }
    std::array<uint8_t, proto::ProofSize> proof {};
    put("fuzz_firmware", "attach", solvane::firmware::encodeAttach(3, "admin", proof, 4352));
    const auto state = solvane::firmware::encodeState(solvane::firmware::Running, 40);
    put("fuzz_firmware", "state", Bytes(state.begin(), state.end()));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeseeds <corpus folder>\n");
        return 2;
    }
    g_root = argv[1];
    frameAndClientSeeds();
    discoverySeeds();
    streamSeeds();
    firmwareSeeds();
    return 0;
}
