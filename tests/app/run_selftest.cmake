# Runs "talvoro --selftest" in the forms a person would type and compares the report bytes.
# -DPROGRAM -DEMULATOR (may be empty) -DWORKDIR -DEXPECTED
file(REMOVE_RECURSE "${WORKDIR}")
file(MAKE_DIRECTORY "${WORKDIR}")
file(READ "${EXPECTED}" expected HEX)

function(check_run description expected_file)
  execute_process(COMMAND ${EMULATOR} "${PROGRAM}" ${ARGN}
                  WORKING_DIRECTORY "${WORKDIR}" RESULT_VARIABLE code
                  OUTPUT_QUIET ERROR_QUIET)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${description}: exit code ${code}, expected 0")
  endif()
  if(NOT EXISTS "${WORKDIR}/${expected_file}")
    message(FATAL_ERROR "${description}: no report ${expected_file}")
  endif()
  file(READ "${WORKDIR}/${expected_file}" actual HEX)
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${description}: report bytes differ\n${actual}\n${expected}")
  endif()
  file(REMOVE "${WORKDIR}/${expected_file}")
endfunction()

check_run("named report" "r.txt" --selftest r.txt)
check_run("switch alone" "selftest.txt" --selftest)
check_run("quoted path with a blank" "my report.txt" --selftest "my report.txt")
check_run("glued to the switch" "glued.txt" --selftestglued.txt)
message(STATUS "self-test program: all forms wrote the expected report")

# A report that cannot be written must not pass a deployment check: exit code 3.
execute_process(COMMAND ${EMULATOR} "${PROGRAM}" --selftest no-such-folder/r.txt
                WORKING_DIRECTORY "${WORKDIR}" RESULT_VARIABLE code OUTPUT_QUIET ERROR_QUIET)
if(NOT code EQUAL 3)
  message(FATAL_ERROR "report into a missing folder: exit code ${code}, expected 3")
endif()

# The native build has no window: window mode says so, with the exit codes, and exits 1.
if(NOT EMULATOR)
  execute_process(COMMAND "${PROGRAM}" WORKING_DIRECTORY "${WORKDIR}" RESULT_VARIABLE code
                  OUTPUT_QUIET ERROR_VARIABLE said)
  if(NOT code EQUAL 1 OR NOT said MATCHES "window" OR NOT said MATCHES "3: the report file")
    message(FATAL_ERROR "window mode of the native build: exit ${code}, said '${said}'")
  endif()
endif()
