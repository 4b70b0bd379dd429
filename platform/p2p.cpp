#include "platform/p2p.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/nvr_env.h"
#include "platform/timed_io.h"

namespace {

struct pkey_free {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using pkey_ref = std::unique_ptr<EVP_PKEY, pkey_free>;
struct ctx_free {
    void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};
using ctx_ref = std::unique_ptr<EVP_PKEY_CTX, ctx_free>;
struct file_close {
    void operator()(FILE* f) const { std::fclose(f); }
};
using file_ref = std::unique_ptr<FILE, file_close>;

// The keys of a socket whose key switch succeeded.
struct session {
    int fd;
    pkey_ref own;
    pkey_ref peer;
};

std::mutex sessions_mu;
std::vector<session>& sessions() {
    static std::vector<session> list;
    return list;
}

void forget_session(int fd) {
    std::lock_guard<std::mutex> lock(sessions_mu);
    auto& list = sessions();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (it->fd == fd) {
            list.erase(it);
            return;
        }
    }
}

// Runs fn(session&) under the lock for the session of fd; false when none.
template <typename Fn>
bool with_session(int fd, Fn&& fn) {
    std::lock_guard<std::mutex> lock(sessions_mu);
    for (session& s : sessions()) {
        if (s.fd == fd) {
            fn(s);
            return true;
        }
    }
    return false;
}

bool usable_key(EVP_PKEY* key) {
    return key && EVP_PKEY_is_a(key, "RSA") && EVP_PKEY_get_bits(key) == p2p_key_bits;
}

pkey_ref load_key_file() {
    file_ref f(std::fopen(nvr_path(P2P_KEY_FILE).c_str(), "r"));
    if (!f) return nullptr;
    pkey_ref key(PEM_read_PrivateKey(f.get(), nullptr, nullptr, nullptr));
    return usable_key(key.get()) ? std::move(key) : nullptr;
}

// Writes the key beside the key file and renames it over, so that a
// concurrent reader sees the old file or the whole new one.
int store_key_file(EVP_PKEY* key) {
    const std::string path = nvr_path(P2P_KEY_FILE);
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd < 0) return -1;
    fchmod(fd, 0600);
    FILE* f = fdopen(fd, "w");
    if (!f) {
        close(fd);
        unlink(temp.c_str());
        return -1;
    }
    bool ok = PEM_write_PrivateKey(f, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
    ok = std::fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return -1;
    }
    return 0;
}

int send_frame(int fd, const void* data, uint32_t len) {
    uint32_t be = htonl(len);
    if (timed_send(fd, &be, sizeof be, p2p_step_timeout_ms) != 0) return -1;
    return len == 0 ? 0 : timed_send(fd, data, len, p2p_step_timeout_ms);
}

// Reads one frame's length, refusing one above cap.
int recv_frame_len(int fd, uint32_t cap, uint32_t* len) {
    uint32_t be = 0;
    if (timed_recv(fd, &be, sizeof be, p2p_step_timeout_ms) != 0) return -1;
    *len = ntohl(be);
    return *len <= cap ? 0 : -1;
}

ctx_ref oaep_ctx(EVP_PKEY* key, bool encrypt) {
    ctx_ref ctx(EVP_PKEY_CTX_new(key, nullptr));
    if (!ctx) return nullptr;
    int rc = encrypt ? EVP_PKEY_encrypt_init(ctx.get()) : EVP_PKEY_decrypt_init(ctx.get());
    if (rc <= 0 || EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_OAEP_PADDING) <= 0 ||
        EVP_PKEY_CTX_set_rsa_oaep_md(ctx.get(), EVP_sha256()) <= 0 ||
        EVP_PKEY_CTX_set_rsa_mgf1_md(ctx.get(), EVP_sha256()) <= 0)
        return nullptr;
    return ctx;
}

}  // namespace

// ---- sockets ----------------------------------------------------------------

int socket_create(int domain, int type) { return socket(domain, type | SOCK_CLOEXEC, 0); }

