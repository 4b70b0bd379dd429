// The encryption library: Base64 and the AES decryption of the vendor
// customisation pack, on OpenSSL's libcrypto.
//
// A pack is the Base64 text of: a 16-byte initialisation vector, then the
// data encrypted with AES-256 in CBC mode with PKCS#7 padding under a key of
// 32 characters (the key's bytes are the AES key).
#pragma once

// Decodes standard Base64 (RFC 4648 section 4; line breaks allowed) of
// in_len characters into out (out_size bytes). Returns the number of bytes,
// or -1 for a text that is not Base64 or whose bytes do not fit.
int tq_base64_decode(const char* in, int in_len, unsigned char* out, int out_size);

// Decrypts length bytes of data (initialisation vector first) with the
// first 32 characters of key into out (out_size bytes). Returns the length
// of the plain data, or -1 when the key is shorter than 32 characters, the
// data is not whole blocks, the padding is wrong or the plain data does not
// fit.
int aesDecryWeb(const unsigned char* data, const char* key, unsigned char* out, int length, int out_size);
