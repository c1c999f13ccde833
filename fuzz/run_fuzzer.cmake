# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one fuzz target for a fixed time over a fresh copy of its seeds.
#   cmake -D FUZZER=<target file> -D SEEDS=<seed directory> -D WORK=<scratch
#         directory> -D SECONDS=<n> -P run_fuzzer.cmake
# The scratch directory is emptied first; the fuzzer adds new inputs to the copy
# there and writes a crashing input to WORK/artifacts/. Fails when the fuzzer
# found a fault.

foreach(var FUZZER SEEDS WORK SECONDS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake: ${var} not given")
  endif()
endforeach()
if(NOT IS_DIRECTORY "${SEEDS}")
  message(FATAL_ERROR "run_fuzzer.cmake: no seed directory ${SEEDS}")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")

execute_process(
  COMMAND "${FUZZER}"
          -max_total_time=${SECONDS}
          -rss_limit_mb=2048
          -timeout=10
          -print_final_stats=1
          "-artifact_prefix=${WORK}/artifacts/"
          "${WORK}/corpus"
  WORKING_DIRECTORY "${WORK}"
  RESULT_VARIABLE result)

if(NOT result EQUAL 0)
  file(GLOB found "${WORK}/artifacts/*")
  message(FATAL_ERROR "${FUZZER} stopped with ${result}; input kept in: ${found}")
endif()
