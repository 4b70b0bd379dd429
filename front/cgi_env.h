// The values that the entry function captures for handlers: the client
// address, the host, the cookie header, and the upload this request carried.
// Handlers never read the environment themselves.
#pragma once

const char* cgi_remote_addr();
const char* cgi_http_host();
const char* cgi_http_cookie();
// The path of the upload that the entry function produced for this request
// (the moved file, or the temporary file for the codes that take it as it
// is); "" when the request carried no upload. Upload handlers act only on this
// path, never on a path that arrived as request text.
const char* cgi_upload_path();

// Set by the entry function (and by unit tests).
void cgi_env_set(const char* remote_addr, const char* http_host, const char* http_cookie);
void cgi_env_set_upload(const char* path);
