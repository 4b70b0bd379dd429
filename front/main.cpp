// webreq: one CGI request per process.
#include "front/dispatchreq.h"
#include "front/intake.h"

#include <cstdio>
#include <unistd.h>

int main() {
    int status = intake_run(STDIN_FILENO, webreq_dispatch);
    std::fflush(stdout);
    return status;
}
