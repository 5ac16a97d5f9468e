// Compositing loops: a scalar one for row ends and two vector ones (SSE2 everywhere on x86-64,
// AVX2 where the CPU has it) that compute the same 16-bit sums.
#include "platform/video/compositor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "platform/system/memory.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define POROMINA_X86 1
#endif

namespace {

constexpr uint32_t kOpaqueByte = 0xFF000000u;  // what the software renderer leaves in the spare byte

// One pixel over another: each colour channel mixed, the spare byte set.
inline uint32_t mix_pixel(uint32_t over, uint32_t under, int alpha) {
    uint32_t out = kOpaqueByte;
    for (int shift = 0; shift < 24; shift += 8)
        out |= static_cast<uint32_t>(composite_channel((over >> shift) & 0xFF, (under >> shift) & 0xFF, alpha)) << shift;
    return out;
}

void blend_row_scalar(uint32_t* dst, const uint32_t* src, int n, int alpha) {
    for (int i = 0; i < n; ++i) dst[i] = mix_pixel(src[i], dst[i], alpha);
}

void blend_over_row_scalar(uint32_t* dst, const uint32_t* src, int n, int alpha, uint32_t under) {
    for (int i = 0; i < n; ++i) dst[i] = mix_pixel(src[i], under, alpha);
}

// One channel of a two-pixel mix, rounded to nearest.
inline uint32_t lerp_pixel(uint32_t a, uint32_t b, uint32_t w) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= ((((a >> shift) & 0xFF) * (256 - w) + ((b >> shift) & 0xFF) * w + 128) >> 8) << shift;
    return out;
}

void scale_row_scalar(uint32_t* out, const uint32_t* src, int, const int32_t* first, const uint32_t* weight, int n) {
    for (int i = 0; i < n; ++i) {
        const uint32_t w = weight[i] & 0xFF;
        out[i] = w ? lerp_pixel(src[first[i]], src[first[i] + 1], w) : src[first[i]];
    }
}

void mix_rows_scalar(uint32_t* out, const uint32_t* a, const uint32_t* b, int n, int w) {
    if (w == 0) {
        if (n > 0) std::memcpy(out, a, static_cast<size_t>(n) * 4);
        return;
    }
    for (int i = 0; i < n; ++i) out[i] = lerp_pixel(a[i], b[i], static_cast<uint32_t>(w));
}

#ifdef POROMINA_X86

// Eight 16-bit channels: (under * (256 - a) + over * a) >> 8. The true sum never exceeds
// 255 * 256, so wrapping 16-bit products add up to it exactly.
__attribute__((target("sse2"))) inline __m128i mix16_sse2(__m128i over, __m128i under_weighted, __m128i a) {
    return _mm_srli_epi16(_mm_add_epi16(under_weighted, _mm_mullo_epi16(over, a)), 8);
}

__attribute__((target("sse2"))) void blend_row_sse2(uint32_t* dst, const uint32_t* src, int n, int alpha) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_set1_epi16(static_cast<short>(alpha));
    const __m128i inv = _mm_set1_epi16(static_cast<short>(256 - alpha));
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaqueByte));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i lo = mix16_sse2(_mm_unpacklo_epi8(s, zero), _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inv), a);
        const __m128i hi = mix16_sse2(_mm_unpackhi_epi8(s, zero), _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inv), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
    }
    blend_row_scalar(dst + i, src + i, n - i, alpha);
}

__attribute__((target("sse2"))) void blend_over_row_sse2(uint32_t* dst, const uint32_t* src, int n, int alpha,
                                                         uint32_t under) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_set1_epi16(static_cast<short>(alpha));
    const __m128i inv = _mm_set1_epi16(static_cast<short>(256 - alpha));
    const __m128i weighted = _mm_mullo_epi16(_mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(under)), zero), inv);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaqueByte));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const __m128i lo = mix16_sse2(_mm_unpacklo_epi8(s, zero), weighted, a);
        const __m128i hi = mix16_sse2(_mm_unpackhi_epi8(s, zero), weighted, a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
    }
    blend_over_row_scalar(dst + i, src + i, n - i, alpha, under);
}

__attribute__((target("avx2"))) inline __m256i mix16_avx2(__m256i over, __m256i under_weighted, __m256i a) {
    return _mm256_srli_epi16(_mm256_add_epi16(under_weighted, _mm256_mullo_epi16(over, a)), 8);
}

// The unpacks and the pack work inside each 128-bit half, so the pixels come back in order.
__attribute__((target("avx2"))) void blend_row_avx2(uint32_t* dst, const uint32_t* src, int n, int alpha) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i a = _mm256_set1_epi16(static_cast<short>(alpha));
    const __m256i inv = _mm256_set1_epi16(static_cast<short>(256 - alpha));
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaqueByte));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + i));
        const __m256i lo =
            mix16_avx2(_mm256_unpacklo_epi8(s, zero), _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), inv), a);
        const __m256i hi =
            mix16_avx2(_mm256_unpackhi_epi8(s, zero), _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), inv), a);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(_mm256_packus_epi16(lo, hi), opaque));
    }
    // Upper register halves left in use make every later SSE instruction of the process (SDL's
    // blits among them) slower; the compiler leaves this out before a tail call.
    _mm256_zeroupper();
    blend_row_scalar(dst + i, src + i, n - i, alpha);
}

