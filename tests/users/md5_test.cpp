// The MD5 that hashes the stored passwords, against the test suite of RFC
// 1321 and across block boundaries of incremental input.
#include "platform/md5.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(md5, matches_the_reference_test_suite) {
    const struct {
        const char* input;
        const char* digest;
    } rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        {"123456", "e10adc3949ba59abbe56e057f20f883e"},
    };
    for (const auto& row : rows) {
        char hex[33];
        md5_hex(row.input, std::strlen(row.input), hex);
        EXPECT_STREQ(hex, row.digest) << "input \"" << row.input << "\"";
    }
}

TEST(md5, gives_the_same_digest_however_the_input_is_split) {
    // Lengths around the 56-byte padding limit and the 64-byte block.
    for (size_t len : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 200u}) {
        std::string data(len, '\0');
        for (size_t i = 0; i < len; ++i) data[i] = static_cast<char>('a' + i % 26);
        char whole[33];
        md5_hex(data.data(), len, whole);
        for (size_t piece : {1u, 7u, 64u}) {
            md5_ctx ctx;
            md5_init(&ctx);
            for (size_t at = 0; at < len; at += piece)
                md5_update(&ctx, data.data() + at, std::min(piece, len - at));
            uint8_t digest[16];
            md5_final(&ctx, digest);
            char hex[33];
            for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
            EXPECT_STREQ(hex, whole) << "length " << len << " in pieces of " << piece;
        }
    }
}
