// Copying texts into buffers the host owns: never more than the buffer's size, always terminated.
#pragma once

#include <cstddef>

// Copies at most destSize - 1 characters of source and a terminator into dest. Nothing is written
// when dest is null or destSize is 0; a null source gives an empty text.
void copyText(char* dest, const char* source, std::size_t destSize);
