// The configuration profile end to end: export ("/1007"), download
// ("/1013") and import ("/1008") through the real tqprofile; damaged,
// truncated and foreign files refused without a change; the import acting
// only on this request's upload; the download sending only an export under
// /tmp; and the tool's own rules (exit status, older profiles, repeated
// exports).
#include <sys/stat.h>

#include "platform/tqdb/rec_event.h"
#include "tests/harness/db_snapshot.h"
#include "tests/maintenance/maintenance_case.h"
#include "tools/tqprofile/profile.h"

namespace xcase {
namespace {

const std::string download_head = "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= ";

std::string user_add(const std::string& name) {
    return R"({"name": ")" + name + R"(", "password": "0123456789abcdef0123456789abcdef", "type": 1, )"
           R"("permission": 5, "remotePermission": -1})";
}

// A profile file with its header checksum made right again after a change
// of its first 28 bytes.
std::string with_header_crc(std::string file) {
    uint32_t crc = profile::crc32(file.data(), 28);
    for (int i = 0; i < 4; ++i) file[28 + i] = static_cast<char>((crc >> (8 * i)) & 0xff);
    return file;
}

// The same with the body checksum made right again too.
std::string with_crcs(std::string file) {
    uint32_t crc = profile::crc32(file.data() + profile::header_size, file.size() - profile::header_size);
    for (int i = 0; i < 4; ++i) file[24 + i] = static_cast<char>((crc >> (8 * i)) & 0xff);
    return with_header_crc(file);
}

class Profile : public maintenance_case {
protected:
    // Exports through "/1007" and downloads through "/1013"; the file's bytes.
    std::string export_and_download() {
        cgi_result exported = get("/1007");
        EXPECT_EQ(exported.out.rfind(text_reply("OK filename=config_"), 0), 0u) << exported.out;
        std::string path = root.read(export_path_file);
        EXPECT_EQ(exported.out, text_reply("OK filename=" + path.substr(path.rfind('/') + 1) + "\r\n"));
        const std::string file = root.read(path);
        cgi_result downloaded = get("/1013");
        EXPECT_EQ(downloaded.out, download_head + path.substr(path.rfind('/') + 1) + "\r\n\r\n" + file);
        EXPECT_FALSE(root.exists(path));
        return file;
    }

    // A stub tqprofile in a directory of its own, first on PATH: it notes
    // its arguments and then runs script.
    std::string stub_tool(const std::string& script) {
        const std::string dir = root.path() + "/stub";
        mkdir(dir.c_str(), 0755);
        root.write("/stub/tqprofile", "#!/bin/sh\necho \"$@\" > \"$NVR_ROOT/stub/args\"\n" + script + "\n");
        chmod(root.file("/stub/tqprofile").c_str(), 0755);
        return dir + ":" + bin_path("") + ":/usr/bin:/bin";
    }

