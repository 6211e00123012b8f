#pragma once

#include <windows.h>

// The strip index list that covers the 127 x 127 vertex grid: strip s joins vertex column s + 1
// to vertex column s, 127 index pairs each.
inline constexpr UINT StripCount = 126;
inline constexpr UINT StripIndexCount = 254;
inline constexpr UINT StripTriangles = 252;
inline constexpr UINT TotalIndexCount = StripCount * StripIndexCount;
inline constexpr UINT IndexBufferBytes = TotalIndexCount * 2;

static_assert(TotalIndexCount == 32004);
static_assert(IndexBufferBytes == 64008);
