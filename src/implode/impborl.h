/* impborl.h -- the implode library's C interface.
 *
 * The PKWARE Data Compression Library "implode" format, behind the classic
 * three-function API. impborl.dll exports these functions under their classic
 * names (_implode, _explode, _crc32); the native build offers them as a static
 * library for host programs.
 *
 * Calling convention: C (cdecl) for the three functions and for both callbacks.
 *
 *   read callback:  unsigned read(char *buf, unsigned *size, void *param)
 *       Places up to *size bytes into buf and returns how many it placed;
 *       0 means the input is exhausted. *size is not changed by the callee.
 *   write callback: void write(char *buf, unsigned *size, void *param)
 *       Consumes *size bytes from buf.
 *
 * All state lives in the caller's work buffer (any alignment); the library has
 * no globals, so separate work buffers may be used at the same time. The work
 * buffer need not be cleared between calls.
 *
 * _explode reads its input in blocks of up to 2048 bytes, so it may read past
 * the end-of-stream code; those bytes are ignored. It writes output in blocks
 * of at most 8709 bytes, and on a failure it still writes what it expanded
 * before the failure. A read callback that reports more bytes than were asked
 * for is taken to have placed only what was asked for.
 *
 * The C++ interface (implode/codec.h) offers the same codec on buffers and
 * streams, and a slower compression level with smaller output.
 *
 * Results:
 *   0  IMPBORL_OK               success
 *   1  IMPBORL_BAD_DICT_SIZE    *dsize is not 1024, 2048 or 4096 (_implode), or
 *                               the stream's dictionary code is not 4, 5 or 6
 *   2  IMPBORL_BAD_LITERAL_MODE *type, or the stream's literal mode, is not
 *                               0 (binary) or 1 (ASCII)
 *   3  IMPBORL_BAD_DATA         the compressed stream is invalid
 *   4  IMPBORL_ABORT            the input ended before the end-of-stream code
 *                               (or a callback or work pointer is null)
 */
#ifndef VELUMAR_IMPBORL_H
#define VELUMAR_IMPBORL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define IMPBORL_CALL __cdecl
#else
#define IMPBORL_CALL
#endif

enum { IMPBORL_IMPLODE_WORK_SIZE = 36312, IMPBORL_EXPLODE_WORK_SIZE = 12596 };

enum { IMPBORL_BINARY = 0, IMPBORL_ASCII = 1 };

enum {
    IMPBORL_OK = 0,
    IMPBORL_BAD_DICT_SIZE = 1,
    IMPBORL_BAD_LITERAL_MODE = 2,
    IMPBORL_BAD_DATA = 3,
    IMPBORL_ABORT = 4
};

typedef unsigned int(IMPBORL_CALL* impborl_read_fn)(char* buf, unsigned int* size, void* param);
typedef void(IMPBORL_CALL* impborl_write_fn)(char* buf, unsigned int* size, void* param);

/* type: literal mode (IMPBORL_BINARY or IMPBORL_ASCII); dsize: dictionary
 * size in bytes, 1024, 2048 or 4096. work: IMPBORL_IMPLODE_WORK_SIZE bytes. */
unsigned int IMPBORL_CALL impborl_implode(impborl_read_fn read, impborl_write_fn write, char* work,
                                          void* param, unsigned int* type, unsigned int* dsize);

/* work: IMPBORL_EXPLODE_WORK_SIZE bytes. */
unsigned int IMPBORL_CALL impborl_explode(impborl_read_fn read, impborl_write_fn write, char* work,
                                          void* param);

/* CRC-32 (the library's: reflected 0xEDB88320) of *size bytes continuing from
 * *old_crc. Start with 0xFFFFFFFF and complement the final value. */
unsigned long IMPBORL_CALL impborl_crc32(char* buf, unsigned int* size, unsigned long* old_crc);

#ifdef __cplusplus
}
#endif

#endif
