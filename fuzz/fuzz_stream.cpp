// The live stream's reader: the stream header (as the SDK checks it and as
// the decoder parses it) and the picture framing, pieces put back together
// the way StreamData payloads arrive.
#include "solvane_streamwire.h"
#include "vdec.h"

#include <cstdlib>

using namespace solvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (const auto header = stream::decodeHeader(data, size)) {
        const auto again = stream::encodeHeader(*header);
        if (!again) {
            std::abort();
        }
        const auto reread = stream::decodeHeader(again->data(), again->size());
        if (!reread || !(*reread == *header)) {
            std::abort();
        }
    }
    vdec::StreamHeader parsed;
    if (vdec::parseStreamHeader(data, size, &parsed)) {
        const auto made = vdec::makeStreamHeader(parsed);
        vdec::StreamHeader reparsed;
        if (!vdec::parseStreamHeader(made.data(), made.size(), &reparsed)
            || reparsed.width != parsed.width || reparsed.height != parsed.height
            || reparsed.extradata != parsed.extradata) {
            std::abort();
        }
    }
    (void)stream::decodeBlock(data, size);
    (void)stream::decodeAttach(data, size);

    // The rest as StreamData payloads, each behind a two-byte length.
    stream::PictureAssembler assembler;
    size_t at = 0;
    while (size - at >= 2) {
        const size_t length = std::min<size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
        at += 2;
        const auto result = assembler.take(data + at, length);
        at += length;
        if (result == stream::PictureAssembler::Result::Malformed) {
            break;
        }
        if (result == stream::PictureAssembler::Result::Complete) {
            const auto info = stream::decodeBlock(assembler.block(), assembler.blockSize());
            if (!info || !(*info == assembler.info())) {
                std::abort();
            }
        }
    }
    return 0;
}
