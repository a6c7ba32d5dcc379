#include "vst3plugin/Vst3Text.h"

#include <algorithm>
#include <cstring>

namespace vst3_text
{
void toUtf16(vst3::char16* field, std::size_t capacity, const std::string& text)
{
    if (capacity == 0)
        return;
    const std::size_t length = std::min(text.size(), capacity - 1);
    for (std::size_t i = 0; i < length; ++i)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        field[i] = byte < 0x80 ? static_cast<vst3::char16>(byte) : u'?';
    }
    field[length] = 0;
}

std::string fromUtf16(const vst3::char16* field, std::size_t capacity)
{
    std::string text;
    for (std::size_t i = 0; i < capacity && field[i] != 0; ++i)
        text += field[i] < 0x80 ? static_cast<char>(field[i]) : '?';
    return text;
}

void toChars(char* field, std::size_t capacity, const std::string& text)
{
    if (capacity == 0)
        return;
    const std::size_t length = std::min(text.size(), capacity - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::string trimmedName(const char* text)
{
    std::string name = text;
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}
} // namespace vst3_text
