// implode.h -- the compression engines.
//
// Level::Default runs inside a caller's work area (the classic 36312 bytes
// suffice): hash chains over a 4096-byte history with lazy matching, priced
// with the fixed codes' real bit costs. Level::Best allocates its own bounded
// working memory and parses each 64 KiB block optimally.
#ifndef VELUMAR_IMPLODE_IMPLODE_H
#define VELUMAR_IMPLODE_IMPLODE_H

#include <cstddef>

#include "implode/codec.h"
#include "implode/stream_io.h"

namespace velumar::implode::detail {

inline constexpr size_t kImplodeWorkSize = 36312;

// Compresses everything io.read delivers into one complete stream.
// Result::Ok, or Result::Aborted when io.write refuses or workSize is short.
Result implodeWithWork(const StreamIo& io, void* work, size_t workSize, LiteralMode mode,
                       DictionarySize dict);

// The same with optimal parsing; allocates about 1.7 MiB. Result::Ok, or
// Result::Aborted when io.write refuses or the memory cannot be had.
Result implodeBest(const StreamIo& io, LiteralMode mode, DictionarySize dict);

}  // namespace velumar::implode::detail

#endif
