// Record tables: factory rows, missing rows, whole-table reads, copies and
// column updates, text keys, and which files get created.
#include "platform/tqdb/rec_camera.h"
#include "platform/tqdb/rec_record.h"
#include "platform/tqdb/rec_system.h"
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// Tables of the tests' own, outside the catalogue.
struct num_rec {
    int32_t key;
    int32_t value;
    char text[24];
};
const tqdb_table num_table = {"test_num", sizeof(num_rec), tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0, nullptr};

struct named_rec {
    int32_t value;
    char name[32];
};
const tqdb_table named_table = {"test_named", sizeof(named_rec), tqdb_key_kind::text_at,
                                offsetof(named_rec, name), 32, 0, nullptr, 0, nullptr};

template <typename T>
T filled(unsigned char byte) {
    T rec;
    std::memset(&rec, byte, sizeof rec);
    return rec;
}

template <typename T>
bool same_bytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

TEST(TqdbRecords, FactoryRowsOfANewDatabase) {
    test_root root;
    camera_record cams[64];
    int count = -1;
    ASSERT_EQ(read_cameras(TQDB_FILE, cams, &count), 0);
    ASSERT_EQ(count, 64);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(cams[i].id, i);
        EXPECT_EQ(cams[i].enable, 0);
    }
    for (int chn : {0, 9, 63}) {
        osd_record osd{};
        ASSERT_EQ(read_osd(TQDB_FILE, &osd, chn), 0);
        EXPECT_EQ(osd.cam_id, chn);
        EXPECT_EQ(std::string(osd.cam_name), "CAM" + std::to_string(chn + 1));
    }
    record_row rows[64];
    ASSERT_EQ(read_records(TQDB_FILE, rows, &count), 0);
    ASSERT_EQ(count, 64);
    EXPECT_EQ(rows[63].id, 63);

    alarm_audio_file_record slots[alarm_audio_file_slots];
    ASSERT_EQ(read_alarm_audio_file(TQDB_FILE, slots), 0);
    for (int i = 0; i < alarm_audio_file_slots; ++i) {
        EXPECT_EQ(slots[i].id, i);
        EXPECT_EQ(slots[i].enable, 0);
    }
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_alarm_audio_file), 10);

    port_record port{};
    ASSERT_EQ(read_port(TQDB_FILE, &port), 0);
    EXPECT_EQ(port.enable_ssh, 0);
    EXPECT_EQ(port.http_port, 80);
    EXPECT_EQ(port.rtsp_port, 554);
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_port), 1);

    ipc_model_record model{};
    ASSERT_EQ(read_ipc_model(TQDB_FILE, &model, 1), 0);
    EXPECT_EQ(model.protocol, 1);
    EXPECT_STREQ(model.name, "RTSP");
}

TEST(TqdbRecords, MissingRowFailsAndLeavesTheBufferUntouched) {
    test_root root;
    ASSERT_EQ(tqdb_create(TQDB_FILE), 0);
    struct row {
        const char* what;
        int (*read)(void* buf);
        size_t size;
    };
    const row rows[] = {
        {"camera 64", [](void* b) { return read_camera(TQDB_FILE, static_cast<camera_record*>(b), 64); }, sizeof(camera_record)},
        {"camera -1", [](void* b) { return read_camera(TQDB_FILE, static_cast<camera_record*>(b), -1); }, sizeof(camera_record)},
        {"osd 64", [](void* b) { return read_osd(TQDB_FILE, static_cast<osd_record*>(b), 64); }, sizeof(osd_record)},
        {"record 100", [](void* b) { return read_record(TQDB_FILE, static_cast<record_row*>(b), 100); }, sizeof(record_row)},
        {"ipc model 7", [](void* b) { return read_ipc_model(TQDB_FILE, static_cast<ipc_model_record*>(b), 7); }, sizeof(ipc_model_record)},
        {"osd name 64", [](void* b) { return read_osd_name(TQDB_FILE, 64, static_cast<char*>(b), 64); }, 64},
        {"text key", [](void* b) { return tqdb_read_text(TQDB_FILE, named_table, b, "nobody"); }, sizeof(named_rec)},
        {"empty table", [](void* b) { return tqdb_read(TQDB_FILE, num_table, b, 0); }, sizeof(num_rec)},
        {"blob", [](void* b) { return tqdb_blob_read(TQDB_FILE, "nothing", 1, b, 16); }, 16},
        {"missing oem file", [](void* b) { return tqdb_read(TQDB_OEM_FILE, num_table, b, 0); }, sizeof(num_rec)},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.what);
        std::vector<unsigned char> buf(r.size, 0xA5), before = buf;
        EXPECT_NE(r.read(buf.data()), 0);
        EXPECT_EQ(buf, before);
    }
}

