// The registry read back as a reference: codes grouped by module, in the
// order the modules register, each code with its reference fields.
#pragma once

#include <string>
#include <vector>

#include "front/dispatchreq.h"
#include "front/registry_walk.h"

struct api_module {
    int order = 0;                           // the module's place (0: rows registered without one)
    std::string name;                        // "camera", "wizard", ...
    std::vector<const request_entry*> rows;  // in slot order
};

// The module at a place (the number in its WEBREQ_MODULE line): "camera";
// "" for a place no module takes.
const char* api_module_name(int place);

// Every in-use slot, grouped by module: modules by place, rows by slot.
std::vector<api_module> api_registry();

// How the code takes its request, how it answers, what a refused request
// gets: in words, for the reference and the console.
const char* api_input_form(req_in in);
const char* api_reply_kind(req_out out);
const char* api_refused_reply(req_out out);

// What a row without a reference field shows for it.
extern const char* const api_undocumented;

std::string api_json(const std::vector<api_module>& modules);
std::string api_markdown(const std::vector<api_module>& modules);
