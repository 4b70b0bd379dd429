// A small P2P server on 127.0.0.1 for the registration tests. It serves one
// connection the way the P2P cloud server does (key switch, then the
// registration request, then its answer) and keeps what the recorder sent,
// decrypted, for the test to check. The wire form is written here from the
// description in platform/p2p.h, with OpenSSL directly, so that the client's
// side is checked against it rather than against itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using byte_vec = std::vector<uint8_t>;

// What the server does with the connection.
enum class p2p_behaviour {
    answer,             // the key switch, then the header (and for status 0 the body)
    silent_at_keys,     // accepts and says nothing at all
    silent_after_keys,  // switches keys, reads the request, answers nothing
    close_at_once,      // accepts and closes
    weak_key,           // offers a 1024-bit key in the switch
    huge_body,          // status 0, then a body frame larger than the recorder's room
    short_header,       // a header of 8 bytes instead of 40
};

struct p2p_script {
    p2p_behaviour behaviour = p2p_behaviour::answer;
    int32_t status = 0;
    byte_vec body;  // the answer's body for status 0 (sent as it is)
};

class fake_p2p_server {
public:
    explicit fake_p2p_server(p2p_script script);
    ~fake_p2p_server();
    fake_p2p_server(const fake_p2p_server&) = delete;
    fake_p2p_server& operator=(const fake_p2p_server&) = delete;

    int port() const { return port_; }
    // Waits until the connection was served (or none came within a few
    // seconds) and returns what was received, decrypted: the client's public
    // key (DER), the request header and body. Empty where the exchange did
    // not get that far.
    struct received {
        bool connected = false;
        byte_vec client_key, header, body;
    };
    received result();

    // A 2048-bit key in PEM, made once per test program, for seeding a root
    // with the recorder's key pair.
    static const std::string& client_key_pem();

private:
    void serve();

    p2p_script script_;
    int listen_fd_ = -1;
    int port_ = 0;
    int stop_fd_ = -1;  // eventfd: ends waits at destruction
    std::thread thread_;
    std::mutex mu_;
    received got_;
};
