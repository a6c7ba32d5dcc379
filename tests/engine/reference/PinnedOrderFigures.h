// What the engine gave when every 32-bit operation kept a pinned order (no reassociation, no
// fused multiply-add), measured against the double-precision reference on the accuracy cases
// (programs 0 to 7 as the plug-in sets them, 1.5 s of each material) before that engine was
// retired: the bar the optimised engine's error must stay under.
#pragma once

#include "tests/support/TestSignals.h"

struct PinnedOrderCase
{
    int program;
    float sampleRateHz;
    bool interSamplePeak;
    TestSignal signal;
    bool automated;
    // Error against the reference, over the frames no near-tie touches.
    double rms;
    double largest;
    // Frames off by a near-tie, and the longest run of them.
    long nearTies;
    int longestTie;
};

inline constexpr PinnedOrderCase kPinnedOrderCases[] = {
    {0, 44100.0f, false, TestSignal::hot, false, 1.7599e-08, 1.24334e-07, 0, 0},
    {0, 44100.0f, false, TestSignal::quiet, false, 1.12427e-08, 1.02993e-07, 0, 0},
    {0, 44100.0f, true, TestSignal::hot, false, 1.7599e-08, 1.24334e-07, 0, 0},
    {0, 44100.0f, true, TestSignal::quiet, false, 1.12427e-08, 1.02993e-07, 0, 0},
    {0, 48000.0f, false, TestSignal::hot, false, 1.76035e-08, 1.25557e-07, 0, 0},
    {0, 48000.0f, false, TestSignal::hot, true, 2.14019e-08, 1.705e-07, 0, 0},
    {0, 48000.0f, false, TestSignal::quiet, false, 1.1242e-08, 1.09958e-07, 0, 0},
    {0, 48000.0f, false, TestSignal::quiet, true, 1.07579e-08, 6.66729e-08, 0, 0},
    {0, 48000.0f, true, TestSignal::hot, false, 1.76035e-08, 1.25557e-07, 0, 0},
    {0, 48000.0f, true, TestSignal::hot, true, 2.35224e-08, 3.15323e-07, 0, 0},
    {0, 48000.0f, true, TestSignal::quiet, false, 1.1242e-08, 1.09958e-07, 0, 0},
    {0, 48000.0f, true, TestSignal::quiet, true, 1.07579e-08, 6.66729e-08, 0, 0},
    {0, 96000.0f, false, TestSignal::hot, false, 1.7616e-08, 1.26109e-07, 0, 0},
    {0, 96000.0f, false, TestSignal::quiet, false, 1.12471e-08, 1.09535e-07, 0, 0},
    {0, 96000.0f, true, TestSignal::hot, false, 1.7616e-08, 1.26109e-07, 0, 0},
    {0, 96000.0f, true, TestSignal::quiet, false, 1.12471e-08, 1.09535e-07, 0, 0},
    {1, 44100.0f, false, TestSignal::hot, false, 1.27206e-07, 1.13254e-06, 146, 115},
    {1, 44100.0f, false, TestSignal::quiet, false, 4.11909e-08, 3.33115e-07, 0, 0},
    {1, 44100.0f, true, TestSignal::hot, false, 1.72033e-07, 2.03514e-06, 790, 115},
    {1, 44100.0f, true, TestSignal::quiet, false, 4.36243e-08, 3.97959e-07, 0, 0},
    {1, 48000.0f, false, TestSignal::hot, false, 9.51205e-08, 1.04314e-06, 12, 12},
    {1, 48000.0f, false, TestSignal::hot, true, 2.39187e-07, 1.53268e-06, 61, 57},
    {1, 48000.0f, false, TestSignal::quiet, false, 3.18787e-08, 2.58533e-07, 0, 0},
    {1, 48000.0f, false, TestSignal::quiet, true, 1.16483e-07, 9.55142e-07, 2, 1},
    {1, 48000.0f, true, TestSignal::hot, false, 8.05061e-08, 1.87009e-06, 12, 12},
    {1, 48000.0f, true, TestSignal::hot, true, 2.55167e-07, 1.8233e-06, 61, 57},
    {1, 48000.0f, true, TestSignal::quiet, false, 5.69367e-08, 4.64489e-07, 0, 0},
    {1, 48000.0f, true, TestSignal::quiet, true, 1.16478e-07, 9.55142e-07, 2, 1},
    {1, 96000.0f, false, TestSignal::hot, false, 2.09364e-07, 2.82817e-06, 2792, 236},
    {1, 96000.0f, false, TestSignal::quiet, false, 7.42327e-08, 7.355e-07, 0, 0},
    {1, 96000.0f, true, TestSignal::hot, false, 8.21548e-08, 7.19779e-07, 9227, 236},
    {1, 96000.0f, true, TestSignal::quiet, false, 4.51643e-08, 5.02521e-07, 0, 0},
    {2, 44100.0f, false, TestSignal::hot, false, 7.62287e-08, 9.36534e-07, 16, 16},
    {2, 44100.0f, false, TestSignal::quiet, false, 2.20827e-08, 1.4962e-07, 0, 0},
    {2, 44100.0f, true, TestSignal::hot, false, 9.35371e-08, 1.55555e-06, 16, 16},
    {2, 44100.0f, true, TestSignal::quiet, false, 2.62625e-08, 1.86987e-07, 0, 0},
    {2, 48000.0f, false, TestSignal::hot, false, 1.12499e-07, 1.20972e-06, 0, 0},
    {2, 48000.0f, false, TestSignal::hot, true, 1.43699e-07, 1.00741e-06, 2518, 339},
    {2, 48000.0f, false, TestSignal::quiet, false, 2.218e-08, 1.54355e-07, 0, 0},
    {2, 48000.0f, false, TestSignal::quiet, true, 6.71263e-08, 7.63321e-07, 44, 43},
    {2, 48000.0f, true, TestSignal::hot, false, 1.61557e-07, 1.25647e-06, 0, 0},
    {2, 48000.0f, true, TestSignal::hot, true, 1.52184e-07, 1.074e-06, 433, 243},
    {2, 48000.0f, true, TestSignal::quiet, false, 2.39794e-08, 2.22607e-07, 0, 0},
    {2, 48000.0f, true, TestSignal::quiet, true, 6.71263e-08, 7.63321e-07, 44, 43},
    {2, 96000.0f, false, TestSignal::hot, false, 1.16396e-07, 1.6608e-06, 368, 105},
    {2, 96000.0f, false, TestSignal::quiet, false, 2.21783e-08, 1.54706e-07, 0, 0},
    {2, 96000.0f, true, TestSignal::hot, false, 1.41336e-07, 1.32646e-06, 293, 127},
    {2, 96000.0f, true, TestSignal::quiet, false, 2.69049e-08, 2.11867e-07, 0, 0},
    {3, 44100.0f, false, TestSignal::hot, false, 2.73295e-08, 1.36853e-07, 0, 0},
    {3, 44100.0f, false, TestSignal::quiet, false, 1.99697e-08, 1.34919e-07, 0, 0},
    {3, 44100.0f, true, TestSignal::hot, false, 2.73295e-08, 1.36853e-07, 0, 0},
    {3, 44100.0f, true, TestSignal::quiet, false, 1.99697e-08, 1.34919e-07, 0, 0},
    {3, 48000.0f, false, TestSignal::hot, false, 2.73564e-08, 1.37393e-07, 0, 0},
    {3, 48000.0f, false, TestSignal::hot, true, 1.09655e-07, 9.36843e-07, 67, 39},
    {3, 48000.0f, false, TestSignal::quiet, false, 2.00676e-08, 1.35047e-07, 0, 0},
    {3, 48000.0f, false, TestSignal::quiet, true, 7.55528e-08, 6.85315e-07, 0, 0},
    {3, 48000.0f, true, TestSignal::hot, false, 2.73564e-08, 1.37393e-07, 0, 0},
    {3, 48000.0f, true, TestSignal::hot, true, 1.09655e-07, 9.36843e-07, 67, 39},
    {3, 48000.0f, true, TestSignal::quiet, false, 2.00676e-08, 1.35047e-07, 0, 0},
    {3, 48000.0f, true, TestSignal::quiet, true, 7.55528e-08, 6.85315e-07, 0, 0},
    {3, 96000.0f, false, TestSignal::hot, false, 2.73446e-08, 1.39145e-07, 0, 0},
    {3, 96000.0f, false, TestSignal::quiet, false, 1.9979e-08, 1.37668e-07, 0, 0},
    {3, 96000.0f, true, TestSignal::hot, false, 2.73446e-08, 1.39145e-07, 0, 0},
    {3, 96000.0f, true, TestSignal::quiet, false, 1.9979e-08, 1.37668e-07, 0, 0},
    {4, 44100.0f, false, TestSignal::hot, false, 6.91222e-07, 3.55684e-06, 721, 4},
    {4, 44100.0f, false, TestSignal::quiet, false, 1.24998e-08, 1.18417e-07, 0, 0},
    {4, 44100.0f, true, TestSignal::hot, false, 6.91222e-07, 3.55684e-06, 721, 4},
    {4, 44100.0f, true, TestSignal::quiet, false, 1.24998e-08, 1.18417e-07, 0, 0},
    {4, 48000.0f, false, TestSignal::hot, false, 7.13972e-07, 3.89513e-06, 68, 2},
    {4, 48000.0f, false, TestSignal::hot, true, 6.18897e-07, 3.94211e-06, 1812, 9},
    {4, 48000.0f, false, TestSignal::quiet, false, 1.24954e-08, 1.12398e-07, 0, 0},
    {4, 48000.0f, false, TestSignal::quiet, true, 1.21604e-08, 1.02848e-07, 0, 0},
    {4, 48000.0f, true, TestSignal::hot, false, 7.13972e-07, 3.89513e-06, 68, 2},
    {4, 48000.0f, true, TestSignal::hot, true, 6.18897e-07, 3.94211e-06, 1812, 9},
    {4, 48000.0f, true, TestSignal::quiet, false, 1.24954e-08, 1.12398e-07, 0, 0},
    {4, 48000.0f, true, TestSignal::quiet, true, 1.21604e-08, 1.02848e-07, 0, 0},
    {4, 96000.0f, false, TestSignal::hot, false, 7.29843e-07, 3.55094e-06, 19696, 16},
    {4, 96000.0f, false, TestSignal::quiet, false, 1.25231e-08, 1.18564e-07, 0, 0},
    {4, 96000.0f, true, TestSignal::hot, false, 7.29843e-07, 3.55094e-06, 19696, 16},
    {4, 96000.0f, true, TestSignal::quiet, false, 1.25231e-08, 1.18564e-07, 0, 0},
    {5, 44100.0f, false, TestSignal::hot, false, 2.36607e-07, 2.54808e-06, 0, 0},
    {5, 44100.0f, false, TestSignal::quiet, false, 3.13801e-08, 2.45262e-07, 0, 0},
    {5, 44100.0f, true, TestSignal::hot, false, 2.01291e-07, 2.40454e-06, 0, 0},
    {5, 44100.0f, true, TestSignal::quiet, false, 3.32087e-08, 3.6834e-07, 0, 0},
    {5, 48000.0f, false, TestSignal::hot, false, 1.48621e-07, 2.05026e-06, 212, 212},
    {5, 48000.0f, false, TestSignal::hot, true, 2.03314e-07, 1.8388e-06, 1327, 197},
    {5, 48000.0f, false, TestSignal::quiet, false, 2.96961e-08, 2.66417e-07, 0, 0},
    {5, 48000.0f, false, TestSignal::quiet, true, 8.08774e-08, 8.04036e-07, 63, 63},
    {5, 48000.0f, true, TestSignal::hot, false, 2.1549e-07, 1.94949e-06, 212, 212},
    {5, 48000.0f, true, TestSignal::hot, true, 1.73441e-07, 1.56281e-06, 1280, 123},
    {5, 48000.0f, true, TestSignal::quiet, false, 3.78393e-08, 3.88367e-07, 0, 0},
    {5, 48000.0f, true, TestSignal::quiet, true, 8.08774e-08, 8.04036e-07, 63, 63},
    {5, 96000.0f, false, TestSignal::hot, false, 1.56848e-07, 3.89103e-06, 528, 106},
    {5, 96000.0f, false, TestSignal::quiet, false, 2.92678e-08, 2.46888e-07, 0, 0},
    {5, 96000.0f, true, TestSignal::hot, false, 8.87759e-08, 1.45461e-06, 4267, 179},
    {5, 96000.0f, true, TestSignal::quiet, false, 3.77981e-08, 3.33825e-07, 0, 0},
    {6, 44100.0f, false, TestSignal::hot, false, 1.43622e-07, 2.05234e-06, 0, 0},
    {6, 44100.0f, false, TestSignal::quiet, false, 2.85663e-08, 2.53116e-07, 0, 0},
    {6, 44100.0f, true, TestSignal::hot, false, 1.39069e-07, 1.58575e-06, 0, 0},
    {6, 44100.0f, true, TestSignal::quiet, false, 2.8554e-08, 2.66813e-07, 0, 0},
    {6, 48000.0f, false, TestSignal::hot, false, 1.14584e-07, 1.08443e-06, 334, 212},
    {6, 48000.0f, false, TestSignal::hot, true, 2.03314e-07, 1.8388e-06, 1327, 197},
    {6, 48000.0f, false, TestSignal::quiet, false, 2.89061e-08, 2.63351e-07, 0, 0},
    {6, 48000.0f, false, TestSignal::quiet, true, 8.08774e-08, 8.04036e-07, 63, 63},
    {6, 48000.0f, true, TestSignal::hot, false, 1.3607e-07, 1.28495e-06, 437, 212},
    {6, 48000.0f, true, TestSignal::hot, true, 1.73441e-07, 1.56281e-06, 1280, 123},
    {6, 48000.0f, true, TestSignal::quiet, false, 2.87462e-08, 2.43338e-07, 0, 0},
    {6, 48000.0f, true, TestSignal::quiet, true, 8.08774e-08, 8.04036e-07, 63, 63},
    {6, 96000.0f, false, TestSignal::hot, false, 1.32912e-07, 1.56225e-06, 604, 106},
    {6, 96000.0f, false, TestSignal::quiet, false, 3.15658e-08, 2.59117e-07, 0, 0},
    {6, 96000.0f, true, TestSignal::hot, false, 2.19495e-07, 2.43174e-06, 1148, 229},
    {6, 96000.0f, true, TestSignal::quiet, false, 3.54741e-08, 3.16761e-07, 0, 0},
    {7, 44100.0f, false, TestSignal::hot, false, 3.04947e-07, 1.69186e-06, 1459, 135},
    {7, 44100.0f, false, TestSignal::quiet, false, 1.61247e-07, 1.23116e-06, 185, 120},
    {7, 44100.0f, true, TestSignal::hot, false, 3.25913e-07, 1.68588e-06, 1461, 135},
    {7, 44100.0f, true, TestSignal::quiet, false, 1.71015e-07, 1.37851e-06, 185, 120},
    {7, 48000.0f, false, TestSignal::hot, false, 6.86183e-07, 3.83514e-06, 1407, 136},
    {7, 48000.0f, false, TestSignal::hot, true, 5.22188e-07, 2.48966e-06, 2192, 198},
    {7, 48000.0f, false, TestSignal::quiet, false, 1.26375e-07, 1.0681e-06, 256, 100},
    {7, 48000.0f, false, TestSignal::quiet, true, 1.39021e-07, 1.32075e-06, 116, 58},
    {7, 48000.0f, true, TestSignal::hot, false, 6.72192e-07, 3.79607e-06, 1405, 136},
    {7, 48000.0f, true, TestSignal::hot, true, 5.22188e-07, 2.48966e-06, 2192, 198},
    {7, 48000.0f, true, TestSignal::quiet, false, 1.12887e-07, 9.10676e-07, 256, 100},
    {7, 48000.0f, true, TestSignal::quiet, true, 1.39021e-07, 1.32075e-06, 116, 58},
    {7, 96000.0f, false, TestSignal::hot, false, 4.21303e-07, 2.28574e-06, 27290, 263},
    {7, 96000.0f, false, TestSignal::quiet, false, 8.4415e-08, 7.36372e-07, 1098, 305},
    {7, 96000.0f, true, TestSignal::hot, false, 4.64518e-07, 2.43223e-06, 27271, 263},
    {7, 96000.0f, true, TestSignal::quiet, false, 9.08918e-08, 8.97049e-07, 1098, 305},
};

// Dithered to 16 bits, hot material, no automation: the error against the reference's own
// quantised output, whose shaped noise parts from the engine's at the first rounding tie.
struct PinnedOrderDitheredCase
{
    int program;
    float sampleRateHz;
    double rms;
    double largest;
};

inline constexpr PinnedOrderDitheredCase kPinnedOrderDitheredCases[] = {
    {0, 44100.0f, 1.02967e-05, 0.000152588},
    {0, 48000.0f, 1.00623e-05, 0.000152588},
    {0, 96000.0f, 9.5618e-06, 0.000152588},
    {2, 44100.0f, 1.91415e-05, 0.000183105},
    {2, 48000.0f, 1.94638e-05, 0.000152588},
    {2, 96000.0f, 2.32137e-05, 0.000152588},
};
