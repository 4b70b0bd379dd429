// The language files: a page's section as the browser asks for it, and the
// replacement of the language list.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <memory>

#include "tests/service/service_fixture.h"

namespace {

using Language = service::service_case;

const std::string dir = "/opt/app/www/webfile/json/";

TEST_F(Language, AnswersTheSectionBetweenThePagesMarkers) {
    root.write(dir + "en-US.json",
               "{//login.json\n\"user\": \"User\",\n\"pass\": \"Password\"\n}//login.json\n"
               "{//setting=network.json\n\"ip\": \"Address\"\n}//setting=network.json\n"
               "{//open.json\n\"a\": 1\n");
    root.write("/opt/app/www/other.json", "{//login.json\n\"secret\": 1\n}//login.json\n");
    const std::string login = "{\n\"user\": \"User\",\n\"pass\": \"Password\"\n\n}";
    // clang-format off
    struct row {
        int line;
        std::string query;
        std::string reply;
    } rows[] = {
        {__LINE__, "lang=en-US&page=login&x=1", json_reply(login)},
        // The last value runs to the end of the text.
        {__LINE__, "lang=en-US&page=login", json_reply(login)},
        {__LINE__, "page=setting&lang=en-US&sub=network", json_reply("{\n\"ip\": \"Address\"\n\n}")},
        {__LINE__, "page=open&lang=en-US", json_reply("{\n\"a\": 1\n\n}")},  // no end marker: to the end
        {__LINE__, "lang=en-US&page=missing", json_reply("")},
        {__LINE__, "lang=en-US&page=setting&sub=", json_reply("")},
        {__LINE__, "lang=en-US", text_reply("ERROR PAGE.")},
        {__LINE__, "lang=en-US&page=", text_reply("ERROR PAGE.")},
        {__LINE__, "lang=fr-FR&page=login", text_reply("ERROR LANG.")},
        {__LINE__, "page=login", text_reply("ERROR LANG.")},
        // A language names a file of the folder, nothing else.
        {__LINE__, "lang=../../other&page=login", text_reply("ERROR LANG.")},
        {__LINE__, "lang=%2e%2e/other&page=login", text_reply("ERROR LANG.")},
        {__LINE__, "lang=en-US.json&page=login", text_reply("ERROR LANG.")},
        {__LINE__, "lang=" + std::string(64, 'a') + "&page=login", text_reply("ERROR LANG.")},
    };
    // clang-format on
    for (const auto& r : rows) EXPECT_EQ(get("/json", r.query).out, r.reply) << "row at line " << r.line;

    // A long section is cut at 307200 bytes and still closed.
    root.write(dir + "big.json", "{//p.json\n" + std::string(400000, 'x') + "\n}//p.json\n");
    const cgi_result big = get("/json", "lang=big&page=p");
    EXPECT_EQ(big.out.size(), json_reply("").size() + 307200);
    EXPECT_EQ(big.out.substr(big.out.size() - 3), "x\n}");
}

// Limits the size of files this process and its children write while it
// lives (a full flash): writes past it fail instead of ending the process.
struct file_size_limit {
    rlimit saved;
    explicit file_size_limit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_IGN);
        rlimit lim = saved;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~file_size_limit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_DFL);
    }
};

TEST_F(Language, ReplacesTheListOnlyByAWholeNewFile) {
    const std::string before = "{\"languages\": [\"en-US\"]}\n";
    const std::string long_list = "{\"languages\": [\"" + std::string(8000, 'x') + "\"]}";
    // clang-format off
    struct row {
        int line;
        std::string body;
        std::string reply;
        std::string list;  // languages.json afterwards
        bool full = false;  // writes stop after 4096 bytes
        bool list_is_dir = false;
    } rows[] = {
        {__LINE__, "{\"languages\": [\"en-US\", \"de-DE\"]}", "OK", "{\"languages\": [\"en-US\", \"de-DE\"]}\n"},
        {__LINE__, long_list, "OK", long_list + "\n"},
        {__LINE__, long_list, "CGI ERROR", before, true},
        {__LINE__, "{}", "CGI ERROR", "", false, true},
    };
    // clang-format on
    for (const auto& r : rows) {
        std::filesystem::remove_all(root.file(dir + "languages.json"));
        if (r.list_is_dir)
            mkdir(root.file(dir + "languages.json").c_str(), 0755);
        else
            root.write(dir + "languages.json", before);
        cgi_result res;
        {
            std::unique_ptr<file_size_limit> limit(r.full ? new file_size_limit(4096) : nullptr);
            res = form("/1001", r.body);
        }
        EXPECT_EQ(res.out, text_reply(r.reply)) << "row at line " << r.line;
        if (!r.list_is_dir) {
            EXPECT_EQ(root.read(dir + "languages.json"), r.list) << "row at line " << r.line;
        }
        EXPECT_FALSE(root.exists(dir + "languages_bak.json")) << "row at line " << r.line;
    }
}

}  // namespace
