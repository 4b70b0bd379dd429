// The log page: search, export as CSV, entries of its own, the type
// catalogue (logs.cpp).
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

void log_search_page(request& rq);     // /1002 3495, one page as JSON
void log_export_csv(request& rq);      // /1003 3494, the export as a CSV download
void log_type_catalogue(request& rq);  // /1015 main and sub types, translated
void log_entry_write(request& rq);     // /1021 3488, a log entry
void log_export_running(request& rq);  // /1022 OK while an export runs

int write_log_page(const core_answer& answer);    // 8495
int write_log_export(const core_answer& answer);  // 8494
int write_log_entry(const core_answer& answer);   // 8488

// The index of a main type's bit value (1 -> 1, 2 -> 2, 4 -> 3, 8 -> 4,
// 32 -> 5, 64 -> 6), -1 for any other value.
int log_main_index(int main_type);
// The sub types an operation-log export searches for its three group values
// (bit i of value - 10 names base + i; bases 101, 131, 200). Returns the
// number written to out (room for 100).
int log_operation_groups(const int64_t groups[3], int64_t* out);
