// The JPEG preview's decoder (kinds 8): libjpeg into rows of RGB, refusing what the preview
// cannot show. Portable, so the package tool judges a preview with the installer's own decoder.
#ifndef VELUMAR_APP_JPEG_PICTURE_H
#define VELUMAR_APP_JPEG_PICTURE_H

#include <string_view>
#include <vector>

namespace velumar::app {

// A picture larger than this is refused rather than decoded: the preview is 350 x 150, and a
// damaged header must not ask for gigabytes.
inline constexpr unsigned long kMaxPreviewPixels = 64ul * 1024 * 1024;

struct DecodedPicture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom, three bytes per pixel
};

// False for a file libjpeg cannot decode, an arithmetic-coded one, one that does not give three
// components, an empty picture and one above kMaxPreviewPixels.
bool decodeJpeg(std::string_view bytes, DecodedPicture& picture);

}  // namespace velumar::app

#endif
