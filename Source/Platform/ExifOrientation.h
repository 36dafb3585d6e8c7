#pragma once
// How a camera held the phone, from a JPEG's EXIF data, and the picture turned to match. Plain
// C++ without a JPEG library, so every host's decoder can share it.

#include "Platform/HostImages.h"

#include <cstddef>
#include <cstdint>

namespace ExifOrientation {

// The EXIF orientation (1 to 8) of a JPEG file's bytes; 1 when it has none or the data is
// damaged. Reads the segments before the image data only.
int ofJPEG(const std::uint8_t* data, std::size_t size);
// The same for the payload of one APP1 segment ("Exif\0\0" and a TIFF header).
int ofExifSegment(const std::uint8_t* payload, std::size_t size);
// Orientations 2 to 8: mirrored and turned as the camera was held.
void turnUpright(HostImage& image, int orientation);

} // namespace ExifOrientation
