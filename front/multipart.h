// multipart/form-data parser for uploads.
//
// Reads at most content_length bytes from a descriptor through a push-back
// reader. File parts go to temporary files "/tmp/cgicXXXXXX" (mode 0600);
// ordinary fields are kept in memory, cut like a JSON body (the first
// MP_FIELD_MAX bytes; the rest is read and dropped). A body of more than
// MP_PARTS_MAX parts is refused as a whole: the memory a request takes stays
// small whatever it holds.
#pragma once

#include <string>
#include <vector>

struct form_entry {
    std::string name;          // the part's name parameter
    std::string value;         // bytes of an ordinary field; empty for a file part
    size_t value_len = 0;      // field bytes, or bytes written to the file
    std::string file_name;     // filename parameter as the client sent it
    std::string content_type;  // the part's Content-Type, "" when absent
    std::string tmp_path;      // device path of the temporary file, "" for a field
};

// The bytes of an ordinary field kept: a value fills at most the 30720 bytes
// of a request text with its NUL.
#define MP_FIELD_MAX 30719
// Parts of one body, ordinary fields and files together.
#define MP_PARTS_MAX 64

// MP_NO_MEMORY also stands for a body of more than MP_PARTS_MAX parts.
enum multipart_result { MP_OK = 0, MP_NO_MEMORY = 1, MP_IO = 2 };

// Parses the body. On failure the part in hand is discarded (its temporary
// file deleted); entries completed before stay in out.
int multipart_parse(int fd, long content_length, const std::string& boundary,
                    std::vector<form_entry>& out);

// Deletes the temporary files of the entries (failures ignored).
void multipart_cleanup(std::vector<form_entry>& entries);
