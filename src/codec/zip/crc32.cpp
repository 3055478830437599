#include "codec/zip/crc32_p.h"

#include <zlib.h>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BCF_CRC32_CLMUL 1
#endif

namespace bcf {

namespace {

std::uint32_t zlibCrc(std::uint32_t crc, const unsigned char* data, std::size_t size) {
    return static_cast<std::uint32_t>(crc32_z(crc, data, size));
}

#if defined(BCF_CRC32_CLMUL)

// Folding: the bit-reflected CRC register is linear, so a 128-bit block followed by 128 (or
// 512) more bits of data has the same effect as the block multiplied by x^(128+32) and x^128
// (or x^(512+32) and x^512) modulo the polynomial, which carry-less multiplication by these
// constants gives. What is left in the end is 16 bytes whose CRC, from a register of zero, is
// that of everything folded into them; zlib finishes it with the bytes that remain.
__m128i load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// `x` carried over 128 bits of data (or 512 with the other constants) and joined to `next`.
__attribute__((target("pclmul"))) __m128i fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
                         next);
}

__attribute__((target("pclmul"))) std::uint32_t clmulCrc(std::uint32_t crc, const unsigned char* data,
                                                         std::size_t size) {
    const __m128i foldBy4 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    const __m128i foldBy1 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    // The register as zlib keeps it is inverted; un-inverted, it joins the first four bytes.
    __m128i x0 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(static_cast<int>(~crc)));
    __m128i x1 = load(data + 16), x2 = load(data + 32), x3 = load(data + 48);
    data += 64;
    size -= 64;
    for (; size >= 64; data += 64, size -= 64) {
        x0 = fold(x0, foldBy4, load(data));
        x1 = fold(x1, foldBy4, load(data + 16));
        x2 = fold(x2, foldBy4, load(data + 32));
        x3 = fold(x3, foldBy4, load(data + 48));
    }
    x0 = fold(fold(fold(x0, foldBy1, x1), foldBy1, x2), foldBy1, x3);
    for (; size >= 16; data += 16, size -= 16)
        x0 = fold(x0, foldBy1, load(data));
    alignas(16) unsigned char rest[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(rest), x0);
    // From a register of zero: zlib's crc32_z(c) starts from ~c.
    return zlibCrc(zlibCrc(0xffffffffu, rest, sizeof rest), data, size);
}

bool hasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul");
    return has;
}

#endif

} // namespace

std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
#if defined(BCF_CRC32_CLMUL)
    if (size >= 128 && hasClmul())
        return clmulCrc(crc, bytes, size);
#endif
    return zlibCrc(crc, bytes, size);
}

} // namespace bcf