TEST(TqdbRecords, WriteReadKeepsEveryByte) {
    test_root root;
    auto cam = filled<camera_record>(0x5C);
    cam.id = 17;
    ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
    auto back = filled<camera_record>(0);
    ASSERT_EQ(read_camera(TQDB_FILE, &back, 17), 0);
    EXPECT_TRUE(same_bytes(cam, back));
    // The neighbours keep their factory rows.
    camera_record other{};
    ASSERT_EQ(read_camera(TQDB_FILE, &other, 16), 0);
    EXPECT_EQ(other.id, 16);
    EXPECT_EQ(other.user_name[0], 0);

    auto osd = filled<osd_record>(0x11);
    osd.cam_id = 3;
    osd.date_pos_x = 0.25;
    osd.name_pos_y = -7.5;
    ASSERT_EQ(write_osd(TQDB_FILE, &osd), 0);
    auto osd_back = filled<osd_record>(0);
    ASSERT_EQ(read_osd(TQDB_FILE, &osd_back, 3), 0);
    EXPECT_TRUE(same_bytes(osd, osd_back));
    EXPECT_EQ(osd_back.name_pos_y, -7.5);
}

TEST(TqdbRecords, ReadAllIsInKeyOrderAndBoundedByCapacity) {
    test_root root;
    for (int key : {40, 5, 17, 0, 63}) {
        num_rec r{key, key * 10, {}};
        ASSERT_EQ(tqdb_write(TQDB_FILE, num_table, &r), 0);
    }
    num_rec all[8];
    int count = -1;
    ASSERT_EQ(tqdb_read_all(TQDB_FILE, num_table, all, 8, &count), 0);
    ASSERT_EQ(count, 5);
    const int order[] = {0, 5, 17, 40, 63};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(all[i].key, order[i]);
        EXPECT_EQ(all[i].value, order[i] * 10);
    }
    auto guard = filled<num_rec>(0xEE);
    num_rec two[3] = {guard, guard, guard};
    ASSERT_EQ(tqdb_read_all(TQDB_FILE, num_table, two, 2, &count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(two[1].key, 5);
    EXPECT_TRUE(same_bytes(two[2], guard));  // nothing written past capacity
    EXPECT_EQ(tqdb_count(TQDB_FILE, num_table), 5);

    // A whole-table write names each row by its own key.
    num_rec batch[2] = {{5, -1, {}}, {70, -2, {}}};
    ASSERT_EQ(tqdb_write_all(TQDB_FILE, num_table, batch, 2), 0);
    EXPECT_EQ(tqdb_count(TQDB_FILE, num_table), 6);
    num_rec one{};
    ASSERT_EQ(tqdb_read(TQDB_FILE, num_table, &one, 5), 0);
    EXPECT_EQ(one.value, -1);

    ASSERT_EQ(tqdb_delete(TQDB_FILE, num_table, 5), 0);
    EXPECT_NE(tqdb_delete(TQDB_FILE, num_table, 5), 0);
    EXPECT_NE(tqdb_read(TQDB_FILE, num_table, &one, 5), 0);
}

TEST(TqdbRecords, CopyToChannelsKeepsEachRowsOwnKey) {
    test_root root;
    osd_record src{};
    src.cam_id = 7;
    std::strcpy(src.cam_name, "Gate");
    src.alpha = 3;
    const uint64_t mask = (1ull << 0) | (1ull << 5) | (1ull << 63);
    ASSERT_EQ(tqdb_copy(TQDB_FILE, tqdb_tbl_osd, &src, mask), 0);
    for (int chn = 0; chn < 64; ++chn) {
        SCOPED_TRACE(chn);
        osd_record osd{};
        ASSERT_EQ(read_osd(TQDB_FILE, &osd, chn), 0);
        EXPECT_EQ(osd.cam_id, chn);
        if (mask >> chn & 1) {
            EXPECT_STREQ(osd.cam_name, "Gate");
            EXPECT_EQ(osd.alpha, 3);
        } else {
            EXPECT_EQ(std::string(osd.cam_name), "CAM" + std::to_string(chn + 1));
        }
    }
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_osd), 64);
    // The caller's record is not changed by the copy.
    EXPECT_EQ(src.cam_id, 7);
    EXPECT_NE(tqdb_copy(TQDB_FILE, named_table, &src, 1), 0);  // text keys have no channels
}

