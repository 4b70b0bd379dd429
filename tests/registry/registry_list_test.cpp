// The registry webreq dispatches with, against the full list of request
// codes: every module's codes, in the order the modules register and, within
// a module, in code order.
//
// The lists below are the ones to edit:
//   - every_code: the whole list, one line a module ("/7080-/7087" is a run
//     of codes, a named path stands alone);
//   - not_built: codes of the list no table holds yet. A code that lands
//     must leave this list (the test says which), a code missing from the
//     registry must be on it;
//   - no_summary: rows in the registry without their one-line summary; must
//     match exactly.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/nvrapi/reference.h"

namespace {

struct module_codes {
    const char* module;  // as nvrapi names it
    const char* codes;
};

// clang-format off
const module_codes every_code[] = {
    {"wizard",   "/3300-/3304"},
    {"alarm",    "/6020-/6029 /6032-/6034 /6060-/6064"},
    {"camera",   "/2000-/2001 /2003-/2081"},
    {"network",  "/7000-/7001 /7010-/7011 /7020-/7021 /7030-/7034 /7040-/7044 /7050-/7051 /7060-/7062 "
                 "/7070-/7071 /7080-/7087 /7089-/7096"},
    {"ptz",      "/5000-/5012 /6050-/6057"},
    {"schedule", "/6030-/6031 /6040-/6047"},
    {"status",   "/8000-/8011"},
    {"storage",  "/6100-/6109 /6200-/6210 /6220-/6227"},
    {"playback", "/3000-/3004 /4000-/4027"},
    {"system",   "/1000-/1024 /1030-/1034 /6070-/6077 /6080-/6089 /6300-/6301 /6310-/6311 /6320-/6325 "
                 "/dw.cgi /ipc /json /oem /vb.htm"},
    {"event",    "/6000-/6002 /6010-/6019 /6090-/6098 /6112-/6154 /6157-/6186 /6189-/6198 /6996-/6999"},
};
// clang-format on
constexpr size_t every_code_count = 420;

// Codes of the list not built yet; a code that lands leaves this list.
const char* const not_built = "";

// Rows without a summary; every table carries its reference.
const char* const no_summary = "";

// "/2000-/2003 /json" -> "/2000", "/2001", "/2002", "/2003", "/json". A
// malformed run (reversed, not four digits) is a test failure, not a guess.
std::vector<std::string> expand(const char* list) {
    std::vector<std::string> out;
    std::istringstream words(list);
    std::string word;
    while (words >> word) {
        int first = 0, last = 0, used = 0;
        if (std::sscanf(word.c_str(), "/%4d-/%4d%n", &first, &last, &used) == 2) {
            const bool well_formed =
                used == static_cast<int>(word.size()) && word.size() == 11 && first <= last;
            EXPECT_TRUE(well_formed) << "bad run of codes: " << word;
            if (!well_formed) continue;
            char code[8];
            for (int n = first; n <= last; ++n) {
                std::snprintf(code, sizeof code, "/%04d", n);
                out.push_back(code);
            }
        } else {
            EXPECT_TRUE(word.size() > 1 && word.size() < 8 && word[0] == '/' &&
                        word.find('-') == std::string::npos)
                << "bad code: " << word;
            out.push_back(word);
        }
    }
    return out;
}

struct listed {
    int module;  // index into every_code
    int place;   // position in the whole list
};

std::map<std::string, listed> full_list() {
    std::map<std::string, listed> list;
    int place = 0;
    for (int m = 0; m < static_cast<int>(std::size(every_code)); ++m)
        for (const std::string& code : expand(every_code[m].codes)) {
            EXPECT_TRUE(list.emplace(code, listed{m, place++}).second) << code << " listed twice";
        }
    return list;
}

std::string joined(const std::vector<std::string>& codes) {
    std::string out;
    for (const std::string& c : codes) out += (out.empty() ? "" : " ") + c;
    return out;
}

struct slot_row {
    std::string code;
    int module;
    const request_entry* row;
};

std::vector<slot_row> registry_rows() {
    std::vector<slot_row> rows;
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot)
        if (const request_entry* e = webreq_slot(slot)) rows.push_back({e->code, webreq_slot_table(slot), e});
    return rows;
}

