// The P2P cloud service's client side: TCP sockets to the P2P server and the
// encrypted messages exchanged over them (RSA from OpenSSL's libcrypto).
//
// On the wire everything travels in frames: a 32-bit length in network byte
// order, then that many bytes.
//
//   key switch   the client sends one frame holding its public key (DER,
//                SubjectPublicKeyInfo); the server answers with one frame
//                holding its own. Both keys are RSA of p2p_key_bits bits.
//   message      one frame of rsa_cal_ensize(n) bytes for n bytes of
//                message: the message cut into blocks of p2p_block_plain
//                bytes (the last one shorter), each encrypted with the
//                receiver's public key (RSA-OAEP, SHA-256 for the hash and
//                MGF1) into p2p_block_cipher bytes.
//
// The client's key pair is kept in P2P_KEY_FILE (PEM, mode 0600) and made
// once. Every socket step is bounded by p2p_step_timeout_ms (divided by the
// time divisor): a server that accepts and then stays silent fails the step.
#pragma once

#include <cstddef>

#define P2P_KEY_FILE "/mnt/nand/app/p2p_client.pem"

inline constexpr int p2p_key_bits = 2048;
inline constexpr int p2p_block_cipher = p2p_key_bits / 8;
// OAEP with SHA-256 leaves the modulus less twice the hash and two bytes.
inline constexpr int p2p_block_plain = p2p_block_cipher - 2 * 32 - 2;
inline constexpr long p2p_step_timeout_ms = 20000;
// A frame larger than this is refused whatever buffer it is read into.
inline constexpr int p2p_frame_limit = 64 * 1024;

// ---- sockets ----------------------------------------------------------------

// A new socket (close-on-exec), or -1.
int socket_create(int domain, int type);
// The first IPv4 address of host (a dotted address or a name) as text into
// ip (16 bytes). 0 when found, -1 otherwise.
int socket_resolve(const char* host, char ip[16]);
// Connects sock to the IPv4 address ip on port within the step bound.
// 0 when connected, -1 otherwise.
int socket_connect(int sock, const char* ip, int port);
// Closes sock and forgets its key switch. 0, or -1 for a bad descriptor.
int socket_destroy(int sock);

// ---- messages ---------------------------------------------------------------

// Bytes on the wire (the frame's length) of a message of plain_len bytes; 0
// for none.
int rsa_cal_ensize(int plain_len);
// Makes sure the client's key pair exists: a readable key file of the right
// kind is kept, anything else is replaced by a new pair. 0 on success.
int p2p_create_keyfile();
// Exchanges public keys with the server on sock. 0 on success; non-zero when
// the key file cannot be read, the server's key is not one the exchange
// accepts, or a step fails.
int p2p_cli_switch_keyfile(int sock);
// Encrypts len bytes of data into work (work_size bytes, at least
// rsa_cal_ensize(len)) and sends the frame. Returns len, or -1 (nothing
// sent when the key switch is missing or work is too small).
int p2p_send(int sock, const void* data, int len, void* work, int work_size);
// Receives one frame of at most size bytes into buf and decrypts it there.
// Returns the message's length (never more than size), or -1 when no key
// switch was made, the frame is larger than size or not whole blocks, a
// block does not decrypt, or a step fails.
int p2p_recv(int sock, void* buf, int size);