TEST(TqdbRecords, WriteRecordsTouchesOnlyTheMaskedRows) {
    test_root root;
    record_row rows[64];
    int count = 0;
    ASSERT_EQ(read_records(TQDB_FILE, rows, &count), 0);
    ASSERT_EQ(count, 64);
    for (record_row& r : rows) r.mode = 2;
    ASSERT_EQ(write_records(TQDB_FILE, rows, (1ull << 1) | (1ull << 62)), 0);
    ASSERT_EQ(read_records(TQDB_FILE, rows, &count), 0);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(rows[i].mode, (i == 1 || i == 62) ? 2 : 0) << i;
}

TEST(TqdbRecords, CopyTableColumnIntSetsOneColumnOfMaskedRows) {
    test_root root;
    camera_record cam{};
    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 4), 0);
    std::strcpy(cam.ip_addr, "10.0.0.4");
    cam.record_stream = 2;
    ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);

    const uint64_t mask = (1ull << 2) | (1ull << 4) | (1ull << 63);
    ASSERT_EQ(copy_table_column_int(TQDB_FILE, "camera", "anr", 1, mask, "id"), 0);
    ASSERT_EQ(copy_table_column_int(TQDB_FILE, "record", "mode", 2, 1ull << 9, "id"), 0);
    camera_record cams[64];
    int count = 0;
    ASSERT_EQ(read_cameras(TQDB_FILE, cams, &count), 0);
    for (int i = 0; i < 64; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cams[i].id, i);
        EXPECT_EQ(cams[i].anr, (mask >> i & 1) ? 1 : 0);
    }
    EXPECT_STREQ(cams[4].ip_addr, "10.0.0.4");  // the rest of the row as stored
    EXPECT_EQ(cams[4].record_stream, 2);
    record_row row{};
    ASSERT_EQ(read_record(TQDB_FILE, &row, 9), 0);
    EXPECT_EQ(row.mode, 2);
    ASSERT_EQ(read_record(TQDB_FILE, &row, 8), 0);
    EXPECT_EQ(row.mode, 0);

    struct bad {
        const char* table;
        const char* column;
        const char* key_column;
    };
    const bad rows[] = {
        {"cameras", "anr", "id"},          // no such table
        {"camera", "mode", "id"},          // column of another table
        {"camera", "anr", "record_stream"},// not the key column
        {"camera", "id", "id"},            // the key itself is not a column to set
        {"camera", nullptr, "id"},
        {nullptr, "anr", "id"},
        {"camera", "anr", nullptr},
    };
    for (const bad& b : rows) {
        SCOPED_TRACE(b.table ? b.table : "(null)");
        EXPECT_NE(copy_table_column_int(TQDB_FILE, b.table, b.column, 5, ~0ull, b.key_column), 0);
    }
    ASSERT_EQ(read_cameras(TQDB_FILE, cams, &count), 0);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(cams[i].id, i);
        EXPECT_NE(cams[i].anr, 5);
        EXPECT_NE(cams[i].record_stream, 5);
    }
}