int socket_resolve(const char* host, char ip[16]) {
    if (!host || !*host) return -1;
    in_addr addr{};
    if (inet_pton(AF_INET, host, &addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return -1;
        addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        freeaddrinfo(found);
    }
    return inet_ntop(AF_INET, &addr, ip, 16) ? 0 : -1;
}

int socket_connect(int sock, const char* ip, int port) {
    if (!ip || port <= 0 || port > 65535) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (inet_pton(AF_INET, ip, &addr.sin_addr) != 1) return -1;
    return timed_connect(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr, p2p_step_timeout_ms);
}

int socket_destroy(int sock) {
    if (sock < 0) return -1;
    forget_session(sock);
    return close(sock) == 0 ? 0 : -1;
}

// ---- messages ---------------------------------------------------------------

int rsa_cal_ensize(int plain_len) {
    if (plain_len <= 0) return 0;
    return (plain_len + p2p_block_plain - 1) / p2p_block_plain * p2p_block_cipher;
}

int p2p_create_keyfile() {
    if (load_key_file()) return 0;
    pkey_ref key(EVP_RSA_gen(p2p_key_bits));
    if (!key) return -1;
    return store_key_file(key.get());
}

int p2p_cli_switch_keyfile(int sock) {
    pkey_ref own = load_key_file();
    if (!own) return -1;
    unsigned char* der = nullptr;
    int der_len = i2d_PUBKEY(own.get(), &der);
    if (der_len <= 0) return -1;
    int rc = send_frame(sock, der, static_cast<uint32_t>(der_len));
    OPENSSL_free(der);
    if (rc != 0) return -1;

    uint32_t len = 0;
    if (recv_frame_len(sock, 4096, &len) != 0) return -1;
    std::vector<unsigned char> peer_der(len);
    if (len == 0 || timed_recv(sock, peer_der.data(), len, p2p_step_timeout_ms) != 0) return -1;
    const unsigned char* p = peer_der.data();
    pkey_ref peer(d2i_PUBKEY(nullptr, &p, static_cast<long>(len)));
    if (!usable_key(peer.get())) return -1;

    forget_session(sock);
    std::lock_guard<std::mutex> lock(sessions_mu);
    sessions().push_back({sock, std::move(own), std::move(peer)});
    return 0;
}

int p2p_send(int sock, const void* data, int len, void* work, int work_size) {
    const int need = rsa_cal_ensize(len);
    if (len < 0 || (len > 0 && !data) || !work || need > work_size || need > p2p_frame_limit) return -1;
    bool ok = false;
    bool found = with_session(sock, [&](session& s) {
        ctx_ref ctx = oaep_ctx(s.peer.get(), true);
        if (!ctx) return;
        const auto* in = static_cast<const unsigned char*>(data);
        auto* out = static_cast<unsigned char*>(work);
        for (int done = 0, at = 0; done < len; done += p2p_block_plain, at += p2p_block_cipher) {
            size_t out_len = p2p_block_cipher;
            size_t chunk = static_cast<size_t>(len - done < p2p_block_plain ? len - done : p2p_block_plain);
            if (EVP_PKEY_encrypt(ctx.get(), out + at, &out_len, in + done, chunk) <= 0 ||
                out_len != static_cast<size_t>(p2p_block_cipher))
                return;
        }
        ok = true;
    });
    if (!found || !ok) return -1;
    return send_frame(sock, work, static_cast<uint32_t>(need)) == 0 ? len : -1;
}

int p2p_recv(int sock, void* buf, int size) {
    if (!buf || size < 0) return -1;
    pkey_ref own;
    bool found = with_session(sock, [&](session& s) {
        EVP_PKEY_up_ref(s.own.get());
        own.reset(s.own.get());
    });
    if (!found) return -1;
    uint32_t len = 0;
    const uint32_t cap = static_cast<uint32_t>(size < p2p_frame_limit ? size : p2p_frame_limit);
    if (recv_frame_len(sock, cap, &len) != 0 || len % p2p_block_cipher != 0) return -1;
    auto* data = static_cast<unsigned char*>(buf);
    if (len > 0 && timed_recv(sock, data, len, p2p_step_timeout_ms) != 0) return -1;

    ctx_ref ctx = oaep_ctx(own.get(), false);
    if (!ctx) return -1;
    // Block i's message lands at or before block i's own place, so the
    // decryption can run in the buffer itself.
    unsigned char block[p2p_block_cipher];
    size_t total = 0;
    for (uint32_t at = 0; at < len; at += p2p_block_cipher) {
        size_t out_len = sizeof block;
        if (EVP_PKEY_decrypt(ctx.get(), block, &out_len, data + at, p2p_block_cipher) <= 0) return -1;
        std::memcpy(data + total, block, out_len);
        total += out_len;
    }
    return static_cast<int>(total);
}
