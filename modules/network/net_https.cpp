// The certificate of the recorder's HTTPS service. The core daemon does the
// cryptographic work (creating a self-signed certificate or a signing
// request, taking an installed certificate into use) and stores what the
// page shows of it; here the files under the ssl directory are prepared,
// handed out and replaced, and the switch is kept in "httpsenable".
#include "front/cgi_env.h"
#include "front/core_link.h"
#include "front/json_req.h"
#include "front/web_utils.h"
#include "modules/common/field_map.h"
#include "modules/network/net_https.h"
#include "modules/network/network.h"
#include "platform/msg_network.h"
#include "platform/nvr_env.h"
#include "platform/tqdb/rec_https.h"
#include "platform/tqstd.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* ssl_dir = "/mnt/nand/ssl";
constexpr const char* cert_file = "/mnt/nand/ssl/ssl_cert.pem";
constexpr const char* cert_saved = "/mnt/nand/ssl/ssl_cert_save.pem";
constexpr const char* cert_incoming = "/mnt/nand/ssl/.ssl_cert.pem.new";
constexpr const char* csr_pending = "/mnt/nand/ssl/tmp/ssl_cert.csr";
constexpr const char* csr_old = "/mnt/nand/ssl/ssl_cert.csr";
constexpr const char* ca_dir = "/mnt/nand/ssl/demoCA";
constexpr const char* https_param = "httpsenable";

// ---- creating -------------------------------------------------------------------------

using cc = cert_create_request;
const field create_fields[] = {
    FM_INT(cc, "InstallType", install_type),
    FM_TEXT(cc, "Country", country),
    FM_TEXT(cc, "CommonName", common_name),
    FM_INT(cc, "Validity", validity),
    FM_TEXT(cc, "Password", password),
    FM_TEXT(cc, "Province", province),
    FM_TEXT(cc, "Region", region),
    FM_TEXT(cc, "Organization", organization),
    FM_TEXT(cc, "Company", company),
    FM_TEXT(cc, "Email", email),
    FM_TEXT(cc, "startTime", start_time),
    FM_TEXT(cc, "endTime", end_time),
};

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
    return std::remove(path) == 0 || errno == ENOENT ? 0 : -1;
}

// Everything below the ssl directory is opened to every process, as the
// core daemon's tools expect (links are left alone).
int open_to_all(const char* path, const struct stat*, int type, struct FTW* at) {
    if (at->level > 0 && type != FTW_SL) chmod(path, 0777);
    return 0;
}

// The certificate authority's work directory, made afresh for each
// creation: the core daemon's signing keeps its index and serial there.
void prepare_ca_dir() {
    const std::string ssl = nvr_path(ssl_dir), ca = nvr_path(ca_dir);
    mkdir(ssl.c_str(), 0755);
    nftw(ca.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS);
    mkdir(ca.c_str(), 0755);
    mkdir((ca + "/newcerts").c_str(), 0755);
    write_whole_file("/mnt/nand/ssl/demoCA/index.txt", "", 0);
    write_whole_file("/mnt/nand/ssl/demoCA/serial", "01\n", 3);
    nftw(ssl.c_str(), open_to_all, 16, FTW_PHYS);
}

// ---- showing --------------------------------------------------------------------------

using sp = ssl_params_record;
const field cert_fields[] = {
    FM_TEXT(sp, "country", country),
    FM_TEXT(sp, "common_name", common_name),
    FM_TEXT(sp, "email", email),
    FM_TEXT(sp, "dates", dates),
};
const field csr_fields[] = {
    FM_TEXT(sp, "country_req", country),
    FM_TEXT(sp, "common_name_req", common_name),
    FM_TEXT(sp, "email_req", email),
};

// "checkfile" and the stored fields of a certificate or request; "NOFILE"
// alone when its file is missing. False when the fields cannot be read.
bool add_cert_file(json_object* obj, const char* file, int index, std::span<const field> map) {
    if (!tq_check_file_exist(file)) {
        jadd_str(obj, "checkfile", "NOFILE");
        return true;
    }
    ssl_params_record rec;
    if (load_ssl_params(TQDB_FILE, &rec, index) < 0) return false;
    jadd_str(obj, "checkfile", "OK");
    fields_to_json(obj, &rec, map);
    return true;
}

// ---- installing -----------------------------------------------------------------------