TEST(TqdbRecords, FieldUpdatesKeepTheRestOfTheRow) {
    test_root root;
    camera_record cam{};
    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 6), 0);
    std::strcpy(cam.user_name, "admin");
    std::memset(cam.ip_addr, 'z', sizeof cam.ip_addr);
    ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);

    const std::string long_ip(100, '9');
    struct row {
        const char* ip;
        std::string stored;
    };
    const row rows[] = {{"192.168.1.64", "192.168.1.64"}, {long_ip.c_str(), long_ip.substr(0, 63)}, {"", ""}};
    for (const row& r : rows) {
        ASSERT_EQ(write_camera_ip(TQDB_FILE, 6, r.ip), 0);
        camera_record back{};
        ASSERT_EQ(read_camera(TQDB_FILE, &back, 6), 0);
        EXPECT_EQ(std::string(back.ip_addr), r.stored);
        EXPECT_STREQ(back.user_name, "admin");
        for (size_t i = r.stored.size(); i < sizeof back.ip_addr; ++i) EXPECT_EQ(back.ip_addr[i], 0);
    }
    EXPECT_NE(write_camera_ip(TQDB_FILE, 64, "1.2.3.4"), 0);  // no such channel: nothing created
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_camera), 64);

    int32_t v = 1;
    EXPECT_NE(tqdb_update_field(TQDB_FILE, tqdb_tbl_camera, 6, sizeof(camera_record) - 2, &v, 4), 0);

    char name[5];
    ASSERT_EQ(read_osd_name(TQDB_FILE, 11, name, sizeof name), 0);
    EXPECT_STREQ(name, "CAM1");  // "CAM12" cut to the buffer
    char full[64];
    ASSERT_EQ(read_osd_name(TQDB_FILE, 11, full, sizeof full), 0);
    EXPECT_STREQ(full, "CAM12");
}

TEST(TqdbRecords, SingleRowTable) {
    test_root root;
    port_record port{};
    ASSERT_EQ(read_port(TQDB_FILE, &port), 0);
    port.enable_ssh = 1;
    std::strcpy(port.host_name, "recorder");
    ASSERT_EQ(write_port(TQDB_FILE, &port), 0);
    port_record back{};
    ASSERT_EQ(read_port(TQDB_FILE, &back), 0);
    EXPECT_TRUE(same_bytes(port, back));
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_port), 1);
}

