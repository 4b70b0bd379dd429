// The translation calls: names of log types in the browser's language.
//
// A catalogue per language lives in the directory NVR_TRANS_DIR (environment)
// or, without it, the directory the build names (conf/logtypes of the
// source tree): "<language>.txt", one "number=name" a line, '#' starts a
// comment line. English ("en") is complete; another language may leave
// numbers out, and those read as in English. A language without a catalogue,
// and any language text that is not a plain name ([A-Za-z0-9_-], at most 31
// characters), reads English: such a text never selects a file.
#pragma once

#include <cstdint>

// Opens the catalogue of lang (null or "" : English). 0 when the language's
// own catalogue was found, 1 when English stands in, -1 when not even the
// English one could be read (every name is then empty).
int trans_init(const char* lang);
// The name of number (a main-type index, a sub type or a parameter type),
// cut to size - 1 and terminated. 0 when found; -1 (an empty name) else.
int trans_get_value(int64_t number, char* buf, int size);
// Releases the catalogue.
void trans_deinit();
// True for a language text that may name a catalogue file.
bool trans_plain_name(const char* lang);
