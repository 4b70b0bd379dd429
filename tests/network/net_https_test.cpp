// HTTPS certificates end to end, with the simulated core doing its part
// with the real openssl command: a request signed by another authority and
// uploaded, self-signed certificates, what each request sends, and the
// uploads that must not be installed.
#include "platform/tqdb/rec_https.h"
#include "tests/harness/store_case.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace {

using xcase::msg;

const char* const cert_path = "/mnt/nand/ssl/ssl_cert.pem";
const char* const saved_path = "/mnt/nand/ssl/ssl_cert_save.pem";
const char* const csr_path = "/mnt/nand/ssl/tmp/ssl_cert.csr";

bool openssl(std::vector<std::string> args, std::string* out = nullptr) {
    args.insert(args.begin(), "openssl");
    return coresim::run_program(args, out);
}

// "from - to" of a certificate file as openssl reads it.
std::string dates_of(const std::string& file) {
    std::string text;
    openssl({"x509", "-in", file, "-noout", "-dates", "-dateopt", "iso_8601"}, &text);
    auto value = [&text](const std::string& key) {
        size_t at = text.find(key + "=");
        return at == std::string::npos ? "" : text.substr(at + key.size() + 1, text.find('\n', at) - at - key.size() - 1);
    };
    return value("notBefore") + " - " + value("notAfter");
}

class Https : public xcase::store_case {
protected:
    void SetUp() override {
        store_case::SetUp();
        // Room for openssl's work inside the core's 40 s wait.
        setenv("NVR_TIME_DIVISOR", "10", 1);
        // An authority of another party, whose own certificate also serves
        // as a certificate to upload.
        mkdir(root.file("/ca").c_str(), 0755);
        ca_key = root.file("/ca/ca.key");
        ca_cert = root.file("/ca/ca.pem");
        ASSERT_TRUE(openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                           "-keyout", ca_key, "-out", ca_cert, "-days", "30", "-subj", "/CN=Other Authority"}));
    }

    cgi_result upload(const std::string& name, const std::string& data) {
        cgi_request req;
        req.method = "POST";
        req.path_info = "/7084";
        req.content_type = "multipart/form-data; boundary=b0";
        req.body = "--b0\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + name +
                   "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + data + "\r\n--b0--\r\n";
        return run_webreq(root, req);
    }

    int https_param() { return get_param_int(TQDB_FILE, "httpsenable", -1); }
    ssl_params_record params(int index) { return read_back<ssl_params_record>(tqdb_tbl_ssl_params, index); }

    std::string ca_key, ca_cert;
};

