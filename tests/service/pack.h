// Vendor packs for the tests: ZIP archives written entry by entry (so that a
// test can hold names and links no archiver would write), sealed as the
// pack format says (random vector, AES-256-CBC, Base64).
#pragma once

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdint>
#include <string>
#include <vector>

namespace pack {

struct entry {
    std::string name;
    std::string data;
    bool link = false;     // a symbolic link to data
    bool bad_crc = false;  // listed like any entry, but its data fails the check
};

inline uint32_t crc32(const std::string& data) {
    uint32_t crc = 0xffffffffu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}
inline void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}

// A ZIP archive of stored entries, made on a Unix system (so that modes,
// and links, count).
inline std::string zip(const std::vector<entry>& entries) {
    std::string out, central;
    for (const entry& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        const uint32_t crc = crc32(e.data) ^ (e.bad_crc ? 1u : 0u),
                       size = static_cast<uint32_t>(e.data.size());
        put32(out, 0x04034b50);
        put16(out, 10);  // version needed
        put16(out, 0);   // flags
        put16(out, 0);   // stored
        put32(out, 0);   // time, date
        put32(out, crc);
        put32(out, size);
        put32(out, size);
        put16(out, static_cast<uint32_t>(e.name.size()));
        put16(out, 0);
        out += e.name + e.data;
        put32(central, 0x02014b50);
        put16(central, 0x0300 | 20);  // made on Unix
        put16(central, 10);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0);
        put32(central, crc);
        put32(central, size);
        put32(central, size);
        put16(central, static_cast<uint32_t>(e.name.size()));
        put32(central, 0);  // extra, comment
        put32(central, 0);  // disk, internal attributes
        put32(central, (e.link ? 0120777u : 0100644u) << 16);
        put32(central, offset);
        central += e.name;
    }
    const uint32_t central_at = static_cast<uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put32(out, 0);
    put16(out, static_cast<uint32_t>(entries.size()));
    put16(out, static_cast<uint32_t>(entries.size()));
    put32(out, static_cast<uint32_t>(central.size()));
    put32(out, central_at);
    put16(out, 0);
    return out;
}

// A random vector, then the data encrypted with the key's first 32 bytes.
inline std::string seal(const std::string& plain, const std::string& key) {
    unsigned char iv[16];
    RAND_bytes(iv, sizeof iv);
    std::string out(reinterpret_cast<char*>(iv), sizeof iv);
    std::vector<unsigned char> buf(plain.size() + 32);
    int got = 0, last = 0;
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, reinterpret_cast<const unsigned char*>(key.data()),
                       iv);
    EVP_EncryptUpdate(ctx, buf.data(), &got, reinterpret_cast<const unsigned char*>(plain.data()),
                      static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(ctx, buf.data() + got, &last);
    EVP_CIPHER_CTX_free(ctx);
    out.append(reinterpret_cast<char*>(buf.data()), static_cast<size_t>(got + last));
    return out;
}

inline std::string base64(const std::string& data) {
    std::vector<unsigned char> out(data.size() / 3 * 4 + 8);
    const int n = EVP_EncodeBlock(out.data(), reinterpret_cast<const unsigned char*>(data.data()),
                                  static_cast<int>(data.size()));
    return std::string(reinterpret_cast<char*>(out.data()), static_cast<size_t>(n));
}

// The uploaded text of a pack holding entries, sealed with key.
inline std::string sealed_pack(const std::vector<entry>& entries, const std::string& key) {
    return base64(seal(zip(entries), key));
}

}  // namespace pack
