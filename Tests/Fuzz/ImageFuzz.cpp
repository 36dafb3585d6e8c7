// The picture decoder as the custom face and the resources use it, on arbitrary bytes.
#include "Platform/ImageCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    HostImage image;
    std::string error;
    // The face cropper's limit, then none of the caller's.
    for (int maxSide : { 1024, 0 }) {
        if (ImageCodec::decode(data, size, maxSide, image, error)) {
            if (image.rgba.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
                std::abort();
        } else if (error.empty()) {
            std::abort();
        }
    }
    return 0;
}
