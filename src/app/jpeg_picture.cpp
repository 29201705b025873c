#include "app/jpeg_picture.h"

#include <cstddef>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace velumar::app {
namespace {

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
void ignoreJpegWarning(j_common_ptr, int) {}
void formatNoJpegMessage(j_common_ptr, char* buffer) {
    buffer[0] = '\0';
}

}  // namespace

bool decodeJpeg(std::string_view bytes, DecodedPicture& picture) {
    jpeg_decompress_struct info;
    // libjpeg's own error manager (jpeg_std_error) brings the texts of all its messages, 5 KB
    // of every installer, and the preview shows none of them: this one has no texts. libjpeg
    // itself calls error_exit, emit_message (for warnings and traces) and reset_error_mgr, and
    // reads trace_level (0: no traces).
    JpegError error = {};
    error.manager.error_exit = onJpegError;
    error.manager.emit_message = ignoreJpegWarning;
    error.manager.output_message = ignoreJpegMessage;
    error.manager.format_message = formatNoJpegMessage;
    error.manager.reset_error_mgr = ignoreJpegMessage;
    info.err = &error.manager;
    if (__builtin_setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    // The installer's libjpeg is built without the arithmetic decoder; refused here as well, so
    // that the package tool, built with the host's libjpeg, judges a preview the same way.
    if (info.arith_code) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        static_cast<unsigned long>(info.output_width) * info.output_height > kMaxPreviewPixels) {
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

}  // namespace velumar::app
