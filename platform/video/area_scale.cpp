// Area-weighted scaling: tables of taps per output column and row, then either two-tap passes
// (enlarging: rows scaled along x once each, output rows mixed from two of them) or general
// sums (shrinking).
#include "platform/video/area_scale.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Output pixel i covers [i * src, (i + 1) * src) and source pixel j covers [j * dst, (j + 1) *
// dst), in units of 1 / (src * dst) of the axis. Weights are the overlaps in 256ths of the output
// pixel, rounded, the rounding's leftover given to the largest tap.
bool make_axis(AxisTaps* a, int src, int dst) {
    a->src = src;
    a->dst = dst;
    a->two_tap = true;
    a->first.assign(dst, 0);
    a->next.assign(dst, 0);
    a->start.assign(dst, 0);
    a->count.assign(dst, 0);
    a->weight.clear();
    for (int i = 0; i < dst; ++i) {
        const long long lo = static_cast<long long>(i) * src, hi = lo + src;
        int j = static_cast<int>(lo / dst);
        const int end = static_cast<int>(std::min<long long>((hi + dst - 1) / dst, src));
        a->start[i] = static_cast<int32_t>(a->weight.size());
        int total = 0;
        size_t largest = a->weight.size();
        for (; j < end; ++j) {
            const long long overlap = std::min(hi, static_cast<long long>(j + 1) * dst) -
                                      std::max(lo, static_cast<long long>(j) * dst);
            const int w = static_cast<int>((overlap * 256 + src / 2) / src);
            if (w == 0 && a->count[i] == 0) continue;  // a sliver at the start
            if (a->count[i] == 0) a->first[i] = j;
            if (a->count[i] == 0 || w > a->weight[largest]) largest = a->weight.size();
            a->weight.push_back(static_cast<uint16_t>(w));
            ++a->count[i];
            total += w;
        }
        if (a->count[i] == 0) {  // cannot happen for sizes from 1 up; kept safe all the same
            a->first[i] = std::min(static_cast<int>(lo / dst), src - 1);
            a->weight.push_back(256);
            a->count[i] = 1;
            continue;
        }
        a->weight[largest] = static_cast<uint16_t>(a->weight[largest] + 256 - total);
        if (a->count[i] > 2) a->two_tap = false;
        else if (a->count[i] == 2) a->next[i] = a->weight[a->start[i] + 1] * 0x01010101u;
    }
    return true;
}

// General sums: every tap along y into channel sums over the source width, then along x.
void scale_rows_general(AreaScaler* s, ConstPixelRows src, PixelRows dst, int row_begin, int row_end, int col_begin,
                        int col_end) {
    const AxisTaps &ax = s->x, &ay = s->y;
    s->sums.resize(static_cast<size_t>(ax.src) * 4);
    for (int oy = row_begin; oy < row_end; ++oy) {
        std::fill(s->sums.begin(), s->sums.end(), 0u);
        for (int t = 0; t < ay.count[oy]; ++t) {
            const uint32_t w = ay.weight[ay.start[oy] + t];
            const auto* in = reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(src.first) +
                                                               static_cast<ptrdiff_t>(src.pitch) * (ay.first[oy] + t));
            for (int x = 0; x < ax.src; ++x)
                for (int c = 0; c < 4; ++c) s->sums[x * 4 + c] += ((in[x] >> (8 * c)) & 0xFF) * w;
        }
        auto* out = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(dst.first) + static_cast<ptrdiff_t>(dst.pitch) * oy);
        for (int ox = col_begin; ox < col_end; ++ox) {
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) {
                uint32_t sum = 0;
                for (int t = 0; t < ax.count[ox]; ++t)
                    sum += s->sums[(ax.first[ox] + t) * 4 + c] * ax.weight[ax.start[ox] + t];
                pixel |= ((sum + 32768) >> 16) << (8 * c);
            }
            out[ox] = pixel;
        }
    }
}

// Source row r scaled along x, from the two kept rows (made now if it is not one of them).
const uint32_t* scaled_source_row(AreaScaler* s, ConstPixelRows src, int r, int keep) {
    for (int k = 0; k < 2; ++k)
        if (s->row_of[k] == r) return s->row[k].data();
    const int k = s->row_of[0] == keep ? 1 : 0;
    const auto* in = reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(src.first) +
                                                       static_cast<ptrdiff_t>(src.pitch) * r);
    composite_scale_row(s->row[k].data(), in, s->x.src, s->x.first.data(), s->x.next.data(), s->x.dst);
    s->row_of[k] = r;
    return s->row[k].data();
}

}  // namespace

bool area_scaler_prepare(AreaScaler* s, int src_w, int src_h, int dst_w, int dst_h) {
    if (src_w <= 0 || src_h <= 0 || dst_w <= 0 || dst_h <= 0) return false;
    try {
        make_axis(&s->x, src_w, dst_w);
        make_axis(&s->y, src_h, dst_h);
        for (auto& r : s->row) r.assign(dst_w, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    s->row_of[0] = s->row_of[1] = -1;
    return true;
}

void area_scale_rows(AreaScaler* s, ConstPixelRows src, PixelRows dst, int row_begin, int row_end, int col_begin,
                     int col_end) {
    row_begin = std::max(row_begin, 0);
    row_end = std::min(row_end, s->y.dst);
    col_begin = std::max(col_begin, 0);
    col_end = std::min(col_end, s->x.dst);
    if (col_end <= col_begin) return;
    const int cols = col_end - col_begin;
    if (!s->x.two_tap || !s->y.two_tap) return scale_rows_general(s, src, dst, row_begin, row_end, col_begin, col_end);
    // The kept rows were scaled from an earlier canvas.
    s->row_of[0] = s->row_of[1] = -1;
    for (int oy = row_begin; oy < row_end; ++oy) {
        const int r = s->y.first[oy];
        const int w = static_cast<int>(s->y.next[oy] & 0xFF);
        auto* out = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(dst.first) + static_cast<ptrdiff_t>(dst.pitch) * oy) +
                    col_begin;
        const uint32_t* a = scaled_source_row(s, src, r, -1) + col_begin;
        const uint32_t* b = w ? scaled_source_row(s, src, r + 1, r) + col_begin : a;
        composite_mix_rows(out, a, b, cols, w);
    }
}

void area_scaler_span(const AxisTaps& axis, int begin, int end, int* out_begin, int* out_end) {
    // Output pixels are in source order: the first whose last tap reaches begin, up to the last
    // whose first tap lies before end.
    int lo = 0;
    while (lo < axis.dst && axis.first[lo] + std::max(axis.count[lo], 1) - 1 < begin) ++lo;
    int hi = lo;
    while (hi < axis.dst && axis.first[hi] < end) ++hi;
    *out_begin = lo;
    *out_end = hi;
}
