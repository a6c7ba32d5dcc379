// Gain reduction of a black-box plug-in, seen from outside: per 100 ms step, how far the output
// falls below the input raised by the plug-in's own linear gains (drive and trim). What the
// limiter, clipper and leveller took away shows as a positive figure.
#pragma once

#include <vector>

// meanSquare traces of the input and the output, aligned (latency compensated); gainDb: the
// drive and trim together. Steps where the input is too quiet to tell read 0.
std::vector<double> gainReductionDb(const std::vector<double>& inputMeanSquare,
                                    const std::vector<double>& outputMeanSquare, double gainDb);

// The mean reduction over the 3 s (thirty steps) ending where the output's short-term loudness
// is highest: what a master's loudest passage loses to the limiter. 0 with no loudness at all.
double loudestSecondsReductionDb(const std::vector<double>& reductionDb,
                                 const std::vector<double>& outputShortTermLufs);
