// The factory commands, the chip information they change, the factory look
// restored, and camera addresses in bulk.
#include <cstring>
#include <filesystem>

#include "platform/tqdb/rec_camera.h"
#include "tests/harness/db_faults.h"
#include "tests/service/service_fixture.h"

namespace {

using Factory = service::service_case;

std::string param(const char* key) {
    char value[256];
    get_param_value(TQDB_FILE, key, value, sizeof value, "-");
    return value;
}

TEST_F(Factory, RunsTheCommandsInOrderEachWithItsOwnReply) {
    const std::string name64(64, 'n'), value63(63, 'v');
    // clang-format off
    struct row {
        int line;
        const char* code;
        bool form;  // a form body, else a query string
        std::string text;
        std::string replies;
        std::string decode, hotplug;  // the parameters afterwards ("-": not stored)
        std::vector<xcase::msg> sent;
    } rows[] = {
        {__LINE__, "/vb.htm", false, "softversion", text_reply("7x.7.0.9"), "-", "1"},
        {__LINE__, "/vb.htm", true, "decode=1&hotplug=0", text_reply("OK") + text_reply("OK"), "1", "0"},
        {__LINE__, "/vb.htm", false, "debug", text_reply("ERROR"), "-", "1"},
        {__LINE__, "/vb.htm", false, "", text_reply("ERROR"), "-", "1"},
        {__LINE__, "/vb.htm", false, "setlang=3", text_reply("OK"), "-", "1", {{4000, int_bytes({3})}}},
        // An unknown name ends the list; what ran before it stays.
        {__LINE__, "/vb.htm", true, "decode=7&bogus=1&hotplug=5", text_reply("OK") + text_reply("ERROR"), "7", "1"},
        {__LINE__, "/vb.htm", false, "softversion=1&setdefault=1&paratest=x",
         text_reply("7x.7.0.9") + text_reply("Param ERROR"), "-", "1"},
        {__LINE__, "/vb.htm", true, "decode=" + value63, text_reply("OK"), value63, "1"},
        // A list that cannot be read runs nothing.
        {__LINE__, "/vb.htm", false, "noequals", text_reply("PARAM ERROR"), "-", "1"},
        {__LINE__, "/vb.htm", true, "decode=2&" + name64 + "=1", text_reply("PARAM ERROR"), "-", "1"},
        {__LINE__, "/vb.htm", true, "decode=" + value63 + "v", text_reply("PARAM ERROR"), "-", "1"},
        {__LINE__, "/dw.cgi", false, "file=/mnt/nand/app/tqdb.db", text_reply("NG download"), "-", "1"},
    };
    // clang-format on
    for (const auto& r : rows) {
        fresh_case();
        set_param_value(TQDB_FILE, "hdmihotplug", "1");
        set_param_value(TQDB_FILE, "decode", "-");
        EXPECT_EQ((r.form ? form(r.code, r.text) : get(r.code, r.text)).out, r.replies)
            << "row at line " << r.line;
        EXPECT_EQ(param("decode"), r.decode) << "row at line " << r.line;
        EXPECT_EQ(param("hdmihotplug"), r.hotplug) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
    }
}

TEST_F(Factory, ChangesTheChipInformationOnlyToThirtyTwoPlainCharactersAsOneArgument) {
    const std::string factory = "TQNVR6400H01E0000001S00000000001";
    const std::vector<std::string> read = {"-r", "32"};
    // clang-format off
    struct row {
        int line;
        std::string text;  // a form body
        std::string reply;
        std::string info;  // afterwards ("": unchanged)
        std::string stored = "";  // before ("": the factory information)
    } rows[] = {
        {__LINE__, "paratest=chipinfo", "OK chipinfo=" + factory + "\n", ""},
        {__LINE__, "chipupdate=H02", "OK chipupdate", "TQNVR6400H02E0000001S00000000001"},
        {__LINE__, "chipupdate=N123", "OK chipupdate", "TQN123000H01E0000001S00000000001"},
        {__LINE__, "chipupdate=S12345678901234567890", "OK chipupdate", "TQNVR6400H01E0000001S12345678901"},
        {__LINE__, "chipupdate=TQNABCDEFGHIJKLMNOPQRSTUVWXY", "OK chipupdate", "TQNABCDEFGHIJKLMNOPQRSTUVWXY0000"},
        {__LINE__, "modelupdate=E123", "OK modelupdate", "TQNVR6400H01E1230000S00000000001"},
        {__LINE__, "chipupdate=X12", "NG chipupdate", ""},
        {__LINE__, "chipupdate=", "NG chipupdate", ""},
        {__LINE__, "chipupdate=TQN" + std::string(30, 'A'), "NG chipupdate", ""},
        {__LINE__, "chipupdate=TQNshort", "NG chipupdate", ""},
        {__LINE__, "modelupdate=H1234", "NG modelupdate", ""},
        {__LINE__, "modelupdate=Q1", "NG modelupdate", ""},
        {__LINE__, "chipupdate=H02", "NG chipupdate", "", "TQNVR6400H01E0000001"},  // stored one too short
        // Shell characters are characters; blanks are refused.
        {__LINE__, "chipupdate=TQN;touch${IFS}pwned;`id`", "OK chipupdate", "TQN;touch${IFS}pwned;`id`0000000"},
        {__LINE__, "chipupdate=TQN\"'$(touch${IFS}pwned)'\"`x`", "OK chipupdate",
         "TQN\"'$(touch${IFS}pwned)'\"`x`000"},
        {__LINE__, "modelupdate=N$(id)", "OK modelupdate", "TQN$(id)0H01E0000001S00000000001"},
        {__LINE__, "chipupdate=TQN touch pwned; $(touch pwned)", "NG chipupdate", ""},
    };
    // clang-format on
    for (const auto& r : rows) {
        std::filesystem::remove(root.file("/etc/tqchip.txt"));
        if (!r.stored.empty()) root.write("/etc/tqchip.txt", r.stored + "\n");
        const std::string before = r.stored.empty() ? factory : r.stored;
        EXPECT_EQ(form("/vb.htm", r.text).out, text_reply(r.reply)) << "row at line " << r.line;
        std::vector<std::vector<std::string>> calls = {read};
        if (!r.info.empty()) calls.push_back({r.info});
        EXPECT_EQ(tool_calls(), calls) << "row at line " << r.line;
        EXPECT_EQ(root.exists("/etc/tqchip.txt") ? root.read("/etc/tqchip.txt") : factory + "\n",
                  (r.info.empty() ? before : r.info) + "\n")
            << "row at line " << r.line;
        EXPECT_FALSE(pwned()) << "row at line " << r.line;
    }
}

TEST_F(Factory, OemCleanRestoresTheFactoryLookAndMarksTheErase) {
    // clang-format off
    struct row {
        int line;
        std::vector<std::string> refused;
        std::string reply;
        bool erase_all;
    } rows[] = {
        {__LINE__, {}, "OK", true},
        {__LINE__, {param_target("oem_type")}, "CGI ERROR", false},
    };
    // clang-format on
    for (const auto& r : rows) {
        for (const char* name : {"eraseip", "eraseuser", "eraseall"})
            std::filesystem::remove(root.file(std::string("/mnt/nand/app/") + name));
        set_param_int(TQDB_FILE, "oem_type", 90);
        root.write("/mnt/nand2/logo.jpg_bk", "factory logo");
        root.write("/mnt/nand2/gui.rcc_bk", "factory gui");
        root.write("/mnt/nand2/oem.db", "vendor accounts");
        root.write("/mnt/nand2/.kept", "dot files stay");
        root.write("/mnt/nand2/dir/inner", "directories stay");
        root.write("/opt/app/bin/logo.jpg", "vendor logo");
        root.write("/opt/app/www/web/index.html", "factory page");
        ASSERT_EQ(std::system(("tar -czf " + root.file("/opt/app/www/web.tar.gz") + " -C " +
                               root.file("/opt/app/www") + " web")
                                  .c_str()),
                  0);
        std::filesystem::remove_all(root.file("/opt/app/www/web"));
        cgi_result res;
        {
            refused_writes refused(r.refused);
            res = get("/vb.htm", "oemclean");
        }
        // Nothing of the tools' output reaches the reply.
        EXPECT_EQ(res.out, text_reply(r.reply)) << "row at line " << r.line;
        EXPECT_EQ(root.read("/opt/app/bin/logo.jpg"), "factory logo") << "row at line " << r.line;
        EXPECT_EQ(root.read("/opt/app/bin/gui.rcc"), "factory gui") << "row at line " << r.line;
        EXPECT_EQ(service::listing(root, "/mnt/nand2"), ".kept dir ") << "row at line " << r.line;
        EXPECT_EQ(root.read("/opt/app/www/web/index.html"), "factory page") << "row at line " << r.line;
        EXPECT_TRUE(root.exists("/mnt/nand/app/eraseip") && root.exists("/mnt/nand/app/eraseuser"))
            << "row at line " << r.line;
        EXPECT_EQ(root.exists("/mnt/nand/app/eraseall"), r.erase_all) << "row at line " << r.line;
        EXPECT_EQ(get_param_int(TQDB_FILE, "oem_type", -1), r.erase_all ? 0 : 90) << "row at line " << r.line;
    }
}

TEST_F(Factory, CameraAddressesCountUpWithinTheChannelsOffered) {
    // clang-format off
    struct row {
        int line;
        std::string body;
        int max_cameras;
        std::vector<std::string> ips;  // channels 0.. afterwards (the rest untouched)
        std::vector<std::string> refused = {};
        std::string reply = "OK";
    } rows[] = {
        {__LINE__, R"({"startip": "192.168.1.250", "chnNum": 2, "chnFre": 3})", 32,
         {"192.168.1.250", "192.168.1.250", "192.168.1.250", "192.168.1.251", "192.168.1.251", "192.168.1.251"}},
        {__LINE__, R"({"startip": "10.0.3.255", "chnNum": 3, "chnFre": 1})", 32, {"10.0.3.255", "10.0.3.0", "10.0.3.1"}},
        {__LINE__, R"({"startip": "10.0.0.1", "chnNum": 10, "chnFre": 1})", 4,
         {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"}},
        // No more than 64 channels, whatever the database says; a count
        // that could run for ever writes nothing.
        {__LINE__, R"({"startip": "10.0.0.1", "chnNum": 1, "chnFre": 1000})", 100,
         std::vector<std::string>(64, "10.0.0.1")},
        {__LINE__, R"({"startip": "10.0.0.1", "chnNum": 2147483647, "chnFre": 0})", 32, {}},
        {__LINE__, R"({"startip": "10.0.0.1", "chnNum": -5, "chnFre": 2})", 32, {}},
        {__LINE__, R"({"startip": "10.0.0.x", "chnNum": 1, "chnFre": 1})", 32, {}},
        {__LINE__, R"({"startip": "10.0.0.1; reboot", "chnNum": 1, "chnFre": 1})", 32, {}},
        {__LINE__, R"({"startip": "10.0.0.1", "chnNum": 1, "chnFre": 2})", 32, {}, {"camera"}, "CGI ERROR"},
    };
    // clang-format on
    for (const auto& r : rows) {
        set_param_int(TQDB_FILE, "max_cameras", r.max_cameras);
        tqdb_atomic(TQDB_FILE, [] {
            for (int ch = 0; ch < 64; ++ch) write_camera_ip(TQDB_FILE, ch, "old");
            return 0;
        });
        {
            refused_writes refused(r.refused);
            EXPECT_EQ(post("/ipc", r.body).out, text_reply(r.reply)) << "row at line " << r.line;
        }
        std::vector<camera_record> cams(64);
        int count = 0;
        ASSERT_EQ(read_cameras(TQDB_FILE, cams.data(), &count), 0);
        ASSERT_EQ(count, 64);
        for (int ch = 0; ch < 64; ++ch) {
            const std::string want = static_cast<size_t>(ch) < r.ips.size() ? r.ips[ch] : "old";
            EXPECT_EQ(std::string(cams[ch].ip_addr), want) << "row at line " << r.line << ", channel " << ch;
        }
    }
}

}  // namespace
