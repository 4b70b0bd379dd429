// Default replies of the HTTPS certificate messages. The daemon's work is
// done for real with the openssl command, so that the pages show real
// subjects and dates:
//
// - 3316 creates a key and either a self-signed certificate (signed through
//   the CA work directory the web side prepared, so it fails without it) at
//   ssl/ssl_cert.pem, or a signing request at ssl/tmp/ssl_cert.csr with its
//   key beside it, and stores what the pages show (index 0 or 2). Answer
//   8316: 0, or -1 when openssl failed.
// - 3318 takes ssl/ssl_cert.pem when it is a certificate for the pending
//   request's key (which then becomes the key in use) or for the key in
//   use; it stores what the page shows. Answer 8318: 1 taken, 0 refused.
// - 3317, 3320 and 3322 are notices.
//
// Every text of the request reaches openssl as an argument of its own.
#include "platform/msg_network.h"
#include "platform/tqdb/rec_https.h"
#include "tools/coresim/coresim.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string field_text(const char* field, size_t width) { return std::string(field, strnlen(field, width)); }

// "/C=DE/CN=..." for openssl's -subj: separators inside a value escaped,
// empty values left out.
std::string subject_of(const cert_create_request& msg) {
    const struct {
        const char* key;
        std::string value;
    } parts[] = {
        {"C", field_text(msg.country, sizeof msg.country)},
        {"ST", field_text(msg.province, sizeof msg.province)},
        {"L", field_text(msg.region, sizeof msg.region)},
        {"O", field_text(msg.organization, sizeof msg.organization)},
        {"OU", field_text(msg.company, sizeof msg.company)},
        {"CN", field_text(msg.common_name, sizeof msg.common_name)},
        {"emailAddress", field_text(msg.email, sizeof msg.email)},
    };
    std::string subject;
    for (const auto& part : parts) {
        if (part.value.empty()) continue;
        subject += std::string("/") + part.key + "=";
        for (char c : part.value) {
            if (c == '/' || c == '+' || c == '\\') subject += '\\';
            subject += c;
        }
    }
    return subject.empty() ? "/CN=nvr" : subject;
}

// A date of the page ("2025-01-01", "2025-01-01 08:00:00", digits only) as
// openssl's "YYYYMMDDHHMMSSZ"; "" when it is none.
std::string ca_date(const char* field, size_t width) {
    std::string digits;
    for (char c : field_text(field, width))
        if (c >= '0' && c <= '9') digits += c;
    if (digits.size() == 8) digits += "000000";
    return digits.size() == 14 ? digits + "Z" : "";
}

bool write_text(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::trunc);
    file << text;
    return static_cast<bool>(file);
}

// Stores what the pages show of a certificate or request file (the
// subject's country, common name and e-mail; a certificate's dates).
bool store_params(const std::string& file, int index, bool certificate) {
    std::string text;
    std::vector<std::string> args = {"openssl",  certificate ? "x509" : "req", "-in", file, "-noout",
                                     "-subject", "-nameopt", "sep_multiline,sname,utf8"};
    if (certificate) args.insert(args.end(), {"-dates", "-dateopt", "iso_8601"});
    if (!coresim::run_program(args, &text)) return false;
    ssl_params_record rec;
    std::memset(&rec, 0, sizeof rec);
    rec.index = index;
    std::string not_before, not_after;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        line.erase(0, line.find_first_not_of(' '));
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        auto put = [&value](char* dst, size_t width) { std::snprintf(dst, width, "%s", value.c_str()); };
        if (key == "C") put(rec.country, sizeof rec.country);
        if (key == "CN") put(rec.common_name, sizeof rec.common_name);
        if (key == "emailAddress") put(rec.email, sizeof rec.email);
        if (key == "notBefore") not_before = value;
        if (key == "notAfter") not_after = value;
    }
    if (certificate)
        std::snprintf(rec.dates, sizeof rec.dates, "%s - %s", not_before.c_str(), not_after.c_str());
    return write_ssl_params(TQDB_FILE, &rec) == 0;
}

// A new key and a signing request for it.
std::vector<std::string> new_key_request(const std::string& key, const std::string& csr,
                                         const std::string& subject) {
    return {"openssl", "req",    "-new", "-newkey", "ec",    "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes",  "-utf8",  "-keyout", key,    "-out",  csr,        "-subj", subject};
}

