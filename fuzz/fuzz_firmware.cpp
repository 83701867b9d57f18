// The firmware image header as the device reads it from an upload, and the
// upload's attach and state payloads.
#include "solvane_firmware.h"

#include <cstdlib>
#include <cstring>

using namespace solvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size >= firmware::HeaderSize) {
        if (const auto header = firmware::decodeImageHeader(data)) {
            // A header the device accepts is one the packer can write again.
            const auto again = firmware::encodeImageHeader(*header);
            if (!again) {
                std::abort();
            }
            const auto reread = firmware::decodeImageHeader(again->data());
            if (!reread || reread->description != header->description
                || reread->bodyLength != header->bodyLength
                || reread->digest != header->digest) {
                std::abort();
            }
            (void)firmware::imageFileName(header->description);
        }
    }
    if (const auto attach = firmware::decodeAttach(data, size)) {
        (void)attach->session;
    }
    (void)firmware::decodeState(data, size);
    (void)firmware::validText(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
