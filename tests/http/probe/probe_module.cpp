// A request code that only the test build of webreq (webreq_probe) carries:
// "/9000" answers with what the front end handed over (request text, upload
// path and bytes, captured values), so that HTTP tests can see the CGI
// environment the web server gives.
#include "front/cgi_env.h"
#include "front/dispatchreq.h"
#include "front/web_utils.h"
#include "platform/nvr_env.h"

#include <fstream>
#include <sstream>
#include <string>

namespace {

void on_probe(request& rq) {
    const char* text = rq.text;
    std::string upload = cgi_upload_path();
    std::string data;
    if (!upload.empty()) {
        std::ifstream in(nvr_path(upload.c_str()), std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        data = all.str();
    }
    std::string body = std::string("text=") + text + "\nupload=" + upload + "\ndata=" + data +
                       "\nhost=" + cgi_http_host() + "\ncookie=" + cgi_http_cookie() + "\n";
    cgi_reply(REPLY_TEXT, body.c_str());
}

const request_entry probe_table[] = {{"/9000", on_probe}};

}  // namespace

WEBREQ_MODULE(12, probe_table)
