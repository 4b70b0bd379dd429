#include "tests/network/fake_p2p_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>

namespace {

// Any single wait of the server: long, since a key pair made under an
// emulator takes many seconds; the stop signal ends a wait at once.
constexpr int wait_ms = 60000;

struct pkey_free {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using pkey_ref = std::unique_ptr<EVP_PKEY, pkey_free>;

EVP_PKEY* server_key(int bits) {
    static EVP_PKEY* strong = EVP_RSA_gen(2048);
    static EVP_PKEY* weak = EVP_RSA_gen(1024);
    return bits == 2048 ? strong : weak;
}

byte_vec public_der(EVP_PKEY* key) {
    unsigned char* der = nullptr;
    int n = i2d_PUBKEY(key, &der);
    byte_vec out(der, der + (n > 0 ? n : 0));
    OPENSSL_free(der);
    return out;
}

// RSA-OAEP with SHA-256 and MGF1-SHA-256, block by block.
byte_vec oaep(EVP_PKEY* key, const byte_vec& in, bool encrypt) {
    EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key, nullptr);
    byte_vec out;
    bool ok = ctx && (encrypt ? EVP_PKEY_encrypt_init(ctx) : EVP_PKEY_decrypt_init(ctx)) > 0 &&
              EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_OAEP_PADDING) > 0 &&
              EVP_PKEY_CTX_set_rsa_oaep_md(ctx, EVP_sha256()) > 0 &&
              EVP_PKEY_CTX_set_rsa_mgf1_md(ctx, EVP_sha256()) > 0;
    const size_t modulus = static_cast<size_t>(EVP_PKEY_get_size(key));
    const size_t step = encrypt ? modulus - 66 : modulus;
    for (size_t at = 0; ok && at < in.size(); at += step) {
        unsigned char block[512];
        size_t len = sizeof block;
        size_t chunk = std::min(step, in.size() - at);
        ok = (encrypt ? EVP_PKEY_encrypt(ctx, block, &len, in.data() + at, chunk)
                      : EVP_PKEY_decrypt(ctx, block, &len, in.data() + at, chunk)) > 0;
        if (ok) out.insert(out.end(), block, block + len);
    }
    EVP_PKEY_CTX_free(ctx);
    return ok ? out : byte_vec{};
}

}  // namespace

fake_p2p_server::fake_p2p_server(p2p_script script) : script_(std::move(script)) {
    server_key(2048);  // made before the clock of any request starts
    listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        listen(listen_fd_, 4) == 0 && getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port_ = ntohs(addr.sin_port);
    stop_fd_ = eventfd(0, EFD_CLOEXEC);
    thread_ = std::thread([this] { serve(); });
}

fake_p2p_server::~fake_p2p_server() {
    uint64_t one = 1;
    if (write(stop_fd_, &one, sizeof one) < 0) {
    }
    if (thread_.joinable()) thread_.join();
    close(listen_fd_);
    close(stop_fd_);
}

fake_p2p_server::received fake_p2p_server::result() {
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(mu_);
    return got_;
}

const std::string& fake_p2p_server::client_key_pem() {
    static const std::string pem = [] {
        pkey_ref key(EVP_RSA_gen(2048));
        BIO* bio = BIO_new(BIO_s_mem());
        PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
        char* data = nullptr;
        long n = BIO_get_mem_data(bio, &data);
        std::string text(data, static_cast<size_t>(n));
        BIO_free(bio);
        return text;
    }();
    return pem;
}

void fake_p2p_server::serve() {
    // Waits for fd to be readable; false on the stop signal or time out.
    auto ready = [this](int fd) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
        return poll(fds, 2, wait_ms) > 0 && !fds[1].revents && fds[0].revents;
    };
    if (!ready(listen_fd_)) return;
    int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    {
        std::lock_guard<std::mutex> lock(mu_);
        got_.connected = true;
    }
    auto read_exact = [&](void* data, size_t len) {
        auto* p = static_cast<uint8_t*>(data);
        while (len > 0) {
            if (!ready(fd)) return false;
            ssize_t n = recv(fd, p, len, 0);
            if (n <= 0) return false;
            p += n;
            len -= static_cast<size_t>(n);
        }
        return true;
    };
    auto read_frame = [&](byte_vec& out) {
        uint32_t be = 0;
        if (!read_exact(&be, 4)) return false;
        out.resize(ntohl(be));
        return out.size() <= 65536 && read_exact(out.data(), out.size());
    };
    auto send_frame = [&](const byte_vec& data) {
        uint32_t be = htonl(static_cast<uint32_t>(data.size()));
        return send(fd, &be, 4, MSG_NOSIGNAL) == 4 &&
               (data.empty() ||
                send(fd, data.data(), data.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(data.size()));
    };
    // Holds the connection open until the recorder gives up.
    auto hold = [&] {
        uint8_t sink[256];
        while (ready(fd) && recv(fd, sink, sizeof sink, 0) > 0) {
        }
    };

    const p2p_behaviour b = script_.behaviour;
    byte_vec key_der, header, body;
    if (b == p2p_behaviour::close_at_once) {
        close(fd);
        return;
    }
    if (b == p2p_behaviour::silent_at_keys) {
        hold();
        close(fd);
        return;
    }
    if (!read_frame(key_der)) {
        close(fd);
        return;
    }
    const unsigned char* p = key_der.data();
    pkey_ref client(d2i_PUBKEY(nullptr, &p, static_cast<long>(key_der.size())));
    EVP_PKEY* own = server_key(b == p2p_behaviour::weak_key ? 1024 : 2048);
    {
        std::lock_guard<std::mutex> lock(mu_);
        got_.client_key = key_der;
    }
    if (!client || !send_frame(public_der(own))) {
        close(fd);
        return;
    }
    byte_vec frame;
    if (read_frame(frame)) header = oaep(own, frame, false);
    if (read_frame(frame)) body = oaep(own, frame, false);
    {
        std::lock_guard<std::mutex> lock(mu_);
        got_.header = header;
        got_.body = body;
    }
    if (b == p2p_behaviour::silent_after_keys || header.size() != 40) {
        hold();
        close(fd);
        return;
    }
    byte_vec answer(40, 0);
    const int32_t words[] = {2, 0, 0, script_.status, 1};
    byte_vec body_out = script_.body;
    if (b == p2p_behaviour::huge_body) body_out.assign(2100, 'x');  // past the 2048 bytes a body may have
    const int32_t body_len = static_cast<int32_t>((body_out.size() + 189) / 190 * 256);
    std::memcpy(answer.data(), words, sizeof words);
    std::memcpy(answer.data() + 8, &body_len, 4);
    if (b == p2p_behaviour::short_header) answer.resize(8);
    send_frame(oaep(client.get(), answer, true));
    if (script_.status == 0 && b != p2p_behaviour::short_header)
        send_frame(oaep(client.get(), body_out, true));
    hold();
    close(fd);
}
