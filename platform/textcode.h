// Text codings of the platform's text library: URL-safe Base64 (the names of
// the alarm sound files) and percent-encoding (file names in URLs).
//
// URL-safe Base64 is the alphabet of RFC 4648 section 5 ('-' and '_' for
// '+' and '/'), padded with '='; percent-encoding keeps the unreserved
// characters of RFC 3986 (A-Z a-z 0-9 - . _ ~) and writes every other byte
// as '%' and two upper-case hex digits. Both decoders return exactly the
// bytes that were encoded.
#pragma once

#include <cstddef>

// Encodes len bytes of in into out (out_size bytes, terminated). Returns the
// length written, or -1 when the text and its terminator do not fit (out is
// then an empty text).
int base64EncodeUrl(const unsigned char* in, int len, char* out, int out_size);

// Decodes the text in into out (out_size bytes). The padding may be left
// out. Returns the number of bytes, with a terminator written after them
// when there is room; -1 for a text that is not URL-safe Base64 ('+', '/',
// blanks, a stray '=', a length of 4n + 1) or whose bytes do not fit.
int base64DecodeUrl(const char* in, unsigned char* out, int out_size);

// Percent-encodes len bytes of in into out (out_size bytes, terminated).
// Returns the length written, or -1 when it does not fit (out is then an
// empty text).
int get_url_encode(const char* in, int len, char* out, int out_size);

// Decodes the percent escapes of text in place ("%2F" -> '/'); anything else,
// '+' and a '%' without two hex digits after it included, stays as it is.
// Returns the new length.
int get_url_decode(char* text);
