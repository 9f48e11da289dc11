// A small PNG writer for the tool's previews: 8-bit RGBA, the image data in stored (not
// compressed) deflate blocks, so no compression library is needed.
#pragma once

#include <string>

#include "base/bitmap.h"

namespace tobu::cli {

// The PNG file of a picture of 0xAARRGGBB pixels, alpha kept.
std::string EncodePngRgba(const Bitmap32& picture);

} // namespace tobu::cli
