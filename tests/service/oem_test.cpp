// The vendor pack: what is unpacked into /mnt/nand2, and which packs are
// refused as a whole.
#include <filesystem>

#include "tests/service/pack.h"
#include "tests/service/service_fixture.h"

namespace {

using OemPack = service::service_case;

const std::string key = "k3y-of-thirty-two-characters-00x";

TEST_F(OemPack, UnpacksOnlyWholeSafeArchivesAndMarksThemForUse) {
    const std::vector<pack::entry> good = {{"logo.jpg", "JPEG"}, {"web/", ""}, {"web/lang.json", "{}"}};
    // clang-format off
    struct row {
        int line;
        std::string text;   // the uploaded file
        std::string query;
        std::string reply;
        std::string unpacked;  // /mnt/nand2 afterwards
    } rows[] = {
        {__LINE__, pack::sealed_pack(good, key), "aes=" + key, "OK", "logo.jpg oem.db oem_upload web "},
        {__LINE__, pack::sealed_pack(good, key), "x=1&aes=" + key + "&y=2", "OK", "logo.jpg oem.db oem_upload web "},
        // A key shorter than 32 characters, another key, a text that is
        // not a sealed pack.
        {__LINE__, pack::sealed_pack(good, key), "aes=" + key.substr(0, 31), "ERROR", "oem.db "},
        {__LINE__, pack::sealed_pack(good, key), "aes=" + std::string(32, 'k'), "ERROR", "oem.db "},
        {__LINE__, pack::sealed_pack(good, key), "key=" + key, "ERROR", "oem.db "},
        {__LINE__, "not*base64", "aes=" + key, "ERROR", "oem.db "},
        // Archives that could write outside the folder: refused whole.
        {__LINE__, pack::sealed_pack({{"ok.txt", "x"}, {"/tmp/abs.txt", "x"}}, key), "aes=" + key, "ERROR", "oem.db "},
        {__LINE__, pack::sealed_pack({{"ok.txt", "x"}, {"web/../../up.txt", "x"}}, key), "aes=" + key, "ERROR",
         "oem.db "},
        {__LINE__, pack::sealed_pack({{"ok.txt", "x"}, {"..\\up.txt", "x"}}, key), "aes=" + key, "ERROR", "oem.db "},
        {__LINE__, pack::sealed_pack({{"app", "../nand/app", true}, {"app/tqdb.db", "x"}}, key), "aes=" + key,
         "ERROR", "oem.db "},
        // A name with shell characters is a name like any other.
        {__LINE__, pack::sealed_pack({{"a;touch pwned;$(touch pwned)`touch pwned`", "x"}}, key), "aes=" + key, "OK",
         "a;touch pwned;$(touch pwned)`touch pwned` oem.db oem_upload "},
        // Archives the tool cannot list, or cannot unpack whole: no mark.
        {__LINE__, pack::base64(pack::seal("PK\x03\x04 not really an archive", key)), "aes=" + key, "ERROR",
         "oem.db "},
        {__LINE__, pack::sealed_pack({{"a.txt", "x"}, {"b.txt", "damaged", false, true}}, key), "aes=" + key,
         "ERROR", "a.txt b.txt oem.db "},
    };
    // clang-format on
    for (const auto& r : rows) {
        fresh_case();
        for (const std::string& name : root.list("/mnt/nand2"))
            std::filesystem::remove_all(root.file("/mnt/nand2/" + name));
        root.write("/mnt/nand2/oem.db", "factory accounts");
        EXPECT_EQ(upload("/oem", "pack.bin", r.text, r.query).out, text_reply(r.reply))
            << "row at line " << r.line;
        EXPECT_EQ(service::listing(root, "/mnt/nand2"), r.unpacked) << "row at line " << r.line;
        // Nothing of the pack stays in /tmp, whatever the outcome.
        EXPECT_EQ(service::listing(root, "/tmp"), "") << "row at line " << r.line;
        EXPECT_FALSE(pwned()) << "row at line " << r.line;
        EXPECT_FALSE(root.exists("/up.txt") || root.exists("/mnt/up.txt")) << "row at line " << r.line;
        if (r.reply == "OK" && root.exists("/mnt/nand2/web")) {
            EXPECT_EQ(root.read("/mnt/nand2/web/lang.json"), "{}") << "row at line " << r.line;
        }
    }
}

TEST_F(OemPack, TakesNoPathFromTheRequestText) {
    root.write("/tmp/planted", pack::sealed_pack({{"planted.txt", "x"}}, key));
    // clang-format off
    struct row {
        int line;
        bool form;  // a form body, else a query string
        std::string text;
    } rows[] = {
        {__LINE__, false, "/tmp/planted & aes=" + key},
        {__LINE__, true, "/tmp/planted & aes=" + key},
    };
    // clang-format on
    for (const auto& r : rows) {
        EXPECT_EQ((r.form ? form("/oem", r.text) : get("/oem", r.text)).out, text_reply("ERROR"))
            << "row at line " << r.line;
        EXPECT_TRUE(root.exists("/tmp/planted")) << "row at line " << r.line;
        EXPECT_EQ(service::listing(root, "/mnt/nand2"), "") << "row at line " << r.line;
    }
}

}  // namespace
