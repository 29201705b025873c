#include "app/preview_win32.h"

#include <string>

#include "app/jpeg_picture.h"
#include "app/startup_rules.h"
#include "util/files_win32.h"

namespace velumar::app {
namespace {

GdiObject<HBITMAP> bitmapFromRgb(const DecodedPicture& picture) {
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = static_cast<LONG>(picture.width);
    format.bmiHeader.biHeight = -static_cast<LONG>(picture.height);  // top-down rows
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject<HBITMAP> bitmap(
        ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    const size_t stride = (size_t(picture.width) * 3 + 3) & ~size_t(3);
    auto* out = static_cast<unsigned char*>(bits);
    for (unsigned y = 0; y < picture.height; ++y) {
        const unsigned char* in = picture.rgb.data() + size_t(y) * picture.width * 3;
        unsigned char* row = out + y * stride;
        for (unsigned x = 0; x < picture.width; ++x) {
            row[x * 3 + 0] = in[x * 3 + 2];
            row[x * 3 + 1] = in[x * 3 + 1];
            row[x * 3 + 2] = in[x * 3 + 0];
        }
    }
    return bitmap;
}

GdiObject<HBITMAP> loadJpeg(const std::string& path) {
    std::string bytes;
    if (!readWholeFile(path, bytes) || bytes.empty()) return {};
    DecodedPicture picture;
    if (!decodeJpeg(bytes, picture)) return {};
    return bitmapFromRgb(picture);
}

}  // namespace

GdiObject<HBITMAP> loadPreviewPicture(const std::string& path) {
    try {
        switch (pictureFormatOf(path)) {
            case PictureFormat::bitmap:
                return GdiObject<HBITMAP>(
                    static_cast<HBITMAP>(::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
            case PictureFormat::jpeg:
                return loadJpeg(path);
            case PictureFormat::unknown:
                break;
        }
    } catch (...) {
    }
    return {};
}

}  // namespace velumar::app
