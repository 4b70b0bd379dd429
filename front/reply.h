// The HTTP replies a handler writes: plain text or JSON with its header, the
// failure texts, redirects, cookies and download headers.
#pragma once

// Reply types: 0 plain text, 1 JSON, anything else no header.
#define REPLY_TEXT 0
#define REPLY_JSON 1

int cgi_reply(int type, const char* text);
// "CGI ERROR" (type 0) or {status:"CGI ERROR"} (type 1).
int cgi_reply_error(int type);
int cgi_redirect(const char* location);
int cgi_set_cookie(const char* name, const char* value, int lifetime_s, const char* path,
                   const char* domain);
// The two download header lines for the last path component of path.
int cgi_download_header(const char* path);
// Sends the regular file at file (a full path, links not followed) as a
// download named after the last component of name. False, with nothing
// written, when it cannot be opened or is not a regular file.
bool cgi_send_file(const char* file, const char* name);
