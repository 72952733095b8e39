# Writes a .def file that exports every cJSON function of ARCHIVE under its
# decorated standard-call name (_cJSON_Parse@4), the names programs built
# against the launcher's exports link to.
# Usage: cmake -DNM=... -DARCHIVE=... -DOUTPUT=... -P cjson-exports.cmake
execute_process(COMMAND ${NM} --defined-only -g ${ARCHIVE}
                OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "T _cJSON_[A-Za-z0-9_]+@[0-9]+" functions "${symbols}")
list(SORT functions)
list(REMOVE_DUPLICATES functions)
set(text "EXPORTS\n")
foreach(entry IN LISTS functions)
  string(REGEX REPLACE "^T " "" decorated "${entry}")
  string(REGEX REPLACE "^_" "" symbol "${decorated}")
  string(APPEND text "    ${decorated} = ${symbol}\n")
endforeach()
file(WRITE ${OUTPUT} "${text}")
