# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the scenario runner on FILES (comma-separated), after its OPTIONS
# (comma-separated, may be empty), and fails unless its standard output
# equals the file EXPECTED and its exit status is STATUS.
string(REPLACE "," ";" files "${FILES}")
string(REPLACE "," ";" options "${OPTIONS}")
execute_process(
  COMMAND ${RUNNER} ${options} ${files}
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
