#include "vst/TextCopy.h"

void copyText(char* dest, const char* source, std::size_t destSize)
{
    if (dest == nullptr || destSize == 0)
        return;
    std::size_t length = 0;
    if (source != nullptr)
    {
        while (length + 1 < destSize && source[length] != '\0')
        {
            dest[length] = source[length];
            ++length;
        }
    }
    dest[length] = '\0';
}
