# Runs the systemsetting executable on a fresh account set in WORK and checks
# its exit code and output. Variables: APP, WORK, ARG (one command-line
# argument or several separated by "|"), EXPECT_RC, EXPECT_OUT, EXPECT_ERR,
# REJECT_OUT (texts that must, or must not, appear).
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
string(REPLACE "|" ";" args "${ARG}")
execute_process(
    COMMAND "${APP}" --db "${WORK}/set.zxdb" --create --install "${WORK}/install" ${args}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE rc
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    TIMEOUT 120)
message("exit code: ${rc}\nstdout:\n${out}\nstderr:\n${err}")
if(NOT "${rc}" STREQUAL "${EXPECT_RC}")
    message(FATAL_ERROR "expected exit code ${EXPECT_RC}, got ${rc}")
endif()
if(DEFINED EXPECT_OUT)
    string(FIND "${out}" "${EXPECT_OUT}" at)
    if(at LESS 0)
        message(FATAL_ERROR "stdout lacks: ${EXPECT_OUT}")
    endif()
endif()
if(DEFINED EXPECT_ERR)
    string(FIND "${err}" "${EXPECT_ERR}" at)
    if(at LESS 0)
        message(FATAL_ERROR "stderr lacks: ${EXPECT_ERR}")
    endif()
endif()
if(DEFINED REJECT_OUT)
    string(FIND "${out}" "${REJECT_OUT}" at)
    if(at GREATER_EQUAL 0)
        message(FATAL_ERROR "stdout holds: ${REJECT_OUT}")
    endif()
endif()
file(REMOVE_RECURSE "${WORK}")
