// The three tables every relayed request has: exchanges (request, answer,
// the message's bytes, the reply), refusals (nothing sent) and answers that
// are missing or too short (the failure reply).
#pragma once

#include "tests/harness/exchange_case.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace xcase {

inline bytes concat(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

class relay_case : public exchange_case {
protected:
    struct exchange {
        int line;
        std::string code, body;  // an empty body is a GET without a query
        int32_t msg_id;
        bytes payload;
        bytes answer;
        std::string out;
    };
    struct refusal {
        int line;
        std::string code, body;
        std::string out;  // "" no reply at all
    };
    struct missing_answer {
        int line;
        std::string code, body;
        int32_t msg_id;
        bool silent;  // no answer at all (else the short answer)
        bytes answer;
        std::string out;
    };

    cgi_result request(const std::string& code, const std::string& body) {
        return body.empty() ? cgi_get(root, code) : post(code, body);
    }

    void run(const std::vector<exchange>& rows) {
        for (const auto& r : rows) {
            fresh_case();
            answer(r.msg_id, r.answer);
            EXPECT_EQ(request(r.code, r.body).out, r.out) << "row at line " << r.line;
            expect_sent({{r.msg_id, r.payload}}, r.line);
        }
    }

    void run(const std::vector<refusal>& rows) {
        for (const auto& r : rows) {
            fresh_case();
            EXPECT_EQ(post(r.code, r.body).out, r.out) << "row at line " << r.line;
            EXPECT_TRUE(sent().empty()) << "row at line " << r.line << ": " << ids_text(sent());
        }
    }

    void run(const std::vector<missing_answer>& rows) {
        for (const auto& r : rows) {
            fresh_case();
            if (r.silent)
                answer_nothing(r.msg_id);
            else
                answer(r.msg_id, r.answer);
            EXPECT_EQ(request(r.code, r.body).out, r.out) << "row at line " << r.line;
        }
    }
};

}  // namespace xcase
