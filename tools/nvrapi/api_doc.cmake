# Writes (MODE=write) or checks (MODE=check) docs/api.md against what
# nvrapi --markdown prints now.
#   cmake -DNVRAPI=build/bin/nvrapi -DDOC=docs/api.md -DMODE=check -P api_doc.cmake
execute_process(COMMAND ${NVRAPI} --markdown OUTPUT_VARIABLE generated RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nvrapi --markdown failed (${rc})")
endif()
if(MODE STREQUAL "write")
  file(WRITE ${DOC} "${generated}")
  return()
endif()
if(EXISTS ${DOC})
  file(READ ${DOC} checked_in)
else()
  set(checked_in "")
endif()
if(NOT checked_in STREQUAL generated)
  message(FATAL_ERROR "${DOC} differs from what the request tables give now. Regenerate it with:\n"
                      "  cmake --build build --target api-doc\n"
                      "and commit docs/api.md.")
endif()
message(STATUS "${DOC} matches the request tables")
