#pragma once

// The selects of StereoVector.h compiled with AVX (in StereoSelectAvx.cpp, which holds nothing
// else, so no other code of the tests is built for AVX), on plain arrays of four lanes.

// Per lane a > b ? x : y, by the vector select and by the single-float one.
void selectGreaterWithAvx(const float* a, const float* b, const float* x, const float* y,
                          float* vectorChosen, float* singleChosen);

// The sign-bit selects and mask operations: x where a > b, else y; x where `signs` is negative,
// else y; 9 where `counts` is negative, else the count; the sign bits of (a > b) | signs and
// (a > b) & signs.
void selectBySignWithAvx(const float* a, const float* b, const float* signs, const int* counts,
                         const float* x, const float* y, float* byMask, float* bySign, int* byCount,
                         float* maskOrSigns, float* maskAndSigns);