TEST_F(Https, ARequestSignedElsewhereIsDownloadedUploadedShownSwitchedAndDeleted) {
    EXPECT_EQ(post("/7080", "{\"InstallType\": 1, \"Country\": \"DE\", \"CommonName\": \"nvr.example\", "
                            "\"Email\": \"ops@example.com\", \"Province\": \"Berlin\", \"Organization\": \"Lobby\"}")
                  .out,
              text_reply("OK"));
    ASSERT_TRUE(root.exists(csr_path));
    EXPECT_EQ(cgi_get(root, "/7089").out,
              json_reply("{ \"checkfile\": \"OK\", \"country_req\": \"DE\", \"common_name_req\": \"nvr.example\", "
                         "\"email_req\": \"ops@example.com\" }"));

    // The download is the request as the core wrote it.
    const std::string header =
        "Content-Type:application/octet-stream\r\nContent-Disposition: attachment; filename= ssl_cert.csr\r\n\r\n";
    const std::string csr = cgi_get(root, "/7082").out;
    ASSERT_EQ(csr, header + root.read(csr_path));

    // The other authority signs it; the signed certificate is uploaded.
    root.write("/ca/req.csr", csr.substr(header.size()));
    const std::string signed_file = root.file("/ca/signed.pem");
    ASSERT_TRUE(openssl({"x509", "-req", "-in", root.file("/ca/req.csr"), "-CA", ca_cert, "-CAkey", ca_key,
                       "-CAcreateserial", "-days", "90", "-out", signed_file}));
    const std::string signed_pem = root.read("/ca/signed.pem");
    fresh_case();
    EXPECT_EQ(upload("nvr.pem", signed_pem).out, text_reply("OK"));
    EXPECT_EQ(root.read(cert_path), signed_pem);
    EXPECT_FALSE(root.exists("/tmp/nvr.pem"));
    expect_sent({{3318, {}}}, __LINE__);

    // Shown as the certificate holds it.
    EXPECT_EQ(cgi_get(root, "/7081").out,
              json_reply("{ \"enable\": 0, \"checkfile\": \"OK\", \"country\": \"DE\", \"common_name\": \"nvr.example\", "
                         "\"email\": \"ops@example.com\", \"dates\": \"" + dates_of(signed_file) + "\" }"));

    fresh_case();
    EXPECT_EQ(post("/7086", "{\"httpsenable\": 1}").out, text_reply("OK"));
    EXPECT_EQ(cgi_get(root, "/7087").out, json_reply("{ \"enable\": 1 }"));
    expect_sent({{3322, int_bytes({1})}}, __LINE__);

    // Deleting leaves the pending request, blanks what is shown and
    // switches HTTPS off.
    root.write("/mnt/nand/ssl/ssl_cert.csr", "old request");
    fresh_case();
    EXPECT_EQ(cgi_get(root, "/7085").out, text_reply("OK"));
    EXPECT_FALSE(root.exists(cert_path));
    EXPECT_FALSE(root.exists("/mnt/nand/ssl/ssl_cert.csr"));
    EXPECT_TRUE(root.exists(csr_path));
    EXPECT_EQ(https_param(), 0);
    ssl_params_record shown = params(0);
    EXPECT_STREQ(shown.country, " ");
    EXPECT_STREQ(shown.common_name, " ");
    EXPECT_STREQ(shown.email, " ");
    EXPECT_STREQ(shown.dates, " ");
    expect_sent({{3320, {}}, {3322, int_bytes({0})}}, __LINE__);
    EXPECT_EQ(cgi_get(root, "/7081").out, json_reply("{ \"enable\": 0, \"checkfile\": \"NOFILE\" }"));
}

TEST_F(Https, SelfSignedCertificatesCarryTheRequestedSubjectAndDates) {
    struct row {
        int line;
        std::string body;
        std::string dates;  // "" : the certificate's own, of the given length in days
        int days;
    } rows[] = {
        {__LINE__,
         "{\"InstallType\": 0, \"Country\": \"NL\", \"CommonName\": \"cam\\/hall\", \"Email\": \"a@b.nl\", "
         "\"startTime\": \"2025-01-01\", \"endTime\": \"2027-06-30\", \"Validity\": 3}",
         "2025-01-01 00:00:00Z - 2027-06-30 00:00:00Z", 0},
        {__LINE__, "{\"InstallType\": 0, \"Country\": \"NL\", \"CommonName\": \"cam\\/hall\", \"Email\": \"a@b.nl\", "
                   "\"Validity\": 10}",
         "", 10},
        // Without dates or validity: a year.
        {__LINE__, "{\"InstallType\": 0, \"Country\": \"NL\", \"CommonName\": \"cam\\/hall\", \"Email\": \"a@b.nl\"}",
         "", 365},
    };
    for (const auto& r : rows) {
        fresh_case();
        EXPECT_EQ(post("/7080", r.body).out, text_reply("OK")) << "row at line " << r.line;
        const std::string file = root.file(cert_path);
        std::string subject;
        openssl({"x509", "-in", file, "-noout", "-subject", "-nameopt", "RFC2253"}, &subject);
        EXPECT_EQ(subject, "subject=emailAddress=a@b.nl,CN=cam/hall,C=NL\n") << "row at line " << r.line;
        const std::string dates = dates_of(file);
        if (!r.dates.empty()) {
            EXPECT_EQ(dates, r.dates) << "row at line " << r.line;
        }
        std::tm from{}, to{};
        ASSERT_NE(strptime(dates.c_str(), "%Y-%m-%d %H:%M:%SZ - ", &from), nullptr) << dates;
        ASSERT_NE(strptime(dates.c_str() + dates.find(" - ") + 3, "%Y-%m-%d %H:%M:%SZ", &to), nullptr) << dates;
        if (r.days) {
            EXPECT_EQ((timegm(&to) - timegm(&from)) / 86400, r.days) << "row at line " << r.line;
        }
        EXPECT_EQ(cgi_get(root, "/7081").out,
                  json_reply("{ \"enable\": 0, \"checkfile\": \"OK\", \"country\": \"NL\", \"common_name\": "
                             "\"cam\\/hall\", \"email\": \"a@b.nl\", \"dates\": \"" + dates + "\" }"))
            << "row at line " << r.line;
    }
}

