// Request intake: turns one CGI request into a request code and a request
// text and hands them to a dispatcher.
#pragma once

#include <string>

#define POST_BUFFER_SIZE 30720
#define POST_MAX_READS 128
#define GET_TEXT_MAX 255
#define UPLOAD_TEXT_MAX 1087

typedef int (*intake_dispatch_fn)(const char* code, char* text);

// Runs the request described by the environment, with the body on in_fd.
// Returns the exit status: 0, or -1 when the multipart body is malformed.
int intake_run(int in_fd, intake_dispatch_fn dispatch);

// The GET request text: the query cut to 255 characters, "%22" turned into '"'.
std::string intake_get_text(const char* query);

// Parses a CONTENT_TYPE value: the type before the first ';' and the
// boundary parameter.
void intake_content_type(const char* raw, std::string& type, std::string& boundary);

// True when a client's upload base name may become "/tmp/" + name.
bool intake_upload_name_ok(const std::string& base_name);
