#include "tests/sweep/battery.h"

#include <json-c/json.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <regex>

namespace sweep {

namespace {

// A JSON body stays under the intake's 30720-byte buffer so that it reaches
// the handler whole.
constexpr size_t json_budget = 29000;
// The GET request text is cut at 255 characters.
constexpr size_t get_budget = 255;

std::string repeat(const std::string& s, size_t n) {
    std::string out;
    out.reserve(s.size() * n);
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// {"k1":v(k1),"k2":v(k2),...}: keys from start (rotating) while the text
// stays within budget; at least one key.
std::string json_object(const std::vector<std::string>& keys, size_t start, size_t budget,
                        const std::function<std::string(size_t)>& value_of) {
    std::string out = "{";
    for (size_t n = 0; n < keys.size(); ++n) {
        size_t i = (start + n) % keys.size();
        std::string member = json_string(keys[i]) + ":" + value_of(i);
        if (n > 0 && out.size() + member.size() + 2 > budget) break;
        if (n > 0) out += ",";
        out += member;
    }
    return out + "}";
}

// k1=v&k2=v... within budget.
std::string form_text(const std::vector<std::string>& keys, size_t start, size_t budget,
                      const std::string& value) {
    std::string out;
    for (size_t n = 0; n < keys.size(); ++n) {
        std::string pair = keys[(start + n) % keys.size()] + "=" + value;
        if (n > 0 && out.size() + pair.size() + 1 > budget) break;
        if (n > 0) out += "&";
        out += pair;
    }
    return out;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string base_name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// Paths that leave the root: relative climbs of every depth up to the
// canary, and absolute ones.
std::vector<std::string> escape_paths(const targets& t) {
    std::string canary = base_name(t.canary_dir);
    std::vector<std::string> out;
    for (int depth = 1; depth <= 6; ++depth) out.push_back(repeat("../", depth) + canary + "/victim");
    out.push_back(t.canary_dir + "/victim");
    out.push_back("/../../../../../.." + t.canary_dir + "/new");
    out.push_back("..\\..\\..\\" + canary + "\\victim");
    return out;
}

std::string multipart_body(const std::string& boundary, const std::string& file_name,
                           const std::string& content) {
    return "--" + boundary + "\r\n" +
           "Content-Disposition: form-data; name=\"file\"; filename=\"" + file_name + "\"\r\n" +
           "Content-Type: application/octet-stream\r\n\r\n" + content + "\r\n--" + boundary +
           "--\r\n";
}

const char* const stubbed_programs[] = {
    "reboot", "halt", "poweroff", "shutdown", "init", "telinit", "killall", "killall5",
    "pkill", "ifconfig", "ip", "route", "iptables", "ip6tables", "tcpdump", "udhcpc",
    "dhclient", "ntpdate", "ntpd", "hwclock", "date", "hostname", "mount", "umount",
    "swapon", "swapoff", "mkfs", "mkfs.ext4", "mkfs.vfat", "fdisk", "parted", "sfdisk",
    "hdparm", "insmod", "rmmod", "modprobe", "sysctl", "ethtool", "brctl", "passwd",
    "chpasswd", "useradd", "userdel", "crontab", "systemctl", "service", "flash_erase",
    "flash_eraseall", "nandwrite", "webmonitor",
};

}  // namespace

void make_stub_dir(const std::string& dir) {
    mkdir(dir.c_str(), 0755);
    for (const char* name : stubbed_programs) {
        std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::trunc) << "#!/bin/sh\nexit 0\n";
        chmod(path.c_str(), 0755);
    }
}

std::string stub_search_path(const std::string& dir, const std::string& bin_dir) {
    const char* path = std::getenv("PATH");
    return dir + ":" + bin_dir + ":" + (path ? path : "/usr/bin:/bin");
}

const char* core_mode_name(core_mode m) {
    switch (m) {
    case core_mode::defaults: return "default answers";
    case core_mode::no_answer: return "no answer";
    case core_mode::empty: return "empty answers";
    case core_mode::one_byte: return "1-byte answers";
    case core_mode::short3: return "3-byte answers";
    case core_mode::all_ff: return "0xff answers";
    case core_mode::all_7f: return "0x7f answers";
    case core_mode::random: return "random answers";
    case core_mode::big: return "256 KiB answers";
    }
    return "?";
}

std::set<std::string> source_literals(const std::string& text) {
    static const std::regex literal("\"([A-Za-z_][A-Za-z0-9_]{0,39})\"");
    std::set<std::string> out;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), literal); it != std::sregex_iterator(); ++it)
        out.insert((*it)[1].str());
    return out;
}

