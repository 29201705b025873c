// explode.h -- the decompression engine. All of its state lives in a work
// area the caller provides (the classic 12596 bytes suffice); it never reads
// or writes outside that area and the caller's buffers, whatever the input.
#ifndef VELUMAR_IMPLODE_EXPLODE_H
#define VELUMAR_IMPLODE_EXPLODE_H

#include <cstddef>

#include "implode/codec.h"
#include "implode/stream_io.h"

namespace velumar::implode::detail {

inline constexpr size_t kExplodeWorkSize = 12596;

// Expands one stream from io.read to io.write. Stops at the end-of-stream
// code (Result::Ok) or when the input ends first (Result::Aborted). Bytes
// after the end-of-stream code that were already read are ignored.
// Result::Aborted too when workSize is below kExplodeWorkSize.
Result explodeWithWork(const StreamIo& io, void* work, size_t workSize);

}  // namespace velumar::implode::detail

#endif