// Signs a new key's request with itself through the CA work directory.
bool create_self_signed(const std::string& ssl, const cert_create_request& msg) {
    const std::string ca = ssl + "/demoCA";
    struct stat st;
    if (stat((ca + "/newcerts").c_str(), &st) != 0 || stat((ca + "/serial").c_str(), &st) != 0) return false;
    const std::string conf = ca + "/ca.cnf", csr = ca + "/self.csr", key = ssl + "/.ssl_key.pem.new",
                      cert = ssl + "/.ssl_cert.pem.new";
    if (!write_text(conf, "[ca]\ndefault_ca = nvr\n[nvr]\ndir = " + ca +
                              "\ndatabase = $dir/index.txt\nnew_certs_dir = $dir/newcerts\nserial = $dir/serial\n"
                              "default_md = sha256\npolicy = any\nunique_subject = no\n"
                              "[any]\ncountryName = optional\nstateOrProvinceName = optional\n"
                              "localityName = optional\norganizationName = optional\n"
                              "organizationalUnitName = optional\ncommonName = optional\n"
                              "emailAddress = optional\n"))
        return false;
    if (!coresim::run_program(new_key_request(key, csr, subject_of(msg)))) return false;
    std::vector<std::string> sign = {"openssl", "ca",   "-batch", "-notext", "-selfsign", "-utf8", "-config",
                                     conf,      "-keyfile", key,  "-in",     csr,         "-out",  cert};
    const std::string start = ca_date(msg.start_time, sizeof msg.start_time),
                      end = ca_date(msg.end_time, sizeof msg.end_time);
    if (!start.empty() && !end.empty())
        sign.insert(sign.end(), {"-startdate", start, "-enddate", end});
    else
        sign.insert(sign.end(), {"-days", std::to_string(msg.validity > 0 ? msg.validity : 365)});
    if (!coresim::run_program(sign)) return false;
    if (std::rename(key.c_str(), (ssl + "/ssl_key.pem").c_str()) != 0 ||
        std::rename(cert.c_str(), (ssl + "/ssl_cert.pem").c_str()) != 0)
        return false;
    return store_params(ssl + "/ssl_cert.pem", ssl_params_installed, true);
}

bool create_request(const std::string& ssl, const cert_create_request& msg) {
    const std::string tmp = ssl + "/tmp";
    mkdir(tmp.c_str(), 0755);
    const std::string csr = tmp + "/ssl_cert.csr";
    if (!coresim::run_program(new_key_request(tmp + "/ssl_key.pem", csr, subject_of(msg)))) return false;
    return store_params(csr, ssl_params_request, false);
}

void put_int(int32_t id, int32_t value, std::vector<coresim::out_msg>& out) {
    coresim::out_msg msg;
    msg.id = id;
    msg.payload.resize(4);
    std::memcpy(msg.payload.data(), &value, 4);
    out.push_back(std::move(msg));
}

void cert_create(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    cert_create_request msg;
    std::memset(&msg, 0, sizeof msg);
    std::memcpy(&msg, req.data, req.size < sizeof msg ? req.size : sizeof msg);
    const std::string ssl = req.root + "/mnt/nand/ssl";
    bool made = msg.install_type == cert_self_signed ? create_self_signed(ssl, msg) : create_request(ssl, msg);
    put_int(msg_cert_create_reply, made ? 0 : -1, out);
}

// The public key of a certificate or of a private key, as PEM text ("" when
// the file holds none).
std::string public_key(const std::string& file, bool certificate) {
    std::string pem;
    bool ok = certificate ? coresim::run_program({"openssl", "x509", "-in", file, "-noout", "-pubkey"}, &pem)
                          : coresim::run_program({"openssl", "pkey", "-in", file, "-pubout"}, &pem);
    return ok ? pem : "";
}

void cert_install(const coresim::request_view& req, std::vector<coresim::out_msg>& out) {
    const std::string ssl = req.root + "/mnt/nand/ssl", cert = ssl + "/ssl_cert.pem";
    const std::string pending = ssl + "/tmp/ssl_key.pem", in_use = ssl + "/ssl_key.pem";
    const std::string cert_key = public_key(cert, true);
    bool taken = false;
    if (!cert_key.empty() && cert_key == public_key(pending, false))
        taken = std::rename(pending.c_str(), in_use.c_str()) == 0;
    else if (!cert_key.empty() && cert_key == public_key(in_use, false))
        taken = true;
    if (taken) taken = store_params(cert, ssl_params_installed, true);
    put_int(msg_cert_install_reply, taken ? 1 : 0, out);
}

const coresim::default_reply rows[] = {
    // request, request size, reply record size (-1: no answer), channel offset, builder
    {msg_cert_create, sizeof(cert_create_request), 4, -1, cert_create},  // -> 8316
    {msg_cert_use, 0, -1},
    {msg_cert_install, 0, 4, -1, cert_install},  // -> 8318: 1 taken
    {msg_cert_removed, 0, -1},
    {msg_https_switch, 4, -1},
};

}  // namespace

CORESIM_DEFAULTS("https", rows);