TEST(RegistryList, TheListsThemselvesAreSound) {
    const auto list = full_list();
    EXPECT_EQ(list.size(), every_code_count);
    // Every not-built or summary-less code is a code of the list, named once.
    for (const char* extra : {not_built, no_summary}) {
        std::set<std::string> seen;
        for (const std::string& code : expand(extra)) {
            EXPECT_TRUE(list.count(code)) << code << " is not a request code of the list";
            EXPECT_TRUE(seen.insert(code).second) << code << " named twice";
        }
    }
}

TEST(RegistryList, NoCodeIsRegisteredTwice) {
    std::map<std::string, int> seen;
    for (const slot_row& r : registry_rows()) ++seen[r.code];
    for (const auto& [code, n] : seen) EXPECT_EQ(n, 1) << code << " is registered " << n << " times";
}

TEST(RegistryList, EveryCodeIsListedInItsModuleInListOrder) {
    const auto list = full_list();
    int previous = -1;
    std::string previous_code = "(start)";
    for (const slot_row& r : registry_rows()) {
        const auto it = list.find(r.code);
        if (it == list.end()) {
            ADD_FAILURE() << r.code << " is registered but not on the list";
            continue;
        }
        const module_codes& expected = every_code[it->second.module];
        // A module's place is its line in every_code, counted from 1.
        EXPECT_EQ(r.module, it->second.module + 1) << r.code << " registered by module place " << r.module;
        EXPECT_STREQ(api_module_name(r.module), expected.module) << r.code << " in the wrong module";
        EXPECT_GT(it->second.place, previous) << r.code << " registered after " << previous_code;
        previous = it->second.place;
        previous_code = r.code;
    }
}

TEST(RegistryList, MissingCodesAreExactlyTheNotBuiltOnes) {
    std::set<std::string> registered;
    for (const slot_row& r : registry_rows()) registered.insert(r.code);
    const std::vector<std::string> pending = expand(not_built);
    const std::set<std::string> pending_set(pending.begin(), pending.end());

    std::vector<std::string> landed, lost;
    for (const std::string& code : pending)
        if (registered.count(code)) landed.push_back(code);
    for (const auto& [code, where] : full_list())
        if (!registered.count(code) && !pending_set.count(code)) lost.push_back(code);
    EXPECT_TRUE(landed.empty()) << "registered now, remove from not_built: " << joined(landed);
    EXPECT_TRUE(lost.empty()) << "not registered and not in not_built: " << joined(lost);
}

TEST(RegistryList, RowsWithoutSummaryAreExactlyTheListedOnes) {
    const std::vector<std::string> listed_codes = expand(no_summary);
    const std::set<std::string> listed_set(listed_codes.begin(), listed_codes.end());
    std::vector<std::string> filled, unlisted;
    std::set<std::string> registered;
    for (const slot_row& r : registry_rows()) {
        registered.insert(r.code);
        const bool has = r.row->summary && *r.row->summary;
        if (has && listed_set.count(r.code)) filled.push_back(r.code);
        if (!has && !listed_set.count(r.code)) unlisted.push_back(r.code);
    }
    std::vector<std::string> gone;
    for (const std::string& code : listed_codes)
        if (!registered.count(code)) gone.push_back(code);
    EXPECT_TRUE(filled.empty()) << "have their summary now, remove from no_summary: " << joined(filled);
    EXPECT_TRUE(unlisted.empty()) << "rows without a summary: " << joined(unlisted);
    EXPECT_TRUE(gone.empty()) << "in no_summary but not registered: " << joined(gone);
}

}  // namespace
