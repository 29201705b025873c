// The Flash movie panel's texts. None of them reaches the user directly: they name the failure
// that ends a movie's preparation, which the start-up passes over.
#ifndef VELUMAR_FLASH_FLASH_TEXTS_H
#define VELUMAR_FLASH_FLASH_TEXTS_H

#include <string_view>

namespace velumar::flash::texts {

// Messages of EZDecompressionError, by zlib result.
inline constexpr std::string_view kZlibFileError = "file error";               // Z_ERRNO
inline constexpr std::string_view kZlibStreamError = "stream error";           // Z_STREAM_ERROR
inline constexpr std::string_view kZlibDataError = "data error";               // Z_DATA_ERROR
inline constexpr std::string_view kZlibMemoryError = "insufficient memory";    // Z_MEM_ERROR
inline constexpr std::string_view kZlibBufferError = "buffer error";           // Z_BUF_ERROR
inline constexpr std::string_view kZlibVersionError = "incompatible version";  // Z_VERSION_ERROR
inline constexpr std::string_view kZlibNeedDictionary = "need dictionary";     // Z_NEED_DICT
inline constexpr std::string_view kInvalidZStreamOperation = "Invalid ZStream operation!";
// The inflated movie outgrows the length its header declares.
inline constexpr std::string_view kMovieLongerThanDeclared = "movie longer than declared";
// The inflated movie outgrows the ceiling set for any movie.
inline constexpr std::string_view kMovieTooLarge = "movie larger than 16 MiB";

// A read that ends before the bytes it needs.
inline constexpr std::string_view kStreamReadError = "Stream read error";
// A file that cannot be opened, created, read or written.
inline constexpr std::string_view kFileError = "file error";

// The temporary folder's base name and its two files.
inline constexpr std::string_view kTempFolderBase = "FlashPanel";
inline constexpr std::string_view kCompressedSegmentFile = "compressedSWFSegment.swf";
inline constexpr std::string_view kUncompressedCopyFile = "unCompressedSWF.swf";

}  // namespace velumar::flash::texts

#endif
