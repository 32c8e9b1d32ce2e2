cmake_minimum_required(VERSION 3.25)
# Runs a desktop validator on an installed file: -DTOOL=<program> -DARGS=<its arguments> -DFILE=...
# Skipped (see SKIP_REGULAR_EXPRESSION) only when the validator is not installed; a warning fails.
find_program(outil ${TOOL})
if(NOT outil)
  message("SKIPPED: ${TOOL} is not installed")
  return()
endif()
execute_process(COMMAND ${outil} ${ARGS} ${FILE} RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
message("${sortie}")
if(NOT code EQUAL 0 OR sortie MATCHES "(error|warning):")
  message(FATAL_ERROR "${TOOL} rejects ${FILE} (status ${code})")
endif()
