// The text codings and the pack decryption of the platform libraries.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <string>
#include <vector>

#include "platform/encrypt.h"
#include "platform/textcode.h"
#include "tests/service/pack.h"

namespace {

TEST(UrlBase64, EncodesAndDecodesTheRfcVectors) {
    // clang-format off
    struct row {
        int line;
        std::string bytes, text;
    } rows[] = {
        // RFC 4648 section 10.
        {__LINE__, "", ""},
        {__LINE__, "f", "Zg=="},
        {__LINE__, "fo", "Zm8="},
        {__LINE__, "foo", "Zm9v"},
        {__LINE__, "foob", "Zm9vYg=="},
        {__LINE__, "fooba", "Zm9vYmE="},
        {__LINE__, "foobar", "Zm9vYmFy"},
        // The two characters of the URL alphabet (section 5).
        {__LINE__, "\xfb\xff", "-_8="},
        {__LINE__, "\xff\xfe\xfd", "__79"},
        {__LINE__, "alarm.WAV", "YWxhcm0uV0FW"},
        {__LINE__, "T\xc3\xbcr 1.wav", "VMO8ciAxLndhdg=="},
    };
    // clang-format on
    for (const auto& r : rows) {
        char text[64];
        EXPECT_EQ(base64EncodeUrl(reinterpret_cast<const unsigned char*>(r.bytes.data()),
                                  static_cast<int>(r.bytes.size()), text, sizeof text),
                  static_cast<int>(r.text.size()))
            << "row at line " << r.line;
        EXPECT_EQ(std::string(text), r.text) << "row at line " << r.line;
        unsigned char bytes[64];
        ASSERT_EQ(base64DecodeUrl(r.text.c_str(), bytes, sizeof bytes), static_cast<int>(r.bytes.size()))
            << "row at line " << r.line;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), r.bytes.size()), r.bytes)
            << "row at line " << r.line;
    }
}

TEST(UrlBase64, RefusesTextsThatAreNotUrlSafeBase64AndOutputThatDoesNotFit) {
    // clang-format off
    struct row {
        int line;
        const char* text;
        int out_size;
        int want;
    } rows[] = {
        {__LINE__, "Zm9v", 3, 3},
        {__LINE__, "Zm9v", 2, -1},     // three bytes do not fit in two
        {__LINE__, "Zm8", 8, 2},       // padding left out
        {__LINE__, "+/8=", 8, -1},     // the standard alphabet
        {__LINE__, "Zm 9v", 8, -1},    // a blank
        {__LINE__, "Zg=a", 8, -1},     // padding inside
        {__LINE__, "Zg===", 8, -1},    // three padding characters
        {__LINE__, "Zm9vY", 8, -1},    // 4n + 1 characters
        {__LINE__, "Zh==", 8, -1},     // bits left over that are not zero
    };
    // clang-format on
    for (const auto& r : rows) {
        unsigned char out[8];
        EXPECT_EQ(base64DecodeUrl(r.text, out, r.out_size), r.want) << "row at line " << r.line;
    }
    char small[8];
    EXPECT_EQ(base64EncodeUrl(reinterpret_cast<const unsigned char*>("foobar"), 6, small, sizeof small), -1);
    EXPECT_EQ(std::string(small), "");
}

TEST(PercentCoding, EncodesEveryByteButTheUnreservedAndDecodesBack) {
    // clang-format off
    struct row {
        int line;
        std::string text, encoded;
    } rows[] = {
        // RFC 3986 section 2.3: unreserved characters stay.
        {__LINE__, "AZaz09-._~", "AZaz09-._~"},
        {__LINE__, "/tmp/diag 1.tar", "%2Ftmp%2Fdiag%201.tar"},
        {__LINE__, "a+b&c=d?e#f%", "a%2Bb%26c%3Dd%3Fe%23f%25"},
        {__LINE__, "\r\n\x7f\xff", "%0D%0A%7F%FF"},
    };
    // clang-format on
    for (const auto& r : rows) {
        char out[128];
        EXPECT_EQ(get_url_encode(r.text.data(), static_cast<int>(r.text.size()), out, sizeof out),
                  static_cast<int>(r.encoded.size()))
            << "row at line " << r.line;
        EXPECT_EQ(std::string(out), r.encoded) << "row at line " << r.line;
        std::string back = r.encoded;
        back.resize(get_url_decode(back.data()));
        EXPECT_EQ(back, r.text) << "row at line " << r.line;
    }
    // Lower-case escapes decode too; '+' and broken escapes stay as they are.
    std::string mixed = "%2f%zz+%4%";
    mixed.resize(get_url_decode(mixed.data()));
    EXPECT_EQ(mixed, "/%zz+%4%");
    char small[4];
    EXPECT_EQ(get_url_encode("a b", 3, small, sizeof small), -1);
}

TEST(PackDecryption, GivesThePlainDataOnlyForTheRightKeyAndWholeData) {
    const std::string key = "0123456789abcdef0123456789ABCDEF";
    const std::string plain = "PK\x03\x04 a whole archive of some length";
    const std::string sealed = pack::seal(plain, key);
    const std::string text = pack::base64(sealed);
    std::vector<unsigned char> decoded(text.size());
    ASSERT_EQ(tq_base64_decode(text.data(), static_cast<int>(text.size()), decoded.data(),
                               static_cast<int>(decoded.size())),
              static_cast<int>(sealed.size()));
    // clang-format off
    struct row {
        int line;
        std::string key;
        size_t length;  // of the sealed data handed over
        int out_size;
        int want;
    } rows[] = {
        {__LINE__, key, sealed.size(), 256, static_cast<int>(plain.size())},
        {__LINE__, key + "tail", sealed.size(), 256, static_cast<int>(plain.size())},  // 32 characters used
        {__LINE__, "1123456789abcdef0123456789ABCDEF", sealed.size(), 256, -1},
        {__LINE__, key.substr(0, 31), sealed.size(), 256, -1},
        {__LINE__, key, sealed.size() - 16, 256, -1},  // last block missing: wrong padding
        {__LINE__, key, sealed.size() - 1, 256, -1},   // not whole blocks
        {__LINE__, key, 16, 256, -1},                  // nothing but the vector
        {__LINE__, key, sealed.size(), 8, -1},         // does not fit
    };
    // clang-format on
    for (const auto& r : rows) {
        std::vector<unsigned char> out(256);
        const int got =
            aesDecryWeb(decoded.data(), r.key.c_str(), out.data(), static_cast<int>(r.length), r.out_size);
        EXPECT_EQ(got, r.want) << "row at line " << r.line;
        if (got > 0) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out.data()), got), plain)
                << "row at line " << r.line;
        }
    }
    // Line breaks are part of Base64 texts; other characters are not.
    const std::string wrapped = text.substr(0, 8) + "\n" + text.substr(8);
    EXPECT_EQ(tq_base64_decode(wrapped.data(), static_cast<int>(wrapped.size()), decoded.data(),
                               static_cast<int>(decoded.size())),
              static_cast<int>(sealed.size()));
    EXPECT_EQ(tq_base64_decode("Zm9v*", 5, decoded.data(), static_cast<int>(decoded.size())), -1);
    EXPECT_EQ(tq_base64_decode(text.data(), static_cast<int>(text.size()), decoded.data(), 4), -1);
}

}  // namespace