    std::vector<profile::entry> entries_of(const std::string& file) {
        std::vector<profile::entry> entries;
        EXPECT_EQ(profile::decode(file, entries), "");
        return entries;
    }
};

TEST_F(Profile, ExportChangeImportRestoresEveryChange) {
    struct row {
        int line;
        std::string set_code, set_body;
        std::string get_code, get_body;  // get_body "": GET
    } rows[] = {
        {__LINE__, "/6054", R"({"camId":12,"pan_speed":1,"tilt_speed":2,"zoom_speed":3,"foucs_speed":4})", "/6053",
         R"({"camId":12})"},
        {__LINE__, "/7034", R"({"enable":1,"ip":"239.1.1.9"})", "/7033", ""},
        {__LINE__, "/6071", user_add("op1"), "/6070", ""},
        {__LINE__, "/6031", R"({"id":5,"name":"fest","enable":1,"type":2,"startYear":2026,"startMon":12})", "/6030",
         ""},
        {__LINE__, "/6160", R"({"type":1,"chn_id":4,"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":5})",
         "/6161", R"({"type":1,"chn_id":4})"},
    };
    auto read_setting = [&](const row& r) { return r.get_body.empty() ? get(r.get_code).out : post(r.get_code, r.get_body).out; };
    std::vector<std::string> before;
    for (const row& r : rows) before.push_back(read_setting(r));

    fresh_case();
    const std::string file = export_and_download();
    EXPECT_EQ(sent().size(), 1u);
    expect_sent({{3485, oplog(213, 900, 0)}}, __LINE__);

    for (size_t i = 0; i < std::size(rows); ++i) {
        const row& r = rows[i];
        post(r.set_code, r.set_body);
        ASSERT_NE(read_setting(r), before[i]) << "row at line " << r.line << " changed nothing";
    }
    fresh_case();
    EXPECT_EQ(upload("/1008", "", "saved.profile", file).out, text_reply("OK"));
    expect_sent({{3485, oplog(214, 900, 0)}}, __LINE__);
    EXPECT_FALSE(root.exists("/tmp/saved.profile"));
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(read_setting(rows[i]), before[i]) << "row at line " << rows[i].line;
}

TEST_F(Profile, DamagedTruncatedAndForeignFilesChangeNothing) {
    // The parameters of an export, as a profile of their own (small, so
    // that the rows run fast; records and lists come back from the factory
    // rows when it is imported).
    ASSERT_EQ(tqprofile({"-e", "/tmp"}), 0);
    std::vector<profile::entry> params;
    for (const profile::entry& e : entries_of(root.read(root.read(export_path_file))))
        if (e.kind == profile::entry_kind::param) params.push_back(e);
    const std::string good = profile::encode(params);
    ASSERT_GT(good.size(), profile::header_size + 100);
    std::string flipped = good;
    flipped[good.size() / 2] ^= 0x01;
    std::string newer = good;
    newer[8] = 2;
    std::string unknown_kind = good;
    unknown_kind[profile::header_size] = 9;
    std::string crlf = good;
    crlf.replace(7, 1, "\r\n");
    std::vector<profile::entry> twice = params;
    twice.push_back(params.front());
    const std::string database = root.read(TQDB_FILE);

    struct row {
        int line;
        std::string file;
    } rows[] = {
        {__LINE__, flipped},
        {__LINE__, good.substr(0, good.size() - 1)},
        {__LINE__, good.substr(0, good.size() / 2)},
        {__LINE__, good.substr(0, profile::header_size - 1)},
        {__LINE__, good + "x"},
        {__LINE__, crlf},
        // A later format version, checksums right.
        {__LINE__, with_header_crc(newer)},
        {__LINE__, with_crcs(unknown_kind)},
        // Whole and undamaged, but a parameter twice: the store refuses it
        // half-way, and what was replaced before comes back.
        {__LINE__, profile::encode(twice)},
        {__LINE__, profile::encode({})},
        {__LINE__, database},
        {__LINE__, ""},
        {__LINE__, R"({"max_cameras": 16})"},
    };
    // A change after the export, so that an import would show.
    ASSERT_EQ(set_param_value(TQDB_FILE, "max_cameras", "16"), 0);
    const std::string stored = db_snapshot(root);
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(upload("/1008", "", "saved.profile", r.file).out, text_failure()) << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) == stored) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/tmp/saved.profile")) << "row at line " << r.line;
    }
    // The good file goes through the same way.
    EXPECT_EQ(upload("/1008", "", "saved.profile", good).out, text_reply("OK"));
    EXPECT_EQ(get_param_int(TQDB_FILE, "max_cameras", 0), 32);
}

