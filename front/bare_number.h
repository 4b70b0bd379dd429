// Request texts that are a bare decimal number ("/6102?3").
#pragma once

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

// True when the whole text (blanks around it allowed) is one decimal integer
// that fits an int; *out gets it. Anything else (empty, "3a", "0x10", a
// number out of range) is false and leaves *out alone.
inline bool parse_bare_int(const char* text, int* out) {
    if (!text) return false;
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (end == text || errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
    while (std::isspace(static_cast<unsigned char>(*end))) ++end;
    if (*end) return false;
    if (out) *out = static_cast<int>(value);
    return true;
}
