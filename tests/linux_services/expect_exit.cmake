# Runs TOOL with ARGS (separated by "|") and fails unless it exits with EXPECTED.
string(REPLACE "|" ";" arguments "${ARGS}")
execute_process(COMMAND ${TOOL} ${arguments} RESULT_VARIABLE result ERROR_VARIABLE err)
if(NOT result STREQUAL EXPECTED)
    message(FATAL_ERROR "${TOOL} ${arguments}: exit ${result}, expected ${EXPECTED}\n${err}")
endif()
