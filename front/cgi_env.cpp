#include "front/cgi_env.h"

#include <string>

namespace {
std::string remote_addr, http_host, http_cookie, upload_path;
}

const char* cgi_remote_addr() { return remote_addr.c_str(); }
const char* cgi_http_host() { return http_host.c_str(); }
const char* cgi_http_cookie() { return http_cookie.c_str(); }
const char* cgi_upload_path() { return upload_path.c_str(); }

void cgi_env_set(const char* addr, const char* host, const char* cookie) {
    remote_addr = addr ? addr : "";
    http_host = host ? host : "";
    http_cookie = cookie ? cookie : "";
}

void cgi_env_set_upload(const char* path) { upload_path = path ? path : ""; }
