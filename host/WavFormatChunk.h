// libsndfile writes a float WAV's format chunk in 16 bytes, without the extension size field
// that every format but integer PCM carries; sox, among others, warns about such files. This
// completes the chunk in a finished file, in place.
#pragma once

// descriptor: the finished WAV, open for reading and writing. Leaves any other layout alone.
// Returns 0, or the errno of a failed read or write.
int completeFloatFormatChunk(int descriptor);
