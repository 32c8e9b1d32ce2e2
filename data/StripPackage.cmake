# Run by CPack on the staged package before it is built: strips the programs as Debian's own packages
# are stripped (CPACK_STRIP_FILES keeps the compiler's .comment section).
find_program(strip NAMES strip REQUIRED)
file(GLOB programmes "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(programme ${programmes})
  execute_process(COMMAND ${strip} --remove-section=.comment --remove-section=.note --strip-unneeded ${programme}
    RESULT_VARIABLE code)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "strip failed on ${programme}")
  endif()
endforeach()
