// The system module's service pages: the interface's language files, the
// vendor customisation pack, the factory commands and camera addresses in
// bulk; the access filter, the diagnostic package and the alarm sound
// files. Their rows are in system_table.cpp.
#pragma once

#include <string>

#include "front/core_link.h"
#include "front/dispatchreq.h"

// ---- language files (language.cpp) -------------------------------------------
void language_section(request& rq);     // /json one page's section of a language file
void language_list_store(request& rq);  // /1001 replace the language list

// ---- vendor pack (oem_pack.cpp) --------------------------------------------------
void oem_pack_install(request& rq);  // /oem decrypt, check and unpack into /mnt/nand2

// ---- factory commands (factory.cpp, chip_info.cpp) ----------------------------------
void factory_commands(request& rq);  // /vb.htm name=value&... or a bare command
void factory_download(request& rq);  // /dw.cgi
void camera_addresses(request& rq);  // /ipc consecutive addresses for the channels
// The chip information commands of /vb.htm, each given its value.
void chip_info_show(request& rq, const char* value);     // paratest=chipinfo
void chip_info_update(request& rq, const char* value);   // chipupdate=...
void chip_model_update(request& rq, const char* value);  // modelupdate=...

// ---- access filter (access_filter.cpp) ------------------------------------------
void access_filter_show(request& rq);   // /6300
void access_filter_store(request& rq);  // /6301 store, 1722

// ---- diagnostic package (diagnostics.cpp) ----------------------------------------
void diagnostic_collect(request& rq);   // /6310 3528, "OK/<encoded path>"
void diagnostic_download(request& rq);  // /6311 stream the package, then remove it
// "OK/<encoded path>\r\n" or "Failed" (8528).
int write_diagnostic_ready(const core_answer& answer);
// "/tmp/" + name when name is one plain component that may name a file of
// its own there (not a directory walk, a hidden name, a control character or
// a file the system keeps in /tmp); "" otherwise.
std::string tmp_file_of(const char* name);

// ---- alarm sound files (audio_files.cpp) ------------------------------------------
void audio_list(request& rq);    // /6320 4012
void audio_upload(request& rq);  // /6321 the uploaded WAV file under its encoded name
void audio_add(request& rq);     // /6322 4013
void audio_remove(request& rq);  // /6323 4014
void audio_rename(request& rq);  // /6324 4015
void audio_by_id(request& rq);   // /6325 4016
// {"audioFileList": [...], "status": 0} (9012).
int write_audio_list(const core_answer& answer);
// {"status": n} (9013..9016).
int write_audio_status(const core_answer& answer);
