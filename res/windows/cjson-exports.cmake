# Writes a .def file that exports every cJSON function of ARCHIVE. On x86 the
# functions are standard-call and exported under their decorated names
# (_cJSON_Parse@4), the names programs built against the launcher's exports
# link to; x64 has one calling convention and no decoration, so there the
# plain names (cJSON_Parse) are exported.
# Usage: cmake -DNM=... -DARCHIVE=... -DOUTPUT=... -P cjson-exports.cmake
execute_process(COMMAND ${NM} --defined-only -g ${ARCHIVE}
                OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "T _cJSON_[A-Za-z0-9_]+@[0-9]+" decorated_functions "${symbols}")
string(REGEX MATCHALL "T cJSON_[A-Za-z0-9_]+" plain_functions "${symbols}")
set(text "EXPORTS\n")
if(decorated_functions)
  list(SORT decorated_functions)
  list(REMOVE_DUPLICATES decorated_functions)
  foreach(entry IN LISTS decorated_functions)
    string(REGEX REPLACE "^T " "" decorated "${entry}")
    string(REGEX REPLACE "^_" "" symbol "${decorated}")
    string(APPEND text "    ${decorated} = ${symbol}\n")
  endforeach()
else()
  list(SORT plain_functions)
  list(REMOVE_DUPLICATES plain_functions)
  foreach(entry IN LISTS plain_functions)
    string(REGEX REPLACE "^T " "" symbol "${entry}")
    string(APPEND text "    ${symbol}\n")
  endforeach()
endif()
if(text STREQUAL "EXPORTS\n")
  message(FATAL_ERROR "No cJSON functions found in ${ARCHIVE}")
endif()
file(WRITE ${OUTPUT} "${text}")
