# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the scenario runner on FILES (comma-separated) and fails unless its
# standard output equals the file EXPECTED and its exit status is STATUS.
string(REPLACE "," ";" files "${FILES}")
execute_process(
  COMMAND ${RUNNER} ${files}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT output STREQUAL expected)
  message(FATAL_ERROR "output differs\n--- expected:\n${expected}--- got:\n${output}--- errors:\n${errors}")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${errors}")
endif()
