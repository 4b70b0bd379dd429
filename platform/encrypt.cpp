#include "platform/encrypt.h"

#include <openssl/evp.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int key_chars = 32;
constexpr int iv_bytes = 16;

struct cipher_ctx_free {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
struct decode_ctx_free {
    void operator()(EVP_ENCODE_CTX* ctx) const { EVP_ENCODE_CTX_free(ctx); }
};

}  // namespace

int tq_base64_decode(const char* in, int in_len, unsigned char* out, int out_size) {
    if (!in || in_len < 0 || !out || out_size < 0) return -1;
    std::unique_ptr<EVP_ENCODE_CTX, decode_ctx_free> ctx(EVP_ENCODE_CTX_new());
    if (!ctx) return -1;
    // Three bytes for every four characters, and one group held back between
    // the two calls.
    std::vector<unsigned char> buf(static_cast<size_t>(in_len) / 4 * 3 + 80);
    int got = 0, last = 0;
    EVP_DecodeInit(ctx.get());
    if (EVP_DecodeUpdate(ctx.get(), buf.data(), &got, reinterpret_cast<const unsigned char*>(in), in_len) < 0)
        return -1;
    if (EVP_DecodeFinal(ctx.get(), buf.data() + got, &last) != 1) return -1;
    const int total = got + last;
    if (total > out_size) return -1;
    std::memcpy(out, buf.data(), static_cast<size_t>(total));
    return total;
}

int aesDecryWeb(const unsigned char* data, const char* key, unsigned char* out, int length, int out_size) {
    if (!data || !key || !out || out_size < 0) return -1;
    if (strnlen(key, key_chars) < key_chars) return -1;
    if (length < iv_bytes + 16 || (length - iv_bytes) % 16 != 0) return -1;
    std::unique_ptr<EVP_CIPHER_CTX, cipher_ctx_free> ctx(EVP_CIPHER_CTX_new());
    if (!ctx) return -1;
    if (EVP_DecryptInit_ex(ctx.get(), EVP_aes_256_cbc(), nullptr, reinterpret_cast<const unsigned char*>(key),
                           data) != 1)
        return -1;
    // The plain data is never longer than the cipher text; decrypting into a
    // buffer of that size keeps a short out from being overrun.
    const int cipher_len = length - iv_bytes;
    std::vector<unsigned char> plain(static_cast<size_t>(cipher_len) + 16);
    int got = 0, last = 0;
    if (EVP_DecryptUpdate(ctx.get(), plain.data(), &got, data + iv_bytes, cipher_len) != 1) return -1;
    if (EVP_DecryptFinal_ex(ctx.get(), plain.data() + got, &last) != 1) return -1;
    const int total = got + last;
    if (total > out_size) return -1;
    std::memcpy(out, plain.data(), static_cast<size_t>(total));
    return total;
}
