// webreq behind the real web server: lighttpd on a free loopback port with its
// own root and fake core, driven by curl as a browser would.
#include "platform/tqdb/tqdb.h"
#include "tests/harness/cgi_harness.h"
#include "tools/coresim/coresim.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

namespace {

int free_port() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

bool port_open(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

// Runs a program and returns its standard output.
std::string run(const std::vector<std::string>& args) { return run_program(args); }

class Http : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(core.start(root.path()));
        port = free_port();
        for (const char* dir : {"/www", "/cgi-bin", "/log"}) mkdir(root.file(dir).c_str(), 0755);
        root.write("/www/index.html", "index");
        ASSERT_EQ(symlink(bin_path("webreq_probe").c_str(), root.file("/cgi-bin/webreq.cgi").c_str()), 0);
        std::ifstream in(std::string(NVR_SOURCE_DIR) + "/conf/lighttpd.conf.in");
        std::stringstream conf;
        conf << in.rdbuf();
        std::string text = conf.str();
        text = std::regex_replace(text, std::regex("@PORT@"), std::to_string(port));
        text = std::regex_replace(text, std::regex("@RUN@"), root.path());
        text = std::regex_replace(text, std::regex("@DIVISOR@"), "100");
        text = std::regex_replace(text, std::regex("@BIN@"), NVR_BIN_DIR);
        root.write("/lighttpd.conf", text);
        server = fork();
        if (server == 0) {
            int null_fd = open("/dev/null", O_WRONLY);
            dup2(null_fd, 1);
            execlp("lighttpd", "lighttpd", "-D", "-f", root.file("/lighttpd.conf").c_str(), nullptr);
            _exit(127);
        }
        for (int i = 0; i < 200 && !port_open(port); ++i) usleep(20000);
        ASSERT_TRUE(port_open(port)) << root.read("/log/lighttpd-error.log");
        base = "http://127.0.0.1:" + std::to_string(port) + "/cgi-bin/webreq.cgi";
    }
    void TearDown() override {
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
        core.stop();
    }

    // curl with the headers in the output (-i).
    std::string curl(std::vector<std::string> args) {
        args.insert(args.begin(), {"curl", "-s", "-i", "-g", "--max-time", "20"});
        return run(args);
    }

    std::string body_of(const std::string& response) {
        size_t at = response.find("\r\n\r\n");
        return at == std::string::npos ? "" : response.substr(at + 4);
    }

    test_root root;
    coresim_server core;
    int port = 0;
    pid_t server = -1;
    std::string base;
};

TEST_F(Http, RequestTextsArriveAsTheFrontEndExpects) {
    struct row {
        int line;
        std::vector<std::string> args;
        std::string text;
    } rows[] = {
        {__LINE__, {base + "/9000?a=1&b=%22x%22+y"}, "a=1&b=\"x\"+y"},
        {__LINE__, {base + "/9000", "-H", "Content-Type: application/json", "--data-binary", "{\"a\": 1,\n \"b\": \"%22\"}"},
         "{\"a\": 1,\n \"b\": \"%22\"}"},
        {__LINE__, {base + "/9000", "--data-binary", "a=%41&b=+"}, "a=%41&b=+"},
    };
    for (const auto& r : rows) {
        std::string response = curl(r.args);
        EXPECT_NE(response.find("HTTP/1.1 200 OK"), std::string::npos) << "row at line " << r.line;
        EXPECT_NE(response.find("Content-type: text/plain"), std::string::npos) << "row at line " << r.line;
        EXPECT_EQ(body_of(response).substr(0, body_of(response).find("\nupload=")), "text=" + r.text)
            << "row at line " << r.line;
    }
    std::string captured = body_of(curl({base + "/9000", "-H", "Host: nvr.local:8080", "-b", "userName=op1"}));
    EXPECT_NE(captured.find("\nhost=nvr.local:8080\ncookie=userName=op1\n"), std::string::npos) << captured;
}

