// A small inflater (RFC 1951 inside an RFC 1950 wrapper) for the stand-in control, which must
// stay small enough to ship inside the stand-in installer. It decodes as much as fits into the
// output and stops quietly at the first fault; it checks no Adler-32. Not for the product: the
// installer itself inflates through zlib.
#ifndef VELUMAR_EXAMPLES_FLASHAX_TINY_INFLATE_H
#define VELUMAR_EXAMPLES_FLASHAX_TINY_INFLATE_H

namespace velumar::flashax {

// Inflates the zlib stream in into out; the number of bytes written.
unsigned long tinyInflate(const unsigned char* in, unsigned long inSize, unsigned char* out,
                          unsigned long outSize);

}  // namespace velumar::flashax

#endif