// The upload of this very request: the file the intake placed at
// "/tmp/<name>". A path that came as request text is never acted on.
const char* own_upload() {
    const char* path = cgi_upload_path();
    if (std::strncmp(path, "/tmp/", 5) != 0 || !path[5] || std::strchr(path + 5, '/')) return nullptr;
    struct stat st;
    if (lstat(nvr_path(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return path;
}

// Copies from into a new file to (full paths); false, with to removed, when
// any step fails.
bool copy_into(const std::string& from, const std::string& to) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool ok = out >= 0 && tq_spliced_copy_ex(in, out) == 0 && fsync(out) == 0;
    if (out >= 0 && close(out) != 0) ok = false;
    close(in);
    if (!ok) unlink(to.c_str());
    return ok;
}

// Puts the uploaded certificate in place of the installed one, which is
// kept as the saved copy. The new file is whole before it takes the
// certificate's name, so a failure leaves the installed certificate as it
// was.
bool install_cert(const char* upload) {
    const std::string cert = nvr_path(cert_file), incoming = nvr_path(cert_incoming);
    mkdir(nvr_path(ssl_dir).c_str(), 0755);
    if (tq_check_file_exist(cert_file) && !copy_into(cert, nvr_path(cert_saved))) return false;
    if (!copy_into(nvr_path(upload), incoming)) return false;
    if (std::rename(incoming.c_str(), cert.c_str()) != 0) {
        unlink(incoming.c_str());
        return false;
    }
    unlink(nvr_path(upload).c_str());
    return true;
}

void log_line(int line, const char* what) { cgi_debug_log("net_https.cpp", line, "", "%s", what); }

}  // namespace

int write_cert_created(const core_answer&) {
    cgi_reply(REPLY_TEXT, "OK");
    return 1;
}

int write_cert_installed(const core_answer& answer) {
    cgi_reply(REPLY_TEXT, answer.rec<int32_t>() == 1 ? "OK" : "Error");
    return 1;
}

// Validity and the dates belong to a self-signed certificate only.
void net_cert_create(request& rq) {
    cert_create_request msg;
    std::memset(&msg, 0, sizeof msg);
    fields_from_json(rq.json, &msg, create_fields);
    if (msg.install_type != cert_self_signed) {
        msg.validity = 0;
        std::memset(msg.start_time, 0, sizeof msg.start_time);
        std::memset(msg.end_time, 0, sizeof msg.end_time);
    }
    {
        cgi_lock_guard lock;  // two creations at once would share the directory
        prepare_ca_dir();
    }
    nvr_sleep_ms(1000);
    core_query(network_reply, msg_cert_create, sizeof msg, &msg, REPLY_TEXT);
}

// A certificate that is gone switches HTTPS off, and the page is told so.
void net_cert_show(request& rq) {
    int enable = get_param_int(TQDB_FILE, https_param, 0);
    if (!tq_check_file_exist(cert_file) && enable != 0) {
        if (set_param_int(TQDB_FILE, https_param, 0) != 0) return rq.fail();
        enable = 0;
    }
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "enable", enable);
    if (!add_cert_file(obj.get(), cert_file, ssl_params_installed, cert_fields)) return rq.fail();
    cgi_reply_json(obj.get());
}

void net_csr_show(request& rq) {
    json_ref obj(json_object_new_object());
    if (!add_cert_file(obj.get(), csr_pending, ssl_params_request, csr_fields)) return rq.fail();
    cgi_reply_json(obj.get());
}

void net_csr_download(request&) {
    if (!cgi_send_file(nvr_path(csr_pending).c_str(), csr_pending)) cgi_reply(REPLY_TEXT, "NotFile");
}

void net_cert_use(request&) {
    core_notify(network_reply, msg_cert_use, 0, nullptr);
    cgi_reply(REPLY_TEXT, "OK");
}

// Only the file uploaded with this request is installed, and only when it
// holds a certificate; the core daemon is asked to take it only when it is
// in place.
void net_cert_upload(request&) {
    const char* upload = own_upload();
    if (!upload) {
        log_line(__LINE__, "no certificate was uploaded with the request");
        cgi_reply(REPLY_TEXT, "Error");
        return;
    }
    const std::string path = nvr_path(upload);
    // The profile tool's verdict on a certificate is its own business.
    if (cgi_exec({"tqprofile", "-i", path.c_str()}) != 0) log_line(__LINE__, "tqprofile -i failed");
    if (cgi_exec({"openssl", "x509", "-in", path.c_str(), "-noout"}) != 0) {
        log_line(__LINE__, "the upload is not a PEM certificate");
        cgi_reply(REPLY_TEXT, "Error");
        return;
    }
    if (!install_cert(upload)) {
        log_line(__LINE__, "the certificate could not be installed");
        cgi_reply(REPLY_TEXT, "Error");
        return;
    }
    core_query(network_reply, msg_cert_install, 0, nullptr, REPLY_TEXT);
}

// The pending request under tmp/ stays: a certificate signed for it may
// still be uploaded.
void net_cert_delete(request& rq) {
    ssl_params_record blank;
    std::memset(&blank, 0, sizeof blank);
    blank.index = ssl_params_installed;
    for (char* text : {blank.country, blank.common_name, blank.email, blank.dates}) text[0] = ' ';
    int rc = tqdb_atomic(TQDB_FILE, [&] {
        int stored = set_param_int(TQDB_FILE, https_param, 0);
        return stored != 0 ? stored : write_ssl_params(TQDB_FILE, &blank);
    });
    if (rc != 0) return rq.fail();
    unlink(nvr_path(cert_file).c_str());
    unlink(nvr_path(csr_old).c_str());
    core_notify(network_reply, msg_cert_removed, 0, nullptr);
    int32_t off = 0;
    core_notify(network_reply, msg_https_switch, sizeof off, &off);
    cgi_reply(REPLY_TEXT, "OK");
}

void net_https_switch(request& rq) {
    int32_t on = req_int_or(rq.json, https_param, 0);
    if (on != 0 && !tq_check_file_exist(cert_file)) {
        cgi_reply(REPLY_TEXT, "NOFILE");
        return;
    }
    if (set_param_int(TQDB_FILE, https_param, on) != 0) return rq.fail();
    core_notify(network_reply, msg_https_switch, sizeof on, &on);
    cgi_reply(REPLY_TEXT, "OK");
}

void net_https_show(request&) {
    json_ref obj(json_object_new_object());
    jadd_int(obj.get(), "enable", get_param_int(TQDB_FILE, https_param, 0));
    cgi_reply_json(obj.get());
}