TEST(TqdbRecords, TextKeyedRows) {
    test_root root;
    named_rec a{1, "alpha"}, b{2, "beta"};
    ASSERT_EQ(tqdb_write(TQDB_FILE, named_table, &b), 0);
    ASSERT_EQ(tqdb_write(TQDB_FILE, named_table, &a), 0);
    a.value = 11;
    ASSERT_EQ(tqdb_write(TQDB_FILE, named_table, &a), 0);  // same key: rewritten
    named_rec back{};
    ASSERT_EQ(tqdb_read_text(TQDB_FILE, named_table, &back, "alpha"), 0);
    EXPECT_EQ(back.value, 11);
    EXPECT_EQ(tqdb_count(TQDB_FILE, named_table), 2);
    named_rec all[4];
    int count = 0;
    ASSERT_EQ(tqdb_read_all(TQDB_FILE, named_table, all, 4, &count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(all[0].name, "beta");  // in the order the keys first came
    EXPECT_STREQ(all[1].name, "alpha");

    // A key filling the whole field (no terminator) is still one key.
    named_rec wide{3, {}};
    std::memset(wide.name, 'w', sizeof wide.name);
    ASSERT_EQ(tqdb_write(TQDB_FILE, named_table, &wide), 0);
    ASSERT_EQ(tqdb_read_text(TQDB_FILE, named_table, &back, std::string(32, 'w').c_str()), 0);
    EXPECT_EQ(back.value, 3);

    named_rec empty{4, ""};
    EXPECT_NE(tqdb_write(TQDB_FILE, named_table, &empty), 0);
    EXPECT_NE(tqdb_read_text(TQDB_FILE, named_table, &back, ""), 0);
    EXPECT_NE(tqdb_read_text(TQDB_FILE, num_table, &back, "alpha"), 0);

    ASSERT_EQ(tqdb_delete_text(TQDB_FILE, named_table, "alpha"), 0);
    EXPECT_NE(tqdb_delete_text(TQDB_FILE, named_table, "alpha"), 0);
    EXPECT_NE(tqdb_read_text(TQDB_FILE, named_table, &back, "alpha"), 0);
    named_rec again{5, "alpha"};
    ASSERT_EQ(tqdb_write(TQDB_FILE, named_table, &again), 0);
    ASSERT_EQ(tqdb_read_all(TQDB_FILE, named_table, all, 4, &count), 0);
    ASSERT_EQ(count, 3);
    EXPECT_STREQ(all[2].name, "alpha");
}

TEST(TqdbRecords, ShorterStoredRowReadsWithZeroTail) {
    test_root root;
    const tqdb_table narrow = {"test_grow", 8, tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0, nullptr};
    int32_t old_row[2] = {1, 42};
    ASSERT_EQ(tqdb_write(TQDB_FILE, narrow, old_row), 0);
    num_rec grown = filled<num_rec>(0xFF);
    const tqdb_table wide = {"test_grow", sizeof(num_rec), tqdb_key_kind::int_at, 0, 0, 0, nullptr, 0, nullptr};
    ASSERT_EQ(tqdb_read(TQDB_FILE, wide, &grown, 1), 0);
    EXPECT_EQ(grown.value, 42);
    for (char ch : grown.text) EXPECT_EQ(ch, 0);
}

TEST(TqdbRecords, TransactionCommitsOrRollsBackTogether) {
    test_root root;
    struct job {
        int result;
        static int run(void* ctx) {
            num_rec a{1, 1, {}}, b{2, 2, {}};
            if (tqdb_write(TQDB_FILE, num_table, &a) || tqdb_write(TQDB_FILE, num_table, &b)) return -1;
            if (set_param_int(TQDB_FILE, "in_txn", 1)) return -1;
            return static_cast<job*>(ctx)->result;
        }
    };
    job fail{7};
    EXPECT_EQ(tqdb_transaction(TQDB_FILE, job::run, &fail), 7);
    EXPECT_EQ(tqdb_count(TQDB_FILE, num_table), 0);
    EXPECT_NE(check_param_key(TQDB_FILE, "in_txn"), 0);
    job ok{0};
    EXPECT_EQ(tqdb_transaction(TQDB_FILE, job::run, &ok), 0);
    EXPECT_EQ(tqdb_count(TQDB_FILE, num_table), 2);
    EXPECT_EQ(get_param_int(TQDB_FILE, "in_txn", 0), 1);
}

TEST(TqdbRecords, CatalogueIsConsistent) {
    std::set<std::string> names;
    for (int i = 0; i < tqdb_table_count; ++i) {
        const tqdb_table& t = *tqdb_tables[i];
        SCOPED_TRACE(t.name);
        EXPECT_TRUE(names.insert(t.name).second) << "duplicate table name";
        EXPECT_EQ(tqdb_find_table(t.name), &t);
        if (t.key_kind == tqdb_key_kind::int_at) {
            EXPECT_LE(t.key_off + 4, t.rec_size);
        }
        if (t.key_kind == tqdb_key_kind::text_at) {
            EXPECT_GT(t.key_len, 0u);
            EXPECT_LE(t.key_off + t.key_len, t.rec_size);
        }
        if (t.key_kind == tqdb_key_kind::single) {
            EXPECT_LE(t.factory_rows, 1);
        }
        for (uint32_t c = 0; c < t.column_count; ++c) EXPECT_LE(t.columns[c].offset + 4, t.rec_size);
    }
    std::set<std::string> keys;
    for (int i = 0; i < tqdb_param_default_count; ++i)
        EXPECT_TRUE(keys.insert(tqdb_param_defaults[i].key).second) << tqdb_param_defaults[i].key;
    EXPECT_EQ(tqdb_find_table("nope"), nullptr);
}

// ---- files --------------------------------------------------------------------

TEST(TqdbFiles, FactoryAccountFileIsNeverCreatedByAccess) {
    test_root root;
    num_rec rec{};
    EXPECT_NE(tqdb_read(TQDB_OEM_FILE, num_table, &rec, 0), 0);
    int count = 5;
    EXPECT_NE(tqdb_read_all(TQDB_OEM_FILE, num_table, &rec, 1, &count), 0);
    EXPECT_NE(tqdb_write(TQDB_OEM_FILE, num_table, &rec), 0);
    EXPECT_NE(set_param_int(TQDB_OEM_FILE, "x", 1), 0);
    EXPECT_FALSE(root.exists(TQDB_OEM_FILE));
    // Other unknown paths are not created either.
    EXPECT_NE(set_param_int(TQDB_FILE ".bak", "x", 1), 0);
    EXPECT_FALSE(root.exists(TQDB_FILE ".bak"));

    // Made on purpose, it is an ordinary database without factory rows.
    ASSERT_EQ(tqdb_create(TQDB_OEM_FILE), 0);
    EXPECT_TRUE(root.exists(TQDB_OEM_FILE));
    rec = {3, 33, "oem"};
    ASSERT_EQ(tqdb_write(TQDB_OEM_FILE, num_table, &rec), 0);
    tqdb_close_all();
    num_rec back{};
    ASSERT_EQ(tqdb_read(TQDB_OEM_FILE, num_table, &back, 3), 0);
    EXPECT_EQ(back.value, 33);
    EXPECT_NE(check_param_key(TQDB_OEM_FILE, "max_cameras"), 0);
    EXPECT_EQ(tqdb_count(TQDB_OEM_FILE, tqdb_tbl_camera), 0);
}

TEST(TqdbFiles, PlateFileIsCreatedWithoutFactoryRows) {
    test_root root;
    EXPECT_NE(check_param_key(TQDB_ANPR_FILE, "max_cameras"), 0);
    EXPECT_TRUE(root.exists(TQDB_ANPR_FILE));
    EXPECT_EQ(tqdb_count(TQDB_ANPR_FILE, tqdb_tbl_camera), 0);
    named_rec plate{1, "AB123"};
    ASSERT_EQ(tqdb_write(TQDB_ANPR_FILE, named_table, &plate), 0);
    EXPECT_EQ(tqdb_count(TQDB_FILE, named_table), 0);  // files are separate
}

TEST(TqdbFiles, MissingDirectoryFailsWithoutCreatingIt) {
    test_root root;
    ASSERT_EQ(rmdir(root.file("/mnt/nand/app").c_str()), 0);
    camera_record cam = filled<camera_record>(0x33), before = cam;
    EXPECT_NE(read_camera(TQDB_FILE, &cam, 0), 0);
    EXPECT_TRUE(same_bytes(cam, before));
    EXPECT_EQ(get_param_int(TQDB_FILE, "max_cameras", -3), -3);
    EXPECT_NE(set_param_int(TQDB_FILE, "max_cameras", 8), 0);
    EXPECT_NE(write_camera(TQDB_FILE, &cam), 0);
    EXPECT_FALSE(root.exists("/mnt/nand/app"));
    // The directory appears later (the device mounted it): the file works.
    ASSERT_EQ(mkdir(root.file("/mnt/nand/app").c_str(), 0755), 0);
    EXPECT_EQ(get_param_int(TQDB_FILE, "max_cameras", -3), 32);
}

TEST(TqdbFiles, CatalogueChangeReseedsMissingRowsWithoutOverwriting) {
    test_root root;
    camera_record cam{};
    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 3), 0);
    cam.enable = 1;
    ASSERT_EQ(write_camera(TQDB_FILE, &cam), 0);
    ASSERT_EQ(delete_camera(TQDB_FILE, 5), 0);
    ASSERT_EQ(set_param_int(TQDB_FILE, "max_cameras", 16), 0);
    tqdb_close_all();

    // What an older catalogue leaves in the file.
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(root.file(TQDB_FILE).c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version=1", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 5), 0);
    EXPECT_EQ(cam.id, 5);
    ASSERT_EQ(read_camera(TQDB_FILE, &cam, 3), 0);
    EXPECT_EQ(cam.enable, 1);
    EXPECT_EQ(get_param_int(TQDB_FILE, "max_cameras", 0), 16);
}

}  // namespace
