/* A stand-in for impborl.dll that exports _implode and _crc32 but not _explode: the binding
 * must find compression unavailable and free it again. Test use only. */
unsigned int noexplode_implode(void) {
    return 0;
}
unsigned long noexplode_crc32(void) {
    return 0;
}
