// Area-weighted scaling of the canvas to any output size: each output pixel is the mean of the
// canvas pixels it covers, each weighted by the share of the output pixel it covers, so that one
// canvas pixel gives the same total light wherever it falls; a whole multiple copies exactly.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/video/compositor.h"

// The taps of one axis: which source pixels each output pixel covers and by how much.
struct AxisTaps {
    int src = 0, dst = 0;          // pixels along the axis
    bool two_tap = true;           // no output pixel covers more than two source pixels (enlarging)
    std::vector<int32_t> first;    // per output pixel: the first source pixel it covers
    std::vector<uint32_t> next;    // two-tap: weight 0..255 of first + 1, in each byte
    std::vector<int32_t> start;    // general: index in weight of the output pixel's first tap
    std::vector<int32_t> count;    // general: taps of the output pixel
    std::vector<uint16_t> weight;  // general: weights, 256 in all per output pixel
};

struct AreaScaler {
    AxisTaps x, y;
    std::vector<uint32_t> row[2];  // two-tap: source rows scaled along x
    int row_of[2] = {-1, -1};      // which source row each holds, or -1
    std::vector<uint32_t> sums;    // general: one source-wide row of channel sums along y
};

// Makes the tables for src_w x src_h onto dst_w x dst_h. false for an empty size or no memory.
bool area_scaler_prepare(AreaScaler* s, int src_w, int src_h, int dst_w, int dst_h);
// Writes columns [col_begin, col_end) of output rows [row_begin, row_end) from the whole source;
// dst is the output's top-left pixel.
void area_scale_rows(AreaScaler* s, ConstPixelRows src, PixelRows dst, int row_begin, int row_end, int col_begin,
                     int col_end);
// The output rows (or columns, along x) that show anything of source rows [begin, end).
void area_scaler_span(const AxisTaps& axis, int begin, int end, int* out_begin, int* out_end);
