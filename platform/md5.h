// MD5 message digest (RFC 1321): the password hashes of the user table are
// its 32 lower-case hexadecimal digits.
#pragma once

#include <cstddef>
#include <cstdint>

struct md5_ctx {
    uint32_t state[4];
    uint64_t length;      // bytes hashed so far
    uint8_t block[64];    // pending input, length % 64 bytes of it in use
};

void md5_init(md5_ctx* ctx);
void md5_update(md5_ctx* ctx, const void* data, size_t len);
void md5_final(md5_ctx* ctx, uint8_t digest[16]);

// The digest of data as 32 lower-case hexadecimal digits and a terminator.
void md5_hex(const void* data, size_t len, char out[33]);
