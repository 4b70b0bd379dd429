#include "platform/textcode.h"

#include <cstring>

namespace {

const char url_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// The 6-bit value of a URL-safe Base64 character, or -1.
int url_value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '-') return 62;
    if (c == '_') return 63;
    return -1;
}

int hex_value(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int too_long(char* out, int out_size) {
    if (out && out_size > 0) out[0] = '\0';
    return -1;
}

}  // namespace

int base64EncodeUrl(const unsigned char* in, int len, char* out, int out_size) {
    if (!out || out_size <= 0 || len < 0 || (!in && len > 0)) return too_long(out, out_size);
    const long need = (static_cast<long>(len) + 2) / 3 * 4;
    if (need + 1 > out_size) return too_long(out, out_size);
    int n = 0;
    for (int i = 0; i < len; i += 3) {
        const int left = len - i;
        unsigned v = static_cast<unsigned>(in[i]) << 16;
        if (left > 1) v |= static_cast<unsigned>(in[i + 1]) << 8;
        if (left > 2) v |= in[i + 2];
        out[n++] = url_alphabet[(v >> 18) & 63];
        out[n++] = url_alphabet[(v >> 12) & 63];
        out[n++] = left > 1 ? url_alphabet[(v >> 6) & 63] : '=';
        out[n++] = left > 2 ? url_alphabet[v & 63] : '=';
    }
    out[n] = '\0';
    return n;
}

int base64DecodeUrl(const char* in, unsigned char* out, int out_size) {
    if (!in || !out || out_size < 0) return -1;
    size_t len = std::strlen(in);
    // Padding only at the end, at most two characters, and only where it
    // completes a group of four.
    size_t pad = 0;
    while (pad < len && pad < 3 && in[len - 1 - pad] == '=') ++pad;
    if (pad > 2 || (pad > 0 && len % 4 != 0)) return -1;
    len -= pad;
    if (len % 4 == 1) return -1;
    const size_t bytes = len / 4 * 3 + (len % 4 == 0 ? 0 : len % 4 - 1);
    if (bytes > static_cast<size_t>(out_size)) return -1;
    size_t n = 0;
    unsigned acc = 0;
    int bits = 0;
    for (size_t i = 0; i < len; ++i) {
        const int v = url_value(static_cast<unsigned char>(in[i]));
        if (v < 0) return -1;
        acc = (acc << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out[n++] = static_cast<unsigned char>((acc >> bits) & 0xff);
        }
    }
    // The bits left over must be zero: another text would not decode back
    // to the same bytes otherwise.
    if (bits > 0 && (acc & ((1u << bits) - 1)) != 0) return -1;
    if (n < static_cast<size_t>(out_size)) out[n] = '\0';
    return static_cast<int>(n);
}

int get_url_encode(const char* in, int len, char* out, int out_size) {
    static const char hex[] = "0123456789ABCDEF";
    if (!out || out_size <= 0 || len < 0 || (!in && len > 0)) return too_long(out, out_size);
    int n = 0;
    for (int i = 0; i < len; ++i) {
        const auto c = static_cast<unsigned char>(in[i]);
        const int need = unreserved(c) ? 1 : 3;
        if (n + need + 1 > out_size) return too_long(out, out_size);
        if (need == 1) {
            out[n++] = static_cast<char>(c);
        } else {
            out[n++] = '%';
            out[n++] = hex[c >> 4];
            out[n++] = hex[c & 15];
        }
    }
    out[n] = '\0';
    return n;
}

int get_url_decode(char* text) {
    if (!text) return 0;
    size_t r = 0, w = 0;
    while (text[r]) {
        const int hi = text[r] == '%' ? hex_value(static_cast<unsigned char>(text[r + 1])) : -1;
        const int lo = hi >= 0 ? hex_value(static_cast<unsigned char>(text[r + 2])) : -1;
        if (lo >= 0) {
            text[w++] = static_cast<char>(hi * 16 + lo);
            r += 3;
        } else {
            text[w++] = text[r++];
        }
    }
    text[w] = '\0';
    return static_cast<int>(w);
}