TEST_F(Https, CreationPreparesTheAuthorityDirectoryAndSendsTheRequestAsGiven) {
    const std::string long_name(70, 'n');
    auto payload = [](int32_t type) {
        return xcase::record(892).i32(0, type).text(4, "DE").text(7, "nvr").text(76, "pw").text(92, "BE")
            .text(156, "Mitte").text(220, "Org").text(284, "Unit").text(348, "ops@example.com");
    };
    const std::string fields = "\"Country\": \"DEU\", \"CommonName\": \"nvr\", \"Password\": \"pw\", \"Province\": "
                               "\"BE\", \"Region\": \"Mitte\", \"Organization\": \"Org\", \"Company\": \"Unit\", "
                               "\"Email\": \"ops@example.com\", \"Validity\": 30, \"startTime\": \"2025-01-01\", "
                               "\"endTime\": \"2025-12-31 23:59:59\"";
    struct row {
        int line;
        std::string body;
        coresim::bytes sent;
    } rows[] = {
        // Validity and dates belong to a self-signed certificate only; the
        // country is cut to two characters, the dates to 15.
        {__LINE__, "{\"InstallType\": 0, " + fields + "}",
         payload(0).i32(72, 30).text(860, "2025-01-01").text(876, "2025-12-31 23:5")},
        {__LINE__, "{\"InstallType\": 1, " + fields + "}", payload(1)},
        {__LINE__, "{\"InstallType\": 2, " + fields + "}", payload(2)},
        {__LINE__, "{\"CommonName\": \"" + long_name + "\"}",
         xcase::record(892).text(7, long_name.substr(0, 63))},
    };
    for (const auto& r : rows) {
        fresh_case();
        // What a former creation left behind goes.
        root.write("/mnt/nand/ssl/demoCA/index.txt", "V\t250101000000Z\t\t01\tunknown\t/CN=old\n");
        root.write("/mnt/nand/ssl/demoCA/newcerts/01.pem", "old");
        root.write("/mnt/nand/ssl/key.pem", "key");
        answer(3316, int_bytes({0}));
        EXPECT_EQ(post("/7080", r.body).out, text_reply("OK")) << "row at line " << r.line;
        expect_sent({{3316, r.sent}}, r.line);
        EXPECT_EQ(root.read("/mnt/nand/ssl/demoCA/serial"), "01\n") << "row at line " << r.line;
        EXPECT_EQ(root.read("/mnt/nand/ssl/demoCA/index.txt"), "") << "row at line " << r.line;
        EXPECT_EQ(root.list("/mnt/nand/ssl/demoCA/newcerts"), std::vector<std::string>{}) << "row at line " << r.line;
        // Opened to the core's tools.
        for (const char* path : {"/mnt/nand/ssl/demoCA", "/mnt/nand/ssl/demoCA/serial", "/mnt/nand/ssl/key.pem"}) {
            struct stat st;
            ASSERT_EQ(stat(root.file(path).c_str(), &st), 0) << path;
            EXPECT_EQ(st.st_mode & 0777, 0777u) << "row at line " << r.line << ": " << path;
        }
    }
}

