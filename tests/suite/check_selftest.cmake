# Runs "<program> --selftest report.txt" and compares the report with the expected one.
# Dates (the follow-up plan counts from today) are compared as YYYY-MM-DD.
# -DPROGRAM -DEMULATOR (may be empty) -DWORKDIR -DEXPECTED
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" --selftest report.txt
                WORKING_DIRECTORY "${WORKDIR}" RESULT_VARIABLE code OUTPUT_QUIET ERROR_QUIET)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "exit code ${code}, expected 0")
endif()
file(READ "${WORKDIR}/report.txt" actual)
file(READ "${EXPECTED}" expected)
string(REGEX REPLACE "[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]" "YYYY-MM-DD" actual "${actual}")
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "report differs from ${EXPECTED}:\n${actual}")
endif()
