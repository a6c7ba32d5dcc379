// Texts across the VST3 boundary: UTF-16 String128 fields and fixed char arrays.
#pragma once

#include <cstddef>
#include <string>

#include "vst3/Vst3Base.h"

namespace vst3_text
{
// Copies text (ASCII or UTF-8; other bytes become '?') into a UTF-16 field of capacity units,
// cut to fit and always terminated.
void toUtf16(vst3::char16* field, std::size_t capacity, const std::string& text);
// A terminated UTF-16 text of at most capacity units as UTF-8 (non-ASCII as '?').
std::string fromUtf16(const vst3::char16* field, std::size_t capacity);
// Copies text into a char field of capacity bytes, cut to fit and terminated.
void toChars(char* field, std::size_t capacity, const std::string& text);
// text without its trailing spaces (the shared tables pad names to a fixed width).
std::string trimmedName(const char* text);
} // namespace vst3_text