TEST_F(Https, RepliesOfTheCoreAndOfRequestsWithoutTheirInput) {
    setenv("NVR_TIME_DIVISOR", "200", 1);  // waits that run out
    root.write(cert_path, "installed");
    struct row {
        int line;
        std::function<cgi_result()> request;
        std::function<void()> script;
        std::string reply;
        std::vector<int32_t> ids;
    } rows[] = {
        {__LINE__, [this] { return post("/7080", "{\"InstallType\": 1}"); },
         [this] { answer_nothing(3316); }, xcase::text_failure(), {3316}},
        {__LINE__, [this] { return post("/7080", "{\"InstallType\": 1}"); },
         [this] { core.add_reply(3316, 0, {}); }, text_reply("OK"), {3316}},
        {__LINE__, [this] { return post("/7080", "InstallType=1"); }, nullptr, "", {}},
        {__LINE__, [this] { return upload("c.pem", root.read("/ca/ca.pem")); },
         [this] { answer_int(3318, 0); }, text_reply("Error"), {3318}},
        {__LINE__, [this] { return upload("c.pem", root.read("/ca/ca.pem")); },
         [this] { answer_int(3318, 2); }, text_reply("Error"), {3318}},
        {__LINE__, [this] { return upload("c.pem", root.read("/ca/ca.pem")); },
         [this] { answer_nothing(3318); }, xcase::text_failure(), {3318}},
        {__LINE__, [this] { return cgi_get(root, "/7083"); }, nullptr, text_reply("OK"), {3317}},
    };
    for (const auto& r : rows) {
        fresh_case();
        if (r.script) r.script();
        EXPECT_EQ(r.request().out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(ids_of(sent(r.ids.size())), r.ids) << "row at line " << r.line;
    }
}

TEST_F(Https, OnlyACertificateUploadedWithTheRequestIsInstalled) {
    const std::string good = root.read("/ca/ca.pem");
    struct row {
        int line;
        std::function<cgi_result()> request;
        std::string reply;
        bool installed;
    } rows[] = {
        // A path given as request text is never touched.
        {__LINE__, [this] { return cgi_get(root, "/7084", "/tmp/victim.pem"); }, text_reply("Error"), false},
        {__LINE__, [this] { return cgi_get(root, "/7084", "%22/tmp/victim.pem%22"); }, text_reply("Error"),
         false},
        {__LINE__, [this] { return post("/7084", "/tmp/victim.pem"); }, text_reply("Error"), false},
        // An upload that holds no certificate.
        {__LINE__, [this] { return upload("x.pem", "not a certificate"); }, text_reply("Error"), false},
        {__LINE__, [this] { return upload("x.pem", ""); }, text_reply("Error"), false},
        {__LINE__, [this, &good] { return upload("x.pem", good.substr(0, good.size() / 2)); },
         text_reply("Error"), false},
        // A certificate: the core takes it (its key is the authority's own,
        // which the core does not hold, so it refuses it after all).
        {__LINE__, [this, &good] { return upload("x.pem", good); }, text_reply("Error"), true},
        {__LINE__, [this, &good] { return upload("victim.pem", good); }, text_reply("Error"), true},
    };
    for (const auto& r : rows) {
        fresh_case();
        root.write(cert_path, "installed");
        root.write(saved_path, "saved");
        root.write("/tmp/victim.pem", good);
        EXPECT_EQ(r.request().out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(root.read(cert_path), r.installed ? good : "installed") << "row at line " << r.line;
        EXPECT_EQ(root.read(saved_path), r.installed ? "installed" : "saved") << "row at line " << r.line;
        EXPECT_EQ(ids_of(sent(r.installed ? 1 : 0)), r.installed ? std::vector<int32_t>{3318} : std::vector<int32_t>{})
            << "row at line " << r.line;
        EXPECT_EQ(root.list("/mnt/nand/ssl"),
                  (std::vector<std::string>{"ssl_cert.pem", "ssl_cert_save.pem"}))
            << "row at line " << r.line;
    }
    // The first certificate: nothing to keep aside.
    fresh_case();
    unlink(root.file(cert_path).c_str());
    unlink(root.file(saved_path).c_str());
    upload("first.pem", good);
    EXPECT_EQ(root.read(cert_path), good);
    EXPECT_FALSE(root.exists(saved_path));
}

TEST_F(Https, TheSwitchNeedsACertificateToGoOn) {
    struct row {
        int line;
        bool file;
        std::string body;
        std::vector<std::string> refused;
        std::string reply;
        int stored;
        std::vector<msg> sent;
    } rows[] = {
        {__LINE__, false, "{\"httpsenable\": 1}", {}, text_reply("NOFILE"), 0, {}},
        {__LINE__, false, "{\"httpsenable\": 0}", {}, text_reply("OK"), 0, {{3322, int_bytes({0})}}},
        {__LINE__, false, "{}", {}, text_reply("OK"), 0, {{3322, int_bytes({0})}}},
        {__LINE__, true, "{\"httpsenable\": 1}", {}, text_reply("OK"), 1, {{3322, int_bytes({1})}}},
        {__LINE__, true, "{\"httpsenable\": 1}", {"params:httpsenable"}, xcase::text_failure(), 0, {}},
        {__LINE__, true, "httpsenable=1", {}, "", 0, {}},
    };
    for (const auto& r : rows) {
        fresh_case();
        ASSERT_EQ(set_param_int(TQDB_FILE, "httpsenable", 0), 0);
        if (r.file)
            root.write(cert_path, "installed");
        else
            unlink(root.file(cert_path).c_str());
        {
            refused_writes refuse(r.refused);
            EXPECT_EQ(post("/7086", r.body).out, r.reply) << "row at line " << r.line;
        }
        EXPECT_EQ(https_param(), r.stored) << "row at line " << r.line;
        expect_sent(r.sent, r.line);
    }
}

TEST_F(Https, ShowingAFileThatIsGoneSaysNofileAndSwitchesHttpsOff) {
    ssl_params_record stored;
    std::memset(&stored, 0, sizeof stored);
    for (int index : {0, 2}) {
        stored.index = index;
        std::snprintf(stored.country, sizeof stored.country, "FR");
        std::snprintf(stored.common_name, sizeof stored.common_name, "cn%d", index);
        std::snprintf(stored.email, sizeof stored.email, "e%d@x.fr", index);
        std::snprintf(stored.dates, sizeof stored.dates, "d%d", index);
        ASSERT_EQ(write_ssl_params(TQDB_FILE, &stored), 0);
    }
    struct row {
        int line;
        const char* code;
        bool file;
        int enable;
        std::string reply;
        int stored_after;
    } rows[] = {
        {__LINE__, "/7081", false, 1, json_reply("{ \"enable\": 0, \"checkfile\": \"NOFILE\" }"), 0},
        {__LINE__, "/7081", false, 0, json_reply("{ \"enable\": 0, \"checkfile\": \"NOFILE\" }"), 0},
        {__LINE__, "/7081", true, 1,
         json_reply("{ \"enable\": 1, \"checkfile\": \"OK\", \"country\": \"FR\", \"common_name\": \"cn0\", "
                    "\"email\": \"e0@x.fr\", \"dates\": \"d0\" }"),
         1},
        {__LINE__, "/7089", false, 1, json_reply("{ \"checkfile\": \"NOFILE\" }"), 1},
        {__LINE__, "/7089", true, 1,
         json_reply("{ \"checkfile\": \"OK\", \"country_req\": \"FR\", \"common_name_req\": \"cn2\", "
                    "\"email_req\": \"e2@x.fr\" }"),
         1},
        {__LINE__, "/7082", false, 1, text_reply("NotFile"), 1},
        {__LINE__, "/7087", false, 1, json_reply("{ \"enable\": 1 }"), 1},
    };
    for (const auto& r : rows) {
        fresh_case();
        ASSERT_EQ(set_param_int(TQDB_FILE, "httpsenable", r.enable), 0);
        for (const char* path : {cert_path, csr_path}) unlink(root.file(path).c_str());
        if (r.file) root.write(std::string(r.code) == "/7081" ? cert_path : csr_path, "file");
        EXPECT_EQ(cgi_get(root, r.code).out, r.reply) << "row at line " << r.line;
        EXPECT_EQ(https_param(), r.stored_after) << "row at line " << r.line;
        EXPECT_TRUE(sent().empty()) << "row at line " << r.line;
    }
}

TEST_F(Https, ADeletionThatCannotBeStoredRemovesAndSendsNothing) {
    for (const char* refused : {"ssl_params", "params:httpsenable"}) {
        fresh_case();
        ASSERT_EQ(set_param_int(TQDB_FILE, "httpsenable", 1), 0);
        root.write(cert_path, "installed");
        const std::string before = db_snapshot(root);
        {
            refused_writes refuse(refused);
            EXPECT_EQ(cgi_get(root, "/7085").out, xcase::text_failure()) << refused;
        }
        EXPECT_TRUE(db_snapshot(root) == before) << refused;
        EXPECT_EQ(root.read(cert_path), "installed") << refused;
        EXPECT_TRUE(sent().empty()) << refused;
    }
}

}  // namespace
