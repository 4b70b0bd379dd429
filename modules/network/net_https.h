// The certificate of the recorder's HTTPS service (net_https.cpp): the core
// daemon creates certificates and requests and installs them; the page
// shows them, hands out the request, takes a signed certificate, deletes
// and switches HTTPS.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"

void net_cert_create(request& rq);   // /7080 prepare the CA directory, 3316
void net_cert_show(request& rq);     // /7081 the installed certificate
void net_csr_download(request& rq);  // /7082 the pending request as a download
void net_cert_use(request& rq);      // /7083 3317
void net_cert_upload(request& rq);   // /7084 install an uploaded certificate, 3318
void net_cert_delete(request& rq);   // /7085 remove the certificate, 3320, 3322
void net_https_switch(request& rq);  // /7086 HTTPS on or off, 3322
void net_https_show(request& rq);    // /7087 the switch
void net_csr_show(request& rq);      // /7089 the pending request

// 8316: "OK" (the answer's contents are not read).
int write_cert_created(const core_answer& answer);
// 8318: "OK" when the core took the certificate (1), else "Error".
int write_cert_installed(const core_answer& answer);
