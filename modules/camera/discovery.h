// Camera discovery and addressing (discovery.cpp): the network search for
// cameras, login tests, address changes of cameras found, the protocol
// table, the PoE facts and the recorder's IPv6 capability.
//
// The search, the tests and the changes are relays (modules/common/relay.h):
// the core daemon does the work, the handlers pass the members on and the
// writers format its answers.
#pragma once

#include "front/core_link.h"
#include "front/dispatchreq.h"
#include "modules/camera/camera.h"
#include "modules/common/relay.h"
#include "platform/msg_camera_discovery.h"

extern const relay<cam_search_req> cam_search_relay;         // "/2006" 3200 -> 8200
extern const relay<cam_address_change> cam_address_relay;    // "/2011" 3205 -> 8205
extern const relay<cam_login_test> cam_login_relay;          // "/2014" 3202 -> 8202
extern const relay<cam_login_test_web> cam_login_web_relay;  // "/2015" 3227 -> 8227

void cam_protocol_table(request& rq);       // "/2008" protocols and their models
void cam_poe_password(request& rq);         // "/2016" default password of PoE cameras
void cam_poe_ports(request& rq);            // "/2018" number of PoE ports
void cam_address_batch_set(request& rq);    // "/2032" address changes without waiting
void cam_address_results_get(request& rq);  // "/2033" results of the changes
void cam_have_ipv6(request& rq);            // "/2034" 1 when the recorder has IPv6

int write_cam_search(const core_answer& answer);       // answer 8200
int write_address_verdict(const core_answer& answer);  // answer 8205
int write_login_verdict(const core_answer& answer);    // answers 8202, 8227
int write_address_results(const core_answer& answer);  // answer 8230
