// Records that cross a boundary (database rows, core message payloads,
// files) must have one layout on the 32-bit target and on a 64-bit host.
// The static_asserts on their sizes and offsets make a slip a build error on
// whichever side it shows; this check makes sure they are there, and that an
// asserted record holds no type whose width depends on the architecture.
//
// It reads the sources: every struct of the modules and of the platform
// layer's record and message headers whose fields are all fixed-width
// (intN_t, uintN_t, char, float, double, or such a struct, arrays included)
// needs a static_assert on its size; any struct with one may not hold long,
// size_t, time_t, off_t, bool, enums or pointers.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

struct struct_def {
    std::string file, name;
    std::vector<std::string> field_types;  // normalised type text of each field
};

void collect_files(const std::string& dir, std::vector<std::string>& out) {
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string path = dir + "/" + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode))
            collect_files(path, out);
        else if (name.ends_with(".h") || name.ends_with(".cpp"))
            out.push_back(path);
    }
    closedir(d);
}

std::string strip_comments(const std::string& text) {
    static const std::regex comments(R"(//[^\n]*|/\*[\s\S]*?\*/)");
    return std::regex_replace(text, comments, " ");
}

// Structs defined with a plain body ("struct name {" ... "};").
std::vector<struct_def> find_structs(const std::string& file, const std::string& text) {
    std::vector<struct_def> out;
    static const std::regex head(R"(\bstruct\s+([A-Za-z_]\w*)\s*\{)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), head); it != std::sregex_iterator(); ++it) {
        size_t open = static_cast<size_t>(it->position(0) + it->length(0));
        int depth = 1;
        size_t pos = open;
        while (pos < text.size() && depth > 0) {
            if (text[pos] == '{') ++depth;
            if (text[pos] == '}') --depth;
            ++pos;
        }
        std::string body = text.substr(open, pos - open - 1);
        struct_def def{file, (*it)[1].str(), {}};
        bool plain = true;
        std::istringstream statements(body);
        for (std::string st; std::getline(statements, st, ';');) {
            st = std::regex_replace(st, std::regex(R"(^\s+|\s+$)"), "");
            if (st.empty()) continue;
            // Member functions, nested types, access labels: not a plain record.
            if (st.find('(') != std::string::npos || st.find('{') != std::string::npos ||
                st.find('}') != std::string::npos || st.find(':') != std::string::npos) {
                plain = false;
                break;
            }
            st = std::regex_replace(st, std::regex(R"(\s*=.*$)"), "");          // default value
            st = std::regex_replace(st, std::regex(R"(\s*(\[[^\]]*\]\s*)+$)"), "");  // array extents
            size_t cut = st.find_last_of(" \t*&");
            if (cut == std::string::npos) {
                plain = false;
                break;
            }
            std::string type = st.substr(0, cut + 1);
            type = std::regex_replace(type, std::regex(R"(\s+)"), " ");
            type = std::regex_replace(type, std::regex(R"(^\s+|\s+$)"), "");
            def.field_types.push_back(type);
        }
        if (plain && !def.field_types.empty()) out.push_back(def);
    }
    return out;
}

TEST(RecordLayout, FixedWidthRecordsAssertTheirSizeAndHoldNoArchitectureDependentType) {
    std::vector<std::string> files;
    for (const char* dir : {"platform", "front", "modules", "tqjs", "tools"})
        collect_files(std::string(NVR_SOURCE_DIR) + "/" + dir, files);
    ASSERT_FALSE(files.empty());
    std::string all_text;
    std::vector<struct_def> structs;
    for (const std::string& f : files) {
        std::ifstream in(f);
        std::ostringstream text;
        text << in.rdbuf();
        std::string clean = strip_comments(text.str());
        all_text += clean;
        auto found = find_structs(f.substr(std::string(NVR_SOURCE_DIR).size() + 1), clean);
        structs.insert(structs.end(), found.begin(), found.end());
    }
    auto asserted = [&](const std::string& name) {
        return std::regex_search(
            all_text, std::regex(R"(static_assert\s*\(\s*sizeof\s*\(\s*(\w+::)*)" + name + R"(\s*\))"));
    };
    // Where records live: the modules (their payloads and rows), and the
    // platform layer's record and message headers. Other fixed-width
    // structs there (a hash state, tqjs's own state) never leave the process.
    auto record_file = [](const std::string& file) {
        static const std::regex where(R"(^modules/|^platform/(.*/)?(rec_|msg_)[^/]*\.h$|^platform/[^/]*(record|wire)[^/]*\.h$)");
        return std::regex_search(file, where);
    };

    static const std::set<std::string> fixed = {
        "int8_t", "uint8_t", "int16_t", "uint16_t", "int32_t", "uint32_t", "int64_t", "uint64_t",
        "char", "unsigned char", "signed char", "float", "double",
    };
    static const std::regex varying(
        R"(\b(long|size_t|ssize_t|ptrdiff_t|intptr_t|uintptr_t|time_t|off_t|clock_t|suseconds_t|bool|wchar_t|enum)\b|\*)");
    // Records made of records: repeat until no new name qualifies.
    std::set<std::string> records;
    for (bool grew = true; grew;) {
        grew = false;
        for (const struct_def& s : structs) {
            if (records.count(s.name)) continue;
            bool all_fixed = true;
            for (std::string t : s.field_types) {
                t = std::regex_replace(t, std::regex(R"(^(const |volatile |std::)+)"), "");
                if (!fixed.count(t) && !records.count(t)) all_fixed = false;
            }
            if (all_fixed) {
                records.insert(s.name);
                grew = true;
            }
        }
    }
    std::vector<std::string> problems;
    for (const struct_def& s : structs) {
        if (record_file(s.file) && records.count(s.name) && !asserted(s.name))
            problems.push_back(s.file + ": " + s.name + " is a fixed-width record without static_assert(sizeof(" +
                               s.name + ") == ...)");
        if (asserted(s.name))
            for (const std::string& t : s.field_types)
                if (std::regex_search(t, varying))
                    problems.push_back(s.file + ": " + s.name + " holds a field of type '" + t +
                                       "', whose width differs between the target and the host");
    }
    std::string report;
    for (const std::string& p : problems) report += p + "\n";
    EXPECT_TRUE(problems.empty()) << report;
    EXPECT_GT(records.size(), 5u) << "the source scan found almost no records";
}

}  // namespace