std::vector<std::string> keys_for_code(const std::string& code,
                                       const std::map<std::string, std::string>& sources) {
    // A module may spread over several files of its folder: the folder of
    // the file that names the code gives the keys.
    auto folder = [](const std::string& name) { return name.substr(0, name.find('/')); };
    std::set<std::string> folders, keys;
    const std::string quoted = "\"" + code + "\"";
    for (const auto& [name, text] : sources)
        if (text.find(quoted) != std::string::npos) folders.insert(folder(name));
    for (const auto& [name, text] : sources)
        if (folders.count(folder(name))) keys.merge(source_literals(text));
    if (keys.empty())
        for (const auto& [name, text] : sources) keys.merge(source_literals(text));
    if (keys.empty()) keys = {"id", "chn", "channel", "enable", "type", "name"};
    return {keys.begin(), keys.end()};
}

std::vector<std::string> injections(const targets& t) {
    const std::string& m = t.marker;
    const std::string& rel = t.marker_name;
    return {
        "$(touch " + m + ")",
        "`touch " + m + "`",
        ";touch " + m + ";",
        "|touch " + m,
        "&&touch " + m,
        "\ntouch " + m + "\n",
        "';touch " + m + ";'",
        "\";touch " + m + ";\"",
        "$(touch${IFS}" + m + ")",
        "x & touch " + m + " & ",
        "$(touch " + rel + ")",
        ";touch " + rel + " #",
    };
}

