// What the HTTPS page shows of a certificate: the descriptive fields the
// core daemon stores when it creates or installs one.
#pragma once

#include "platform/tqdb/tqdb.h"

#include <cstddef>
#include <cstdint>

// Indices of the certificate parameters.
inline constexpr int ssl_params_installed = 0;  // the certificate in use
inline constexpr int ssl_params_request = 2;    // the pending signing request

struct ssl_params_record {
    int32_t index;
    char country[3];       // 2 characters
    char common_name[64];  // at most 63 characters
    char email[64];        // at most 63 characters
    char dates[128];       // the validity, as text
    uint8_t pad[1];
};
static_assert(sizeof(ssl_params_record) == 264);
static_assert(offsetof(ssl_params_record, index) == 0);
static_assert(offsetof(ssl_params_record, country) == 4);
static_assert(offsetof(ssl_params_record, common_name) == 7);
static_assert(offsetof(ssl_params_record, email) == 71);
static_assert(offsetof(ssl_params_record, dates) == 135);

extern const tqdb_table tqdb_tbl_ssl_params;  // "ssl_params", key index

// read_ssl_params(path, rec, index), write_ssl_params(path, rec), ...
TQDB_KEYED(ssl_params, ssl_params_record, tqdb_tbl_ssl_params)