TEST_F(Http, MultipartUploadFromARealClientIsMovedHandedOverAndRemoved) {
    std::string local = root.file("/upload.bin");
    std::string data = "first line\r\n--not a boundary\r\n\x01\x02 end";
    root.write("/upload.bin", data);
    std::string response =
        curl({base + "/9000?param:5&x=1", "-F", "file=@" + local + ";filename=dir/cam.cfg", "-F", "note=hi"});
    EXPECT_EQ(body_of(response), "text=/tmp/cam.cfg & 5\nupload=/tmp/cam.cfg\ndata=" + data +
                                     "\nhost=127.0.0.1:" + std::to_string(port) + "\ncookie=\n");
    EXPECT_EQ(root.list("/tmp"), std::vector<std::string>{});
}

TEST_F(Http, PlainTextJsonRedirectAndEmptyReplies) {
    // A setting changed by GET with a JSON query string: plain-text "OK".
    std::string ok = curl({base + "/3303?{%22wizardEnable%22:1}"});
    EXPECT_NE(ok.find("Content-type: text/plain\r\n"), std::string::npos) << ok;
    EXPECT_EQ(body_of(ok), "OK");
    EXPECT_EQ(get_param_int(TQDB_FILE, "wizard_enable", -1), 1);

    // The camera list: a JSON reply built from the core's answer.
    std::string list = curl({base + "/2001"});
    EXPECT_NE(list.find("Content-type: application/json\r\n"), std::string::npos) << list;
    EXPECT_EQ(body_of(list).substr(0, 1), "{") << list;

    // A session check the core refuses: five cookies for the host without
    // its port, then the redirect.
    ASSERT_TRUE(core.set_script(R"([{"id": 3504, "reply": {"size": 4, "fields": [{"at": 0, "int32": 0}]}}])"));
    std::string redirect = curl({base + "/1018", "-H", "Host: 10.0.0.5:8080", "--data-binary", "x"});
    EXPECT_NE(redirect.find("HTTP/1.1 302"), std::string::npos) << redirect;
    EXPECT_NE(redirect.find("Location: ../../html/index.html"), std::string::npos) << redirect;
    for (const char* cookie : {"userName=temp", "userType=2", "permission=0", "sessionId=0", "language=en-US"})
        EXPECT_NE(redirect.find(std::string("Set-Cookie: ") + cookie + "; domain=10.0.0.5; expires="),
                  std::string::npos)
            << cookie << "\n" << redirect;

    // Requests the front end refuses write nothing; the server answers for it.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {base + "/9999"}, {base + "/3303", "-X", "PUT", "--data-binary", "{}"}, {base + "/3303?not-json"}}) {
        std::string refused = curl(args);
        EXPECT_EQ(refused.find("HTTP/1.1 200"), std::string::npos) << refused;
        EXPECT_NE(refused.find("HTTP/1.1 "), std::string::npos) << refused;
    }
}

// The profile tool is found on the server's PATH: an export through the
// server, its download, and the downloaded file taken back as an upload.
TEST_F(Http, ProfileExportDownloadAndImportThroughTheServer) {
    std::string exported = body_of(curl({base + "/1007"}));
    EXPECT_EQ(exported.rfind("OK filename=config_", 0), 0u) << exported;
    std::string file = body_of(curl({base + "/1013"}));
    ASSERT_EQ(file.substr(0, 8), "\x89TQPROF\n") << file.substr(0, 64);
    root.write("/saved.profile", file);
    ASSERT_EQ(set_param_value(TQDB_FILE, "wizard_enable", "7"), 0);
    std::string imported = curl({base + "/1008", "-F", "file=@" + root.file("/saved.profile") + ";filename=saved.profile"});
    // (curl's upload is answered "100 Continue" first.)
    EXPECT_TRUE(imported.ends_with("\r\n\r\nOK")) << imported;
    EXPECT_NE(get_param_int(TQDB_FILE, "wizard_enable", 7), 7);
}

}  // namespace