__attribute__((target("avx2"))) void blend_over_row_avx2(uint32_t* dst, const uint32_t* src, int n, int alpha,
                                                         uint32_t under) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i a = _mm256_set1_epi16(static_cast<short>(alpha));
    const __m256i inv = _mm256_set1_epi16(static_cast<short>(256 - alpha));
    const __m256i weighted =
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int>(under)), zero), inv);
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(kOpaqueByte));
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
        const __m256i lo = mix16_avx2(_mm256_unpacklo_epi8(s, zero), weighted, a);
        const __m256i hi = mix16_avx2(_mm256_unpackhi_epi8(s, zero), weighted, a);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(_mm256_packus_epi16(lo, hi), opaque));
    }
    _mm256_zeroupper();
    blend_over_row_scalar(dst + i, src + i, n - i, alpha, under);
}

// Sixteen 16-bit channels of a two-pixel mix: (a * (256 - w) + b * w + 128) >> 8, summed as
// a * 256 + (b - a) * w + 128. The true sum lies in 0..65408, so wrapping 16-bit arithmetic
// reaches it exactly.
__attribute__((target("avx2"))) inline __m256i lerp16_avx2(__m256i a, __m256i b, __m256i w) {
    const __m256i sum = _mm256_add_epi16(_mm256_slli_epi16(a, 8), _mm256_mullo_epi16(_mm256_sub_epi16(b, a), w));
    return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(128)), 8);
}

__attribute__((target("avx2"))) inline __m256i lerp_pixels_avx2(__m256i a, __m256i b, __m256i w8) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = lerp16_avx2(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero),
                                   _mm256_unpacklo_epi8(w8, zero));
    const __m256i hi = lerp16_avx2(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero),
                                   _mm256_unpackhi_epi8(w8, zero));
    return _mm256_packus_epi16(lo, hi);
}

// Eight outputs at a time: both neighbours of each are picked by lane permutes out of one load of
// eight source pixels (enlarging by 7/6 or more) or two loads of sixteen.
__attribute__((target("avx2"))) void scale_row_avx2(uint32_t* out, const uint32_t* src, int src_len,
                                                    const int32_t* first, const uint32_t* weight, int n) {
    const __m256i one = _mm256_set1_epi32(1), seven = _mm256_set1_epi32(7);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const int base = first[i], span = first[i + 7] - base;
        const __m256i ia = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + i)),
                                            _mm256_set1_epi32(base));
        const __m256i ib = _mm256_add_epi32(ia, one);
        __m256i a, b;
        if (span <= 6 && base + 8 <= src_len) {
            const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + base));
            a = _mm256_permutevar8x32_epi32(lo, ia);
            b = _mm256_permutevar8x32_epi32(lo, ib);
        } else if (span <= 14 && base + 16 <= src_len) {
            const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + base));
            const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + base + 8));
            a = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(lo, ia), _mm256_permutevar8x32_epi32(hi, ia),
                                   _mm256_cmpgt_epi32(ia, seven));
            b = _mm256_blendv_epi8(_mm256_permutevar8x32_epi32(lo, ib), _mm256_permutevar8x32_epi32(hi, ib),
                                   _mm256_cmpgt_epi32(ib, seven));
        } else {
            scale_row_scalar(out + i, src, src_len, first + i, weight + i, 8);
            continue;
        }
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weight + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), lerp_pixels_avx2(a, b, w));
    }
    _mm256_zeroupper();
    scale_row_scalar(out + i, src, src_len, first + i, weight + i, n - i);
}

// The output rows go to the window's surface, which the window system reads next. Plain stores:
// written around the caches they cost the game more here, and the X server no less. The pixels
// after the last whole step are one more step, over pixels written already alike.
__attribute__((target("avx2"))) inline __m256i mix_step_avx2(const uint32_t* a, const uint32_t* b, int w,
                                                             __m256i w8) {
    const __m256i pa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
    return w == 0 ? pa : lerp_pixels_avx2(pa, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b)), w8);
}

__attribute__((target("avx2"))) void mix_rows_avx2(uint32_t* out, const uint32_t* a, const uint32_t* b, int n, int w) {
    if (n < 8) return mix_rows_scalar(out, a, b, n, w);
    const __m256i w8 = _mm256_set1_epi8(static_cast<char>(w));
    int i = 0;
    for (; i + 8 <= n; i += 8)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), mix_step_avx2(a + i, b + i, w, w8));
    if (i < n) _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n - 8), mix_step_avx2(a + n - 8, b + n - 8, w, w8));
    _mm256_zeroupper();
}

#endif

using BlendRow = void (*)(uint32_t*, const uint32_t*, int, int);
using BlendOverRow = void (*)(uint32_t*, const uint32_t*, int, int, uint32_t);
using ScaleRow = void (*)(uint32_t*, const uint32_t*, int, const int32_t*, const uint32_t*, int);
using MixRows = void (*)(uint32_t*, const uint32_t*, const uint32_t*, int, int);

