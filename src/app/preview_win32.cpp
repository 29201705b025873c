#include "app/preview_win32.h"

#include <cstdio>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "app/startup_rules.h"
#include "util/files_win32.h"

namespace velumar::app {
namespace {

// A picture larger than this is refused rather than decoded: the preview is 350 x 150, and a
// damaged header must not ask for gigabytes.
constexpr unsigned long kMaxPixels = 64ul * 1024 * 1024;

struct JpegError {
    jpeg_error_mgr manager;
    void* jump[5];
};

// libjpeg's errors end in a jump back to the decoder, never in exit(). __builtin_longjmp does
// not unwind, so nothing between the jump and its target may need a destructor: the decoder
// below keeps its C++ objects outside that span.
[[noreturn]] void onJpegError(j_common_ptr info) {
    __builtin_longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

struct DecodedPicture {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom, three bytes per pixel
};

bool decodeJpeg(const std::string& bytes, DecodedPicture& picture) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = onJpegError;
    error.manager.output_message = ignoreJpegMessage;
    if (__builtin_setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        static_cast<unsigned long>(info.output_width) * info.output_height > kMaxPixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    picture.width = info.output_width;
    picture.height = info.output_height;
    // Sized before any row is read, so a jump from inside libjpeg leaves no half-built object.
    picture.rgb.resize(size_t(picture.width) * picture.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.rgb.data() + size_t(info.output_scanline) * picture.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

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