// The import acts only on the file this request uploaded: a path in the
// request text, by GET or in a body, is neither imported nor removed.
TEST_F(Profile, ImportTakesOnlyThisRequestsUpload) {
    ASSERT_EQ(tqprofile({"-e", "/tmp"}), 0);
    const std::string path = root.read(export_path_file);
    ASSERT_EQ(set_param_value(TQDB_FILE, "max_cameras", "16"), 0);
    const std::string stored = db_snapshot(root);
    struct row {
        int line;
        std::string method, text;
    } rows[] = {
        {__LINE__, "GET", path},
        {__LINE__, "GET", "%22" + path + "%22"},
        {__LINE__, "POST", path},
        {__LINE__, "POST", path + " & 1"},
    };
    for (const auto& r : rows) {
        fresh_case();
        cgi_result res = r.method == "GET" ? get("/1008", r.text) : post("/1008", r.text);
        EXPECT_EQ(res.out, text_failure()) << "row at line " << r.line;
        EXPECT_TRUE(db_snapshot(root) == stored) << "row at line " << r.line;
        EXPECT_TRUE(root.exists(path)) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

// "/1007" answers by the tool's exit status and the path file it leaves;
// "/1008" removes the upload whatever the tool says. Both hand the tool an
// argument vector.
TEST_F(Profile, ToolOutcomes) {
    struct row {
        int line;
        std::string code, script;
        std::string out, args;
        std::vector<int32_t> sent;
    } rows[] = {
        {__LINE__, "/1007", "exit 1", text_failure(), "-e /tmp", {}},
        {__LINE__, "/1007", "rm -f \"$NVR_ROOT/tmp/.export_down_file\"; exit 0", text_reply("OK"), "-e /tmp", {3485}},
        {__LINE__, "/1007", "printf noslash > \"$NVR_ROOT/tmp/.export_down_file\"", text_reply("OK"), "-e /tmp",
         {3485}},
        {__LINE__, "/1007", "printf /tmp/sub/a.profile > \"$NVR_ROOT/tmp/.export_down_file\"",
         text_reply("OK filename=a.profile\r\n"), "-e /tmp", {3485}},
        {__LINE__, "/1008", "exit 3", text_failure(), "-i /tmp/my.profile", {}},
        {__LINE__, "/1008", "exit 0", text_reply("OK"), "-i /tmp/my.profile", {3485}},
    };
    for (const auto& r : rows) {
        fresh_case();
        const std::string path_env = stub_tool(r.script);
        cgi_result res = r.code == "/1008" ? upload(r.code, "", "my.profile", "bytes", path_env) : get(r.code, "", path_env);
        EXPECT_EQ(res.out, r.out) << "row at line " << r.line;
        EXPECT_EQ(root.read("/stub/args"), r.args + "\n") << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/tmp/my.profile")) << "row at line " << r.line;
        EXPECT_EQ(sent_ids(), r.sent) << "row at line " << r.line;
    }
}

// "/1013" sends and removes only a regular file directly under /tmp that is
// none of the system's own names; anything else is neither sent nor removed.
TEST_F(Profile, DownloadSendsOnlyAnExportUnderTmp) {
    ASSERT_EQ(check_param_key(TQDB_FILE, "max_cameras"), 0);
    mkdir(root.file("/tmp/dir").c_str(), 0755);
    root.write("/tmp/dir/inner", "inner");
    root.write("/tmp/cgilockfile", "lock");
    root.write("/tmp/.hidden", "hidden");
    ASSERT_EQ(symlink(root.file(TQDB_FILE).c_str(), root.file("/tmp/link.profile").c_str()), 0);
    struct row {
        int line;
        std::string named;  // the path file's text
        const char* target; // a file that must stay (null: none)
    } rows[] = {
        {__LINE__, TQDB_FILE, TQDB_FILE},
        {__LINE__, "/tmp/../mnt/nand/app/tqdb.db", TQDB_FILE},
        {__LINE__, "/tmp/link.profile", "/tmp/link.profile"},
        {__LINE__, "/tmp/dir", "/tmp/dir/inner"},
        {__LINE__, "/tmp/dir/inner", "/tmp/dir/inner"},
        {__LINE__, "/tmp/cgilockfile", "/tmp/cgilockfile"},
        {__LINE__, "/tmp/.hidden", "/tmp/.hidden"},
        {__LINE__, "/tmp/missing.profile", nullptr},
        {__LINE__, "tmp/x.profile\n", nullptr},
    };
    for (const auto& r : rows) {
        root.write(export_path_file, r.named);
        EXPECT_EQ(get("/1013").out, "") << "row at line " << r.line;
        if (r.target) {
            EXPECT_TRUE(root.exists(r.target)) << "row at line " << r.line;
        }
    }
    unlink(root.file(export_path_file).c_str());
    EXPECT_EQ(get("/1013").out, "");
    root.write("/tmp/config_1.profile", std::string(10000, 'p'));
    root.write(export_path_file, "/tmp/config_1.profile");
    EXPECT_EQ(get("/1013").out, download_head + "config_1.profile\r\n\r\n" + std::string(10000, 'p'));
    EXPECT_FALSE(root.exists("/tmp/config_1.profile"));
}

TEST_F(Profile, ToolExitStatus) {
    root.write("/tmp/text.profile", "not a profile");
    struct row {
        int line;
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {__LINE__, {}, 2},
        {__LINE__, {"-e"}, 2},
        {__LINE__, {"-x", "/tmp"}, 2},
        {__LINE__, {"-e", "tmp"}, 1},
        {__LINE__, {"-e", "/no/such/dir"}, 1},
        {__LINE__, {"-i", "/tmp/none.profile"}, 1},
        {__LINE__, {"-i", "/tmp/text.profile"}, 1},
        {__LINE__, {"-i", "/tmp"}, 1},
        {__LINE__, {"-e", "/tmp/"}, 0},
    };
    for (const auto& r : rows) EXPECT_EQ(tqprofile(r.args), r.status) << "row at line " << r.line;
    EXPECT_EQ(root.read(export_path_file).rfind("/tmp/config_", 0), 0u);
}

// Parameters, records (with a text key too) and lists come back byte for
// byte; a profile without one table's rows (as an older version's) gets
// that table's factory rows.
TEST_F(Profile, ToolRoundTripAndOlderProfiles) {
    static const tqdb_table named = {"profile_named", 24, tqdb_key_kind::text_at, 0, 16, 0, nullptr, 0, nullptr};
    char rec[24] = "front door";
    rec[20] = 7;
    ASSERT_EQ(tqdb_write(TQDB_FILE, named, rec), 0);
    ASSERT_EQ(tqdb_blob_write(TQDB_FILE, "profile_list", 3, "abc", 3), 0);
    ASSERT_EQ(set_param_value(TQDB_FILE, "profile_text", "a=b; c"), 0);
    const std::string stored = db_snapshot(root);
    ASSERT_EQ(tqprofile({"-e", "/tmp"}), 0);
    const std::string file = root.read(root.read(export_path_file));

    ASSERT_EQ(tqdb_delete_text(TQDB_FILE, named, "front door"), 0);
    ASSERT_EQ(tqdb_blob_delete(TQDB_FILE, "profile_list", 3), 0);
    ASSERT_EQ(set_param_value(TQDB_FILE, "profile_text", "changed"), 0);
    ASSERT_EQ(set_param_value(TQDB_FILE, "added_later", "1"), 0);
    root.write("/tmp/in.profile", file);
    ASSERT_EQ(tqprofile({"-i", "/tmp/in.profile"}), 0);
    EXPECT_TRUE(db_snapshot(root) == stored);
    char back[24] = {};
    EXPECT_EQ(tqdb_read_text(TQDB_FILE, named, back, "front door"), 0);
    EXPECT_EQ(back[20], 7);

    std::vector<profile::entry> older;
    for (profile::entry& e : entries_of(file))
        if (e.name != tqdb_tbl_motion.name) older.push_back(e);
    root.write("/tmp/old.profile", profile::encode(older));
    ASSERT_EQ(tqprofile({"-i", "/tmp/old.profile"}), 0);
    motion_record m;
    EXPECT_EQ(tqdb_load(TQDB_FILE, tqdb_tbl_motion, &m, 63), 0);
    EXPECT_EQ(tqdb_count(TQDB_FILE, tqdb_tbl_motion), 64);
}

// An export that was never downloaded goes when the next one is made; the
// path file naming anything else removes nothing.
TEST_F(Profile, ANewExportRemovesTheUndownloadedOne) {
    struct row {
        int line;
        std::string earlier;
        bool removed;
    } rows[] = {
        {__LINE__, "/tmp/config_20000101_000000.profile", true},
        {__LINE__, "/tmp/keep.txt", false},
        {__LINE__, "/mnt/nand/config_20000101_000000.profile", false},
    };
    for (const auto& r : rows) {
        root.write(r.earlier, "earlier");
        root.write(export_path_file, r.earlier);
        ASSERT_EQ(tqprofile({"-e", "/tmp"}), 0) << "row at line " << r.line;
        EXPECT_EQ(root.exists(r.earlier), !r.removed) << "row at line " << r.line;
        unlink(root.file(root.read(export_path_file)).c_str());
    }
}

}  // namespace
}  // namespace xcase
