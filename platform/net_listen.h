// Whether a port of this machine is taken, from the kernel's socket tables
// (/proc/net/tcp, tcp6, udp and udp6): a TCP socket listening on the port on
// every address (0.0.0.0 or ::), or a UDP socket bound to the port on every
// address.
#pragma once

// 1 when such a socket exists, 0 when none does, -1 when no table could be
// read. Ports outside 1..65535 are never taken.
int net_port_listening(int port);