std::string url_encode(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::vector<request_case> store_cases(const std::vector<std::string>& keys, size_t code_index,
                                      bool takes_text) {
    std::vector<request_case> cases;
    for (const char* value : {"1", "0"})
        cases.push_back(
            {"POST", "application/json", "",
             json_object(keys, code_index, json_budget, [&](size_t) { return std::string(value); }),
             core_mode::defaults, std::string("POST application/json every member ") + value});
    if (takes_text) cases.push_back({"GET", "", "1", "", core_mode::defaults, "GET 1"});
    return cases;
}

bool success_reply(const std::string& out) {
    const std::string text_header = "Content-type: text/plain\r\n\r\n";
    const std::string json_header = "Content-type: application/json\r\n\r\n";
    if (out.rfind(text_header, 0) == 0) return out.substr(text_header.size()) == "OK";
    if (out.rfind(json_header, 0) != 0) return false;
    ::json_object* obj = json_tokener_parse(out.c_str() + json_header.size());
    bool ok = obj && json_object_is_type(obj, json_type_object);
    for (const char* key : {"status", "res", "result", "ret", "error"}) {
        ::json_object* member = nullptr;
        if (!ok || !json_object_object_get_ex(obj, key, &member)) continue;
        if (json_object_is_type(member, json_type_int) || json_object_is_type(member, json_type_double)) {
            ok = json_object_get_double(member) >= 0;
        } else if (json_object_is_type(member, json_type_string)) {
            std::string word = json_object_get_string(member);
            for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            ok = word.find("ERR") == std::string::npos && word.find("FAIL") == std::string::npos;
        }
    }
    json_object_put(obj);
    return ok;
}

std::vector<request_case> battery(const std::vector<std::string>& keys, const targets& t,
                                  size_t code_index) {
    std::vector<request_case> cases;
    const std::vector<std::string> inj = injections(t);
    const std::vector<std::string> paths = escape_paths(t);
    size_t rotation = code_index;
    auto next_mode = [&] { return static_cast<core_mode>(rotation++ % core_mode_count); };

    bool always = false;
    auto get = [&](const std::string& query, const std::string& label, core_mode mode) {
        cases.push_back({"GET", "", query, "", mode, "GET " + label, always});
    };
    auto post = [&](const std::string& type, const std::string& body, const std::string& label,
                    core_mode mode) {
        cases.push_back({"POST", type, "", body, mode, "POST " + type + " " + label, always});
    };
    auto json = [&](const std::string& body, const std::string& label) {
        post("application/json", body, label, next_mode());
    };
    auto form = [&](const std::string& body, const std::string& label) {
        post("application/x-www-form-urlencoded", body, label, next_mode());
    };
    auto all_keys = [&](const std::string& value, size_t budget = json_budget) {
        return json_object(keys, code_index, budget, [&](size_t) { return value; });
    };

    // Requests a handler accepts, with every kind of core answer: these reach
    // the reply decoders. Every code gets all of these.
    for (int m = 0; m < core_mode_count; ++m) {
        core_mode mode = static_cast<core_mode>(m);
        always = true;
        get("", "empty query", mode);
        post("application/json", all_keys("0"), "every member 0", mode);
        always = false;
        post("application/json", all_keys("1"), "every member 1", mode);
    }

    // Texts of the wrong shape.
    const std::pair<const char*, std::string> get_texts[] = {
        {"x", "x"},
        {"quotes", "%22%22%22"},
        {"open JSON", "{%22"},
        {"300 characters", std::string(300, 'A')},
        {"bare percent", "%"},
        {"bad escapes", "%zz%00%ff"},
        {"separators", "&&&===;;;"},
        {"-1", "-1"},
        {"0", "0"},
        {"huge number", "99999999999999999999999"},
        {"keys -1", form_text(keys, code_index, get_budget, "-1")},
        {"keys 0", form_text(keys, code_index, get_budget, "0")},
        {"keys 65", form_text(keys, code_index, get_budget, "65")},
        {"keys 2147483648", form_text(keys, code_index, get_budget, "2147483648")},
        {"JSON keys -1", replace_all(all_keys("-1", get_budget - 40), "\"", "%22")},
        {"JSON keys 64", replace_all(all_keys("64", get_budget - 40), "\"", "%22")},
        {"JSON keys string", replace_all(all_keys("\"x\"", get_budget - 40), "\"", "%22")},
        {"JSON keys path", replace_all(json_object(keys, code_index, get_budget, [&](size_t) {
                                           return json_string(paths[0]);
                                       }),
                                       "\"", "%22")},
    };
    for (const auto& [label, query] : get_texts) get(query, label, next_mode());
    for (const std::string& p : paths) get(p, "path " + p, next_mode());
    for (const std::string& p : paths) get(form_text(keys, code_index, get_budget, p), "keys = path", next_mode());
    for (const std::string& i : inj) {
        get(i, "injection", next_mode());
        get(form_text(keys, code_index, get_budget, url_encode(i)), "keys = encoded injection", next_mode());
        get(replace_all(json_object(keys, code_index, get_budget, [&](size_t) { return json_string(i); }),
                        "\"", "%22"),
            "JSON injection", next_mode());
    }

    std::string deep = repeat("[", 5000);
    std::string lines;
    for (int i = 0; i < 200; ++i) lines += "{\"a\":" + std::to_string(i) + "}\n";
    const std::pair<const char*, std::string> json_texts[] = {
        {"empty", ""},
        {"not JSON", "not json"},
        {"open brace", "{"},
        {"array", "[]"},
        {"null", "null"},
        {"-1", "-1"},
        {"string", "\"str\""},
        {"empty object", "{}"},
        {"array of object", "[{}]"},
        {"deep nesting", deep},
        {"NUL inside", std::string("{\"a\":1}\0{\"b\":", 13) + all_keys("0")},
        {"bad UTF-8", "{\"\xff\xfe\":\"\xc3\x28\"}"},
        {"40000 bytes", "{\"a\":\"" + std::string(40000, 'B') + "\"}"},
        {"200 lines", lines},
        {"duplicate keys", all_keys("0") + all_keys("1")},
    };
    for (const auto& [label, body] : json_texts) json(body, label);

    // Every member of one hostile value.
    std::vector<std::pair<std::string, std::string>> values = {
        {"-1", "-1"},
        {"64", "64"},
        {"65", "65"},
        {"255", "255"},
        {"2147483647", "2147483647"},
        {"2147483648", "2147483648"},
        {"-2147483649", "-2147483649"},
        {"int64 max", "9223372036854775807"},
        {"2^64", "18446744073709551616"},
        {"1e300", "1e300"},
        {"-1e300", "-1e300"},
        {"1.5", "1.5"},
        {"true", "true"},
        {"null", "null"},
        {"empty string", "\"\""},
        {"string", "\"x\""},
        {"numeric string", "\"-5\""},
        {"300 characters", json_string(std::string(300, 'A'))},
        {"format directives", json_string("%s%s%s%n%x%x")},
        {"empty array", "[]"},
        {"200-element array", "[" + [] {
             std::string s;
             for (int i = 0; i < 200; ++i) s += (i ? "," : "") + std::to_string(i % 70 - 2);
             return s;
         }() + "]"},
        {"mixed array", "[-1,\"x\",null,{},[],1e300,99999999999]"},
        {"nested arrays", "[[[[1]],[[2]]],[[-1]]]"},
        {"object", "{\"a\":{\"b\":[]}}"},
        {"64-character mask", json_string(std::string(64, '1'))},
        {"65-character mask", json_string(std::string(65, '1'))},
    };
    for (const std::string& p : paths) values.push_back({"path " + p, json_string(p)});
    for (const std::string& i : inj) values.push_back({"injection", json_string(i)});
    for (const auto& [label, value] : values) json(all_keys(value), "every member " + label);

    // Each member a different hostile value.
    for (size_t s = 0; s < 4; ++s)
        json(json_object(keys, code_index, json_budget,
                         [&](size_t i) { return values[(i * 7 + s * 3 + code_index) % values.size()].second; }),
             "mixed members " + std::to_string(s));

    // One 30 KB string, the other members 0.
    for (size_t s = 0; s < 2; ++s) {
        size_t big = (code_index + s * 5) % keys.size();
        json(json_object(keys, big, json_budget,
                         [&](size_t i) { return i == big ? json_string(std::string(28000, 'A')) : "0"; }),
             "30 KB string in " + keys[big]);
    }

    // URL-encoded bodies.
    const std::pair<const char*, std::string> form_texts[] = {
        {"empty", ""},
        {"word", "a"},
        {"separators", "=&=&&"},
        {"bad escapes", "%%zz%0"},
        {"keys -1", form_text(keys, code_index, json_budget, "-1")},
        {"keys 2147483648", form_text(keys, code_index, json_budget, "2147483648")},
        {"keys 300 characters", form_text(keys, code_index, json_budget, std::string(300, 'A'))},
        {"30 KB value", keys[code_index % keys.size()] + "=" + std::string(30000, 'A')},
        {"keys path", form_text(keys, code_index, json_budget, url_encode(paths[1]))},
        {"keys raw injection", form_text(keys, code_index, json_budget, inj[0])},
        {"keys encoded injection", form_text(keys, code_index, json_budget, url_encode(inj[2]))},
    };
    for (const auto& [label, body] : form_texts) form(body, label);

    // Uploads whose file names climb out or carry commands.
    const std::string boundary = "sweepBoundary7d1";
    const std::pair<const char*, std::string> uploads[] = {
        {"climbing file name", paths[1]},
        {"injected file name", inj[0] + ".cfg"},
        {"plain file name", t.token + ".cfg"},
    };
    for (const auto& [label, name] : uploads) {
        request_case c{"POST", "multipart/form-data; boundary=" + boundary,
                       "param:" + url_encode(inj[3]) + "&x=1",
                       multipart_body(boundary, name, "content of " + t.token), next_mode(),
                       std::string("upload ") + label};
        cases.push_back(std::move(c));
    }
    return cases;
}

}  // namespace sweep