struct RowLoops {
    BlendRow blend;
    BlendOverRow blend_over;
    ScaleRow scale = scale_row_scalar;  // the scaling loops have no SSE2 form
    MixRows mix = mix_rows_scalar;
};

RowLoops choose_loops(CompositeLoops which) {
    if (which == CompositeLoops::Scalar) return {blend_row_scalar, blend_over_row_scalar};
#ifdef POROMINA_X86
    __builtin_cpu_init();
    if (which == CompositeLoops::Best && __builtin_cpu_supports("avx2"))
        return {blend_row_avx2, blend_over_row_avx2, scale_row_avx2, mix_rows_avx2};
    return {blend_row_sse2, blend_over_row_sse2};
#else
    return {blend_row_scalar, blend_over_row_scalar};
#endif
}

RowLoops& loops() {
    static RowLoops chosen = choose_loops(CompositeLoops::Best);
    return chosen;
}

template <typename P>
P* row(P* first, int pitch, int y) {
    using Byte = std::conditional_t<std::is_const_v<P>, const char, char>;
    return reinterpret_cast<P*>(reinterpret_cast<Byte*>(first) + static_cast<ptrdiff_t>(pitch) * y);
}

constexpr size_t kPagedBytes = 16384;  // blocks from this size on are placed inside their pages
constexpr size_t kPage = 4096;

size_t page_offset(PixelBufferKind kind) { return kind == PixelBufferKind::Picture ? kPage / 2 : 0; }

}  // namespace

void composite_select_loops(CompositeLoops which) { loops() = choose_loops(which); }

void composite_copy(PixelRows dst, ConstPixelRows src, int width, int height) {
    if (width <= 0 || height <= 0) return;
    const size_t bytes = static_cast<size_t>(width) * 4;
    if (dst.pitch == src.pitch && static_cast<size_t>(dst.pitch) == bytes) {
        std::memcpy(dst.first, src.first, bytes * static_cast<size_t>(height));
        return;
    }
    for (int y = 0; y < height; ++y) std::memcpy(row(dst.first, dst.pitch, y), row(src.first, src.pitch, y), bytes);
}

void composite_blend(PixelRows dst, ConstPixelRows src, int width, int height, int alpha) {
    if (width <= 0 || height <= 0 || alpha <= 0) return;
    if (alpha >= 255) return composite_copy(dst, src, width, height);
    const BlendRow blend = loops().blend;
    for (int y = 0; y < height; ++y) blend(row(dst.first, dst.pitch, y), row(src.first, src.pitch, y), width, alpha);
}

void composite_blend_over_colour(PixelRows dst, ConstPixelRows src, int width, int height, int alpha,
                                 uint32_t under) {
    if (width <= 0 || height <= 0) return;
    if (alpha <= 0) return composite_fill(dst, width, height, under);
    if (alpha >= 255) return composite_copy(dst, src, width, height);
    const BlendOverRow blend = loops().blend_over;
    for (int y = 0; y < height; ++y)
        blend(row(dst.first, dst.pitch, y), row(src.first, src.pitch, y), width, alpha, under);
}

void composite_scale_row(uint32_t* out, const uint32_t* src, int src_len, const int32_t* first,
                         const uint32_t* weight, int count) {
    if (count > 0) loops().scale(out, src, src_len, first, weight, count);
}

void composite_mix_rows(uint32_t* out, const uint32_t* a, const uint32_t* b, int count, int w) {
    if (count > 0) loops().mix(out, a, b, count, std::max(w, 0));
}

void composite_fill(PixelRows dst, int width, int height, uint32_t value) {
    if (width <= 0 || height <= 0) return;
    // The first row by doubling copies of its start, every other row a copy of it: wide stores
    // throughout, whatever the value's bytes.
    uint32_t* first = dst.first;
    first[0] = value;
    for (int done = 1; done < width; done *= 2)
        std::memcpy(first + done, first, static_cast<size_t>(std::min(done, width - done)) * 4);
    for (int y = 1; y < height; ++y) std::memcpy(row(dst.first, dst.pitch, y), first, static_cast<size_t>(width) * 4);
}

uint32_t* pixel_buffer_alloc(size_t bytes, PixelBufferKind kind, bool zero) {
    const size_t offset = bytes >= kPagedBytes ? page_offset(kind) : 0;
    void* block = aligned_block_alloc(bytes >= kPagedBytes ? kPage : 64, bytes + offset);
    if (!block) return nullptr;
    auto* pixels = reinterpret_cast<uint32_t*>(static_cast<char*>(block) + offset);
    if (zero) std::memset(pixels, 0, bytes);
    return pixels;
}

void pixel_buffer_free(uint32_t* pixels, size_t bytes, PixelBufferKind kind) {
    if (!pixels) return;
    const size_t offset = bytes >= kPagedBytes ? page_offset(kind) : 0;
    aligned_block_free(reinterpret_cast<char*>(pixels) - offset);
}
