// The protocol table: the camera protocols the recorder knows, each with the
// camera models of the IPC model table whose protocol field names it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/tqdb.h"

// A camera protocol (key: id, 0..7).
struct ipc_protocol_record {
    int32_t id;
    char name[24];
    int32_t protocol_function;  // owned by the core daemon
    int32_t enable;
    int32_t display_model;  // 1: the page offers the protocol's models
};
static_assert(sizeof(ipc_protocol_record) == 40);
static_assert(offsetof(ipc_protocol_record, name) == 4);
static_assert(offsetof(ipc_protocol_record, protocol_function) == 28);
static_assert(offsetof(ipc_protocol_record, enable) == 32);
static_assert(offsetof(ipc_protocol_record, display_model) == 36);

extern const tqdb_table tqdb_tbl_ipc_protocol;  // "ipc_protocol", key id

// Rows a whole-table read takes at the most.
inline constexpr int ipc_protocol_capacity = 32;
inline constexpr int ipc_model_capacity = 256;

// read_ipc_protocol(path, rec, id), write_ipc_protocol(path, rec), edit_ipc_protocol(...)
TQDB_KEYED(ipc_protocol, ipc_protocol_record, tqdb_tbl_ipc_protocol)
// read_ipc_protocols(path, arr /*32*/, &count)
TQDB_ALL(ipc_protocols, ipc_protocol_record, tqdb_tbl_ipc_protocol, ipc_protocol_capacity)
// read_ipc_models(path, arr /*256*/, &count): every model, in id order
TQDB_ALL(ipc_models, ipc_model_record, tqdb_tbl_ipc_model, ipc_model_capacity)
