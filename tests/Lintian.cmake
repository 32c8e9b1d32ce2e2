cmake_minimum_required(VERSION 3.25)
# Builds the Debian package as the README does (cpack -G DEB) into OUT and checks it with lintian: no
# error, no warning, and none of the notes a distribution would mend before taking it (hardening,
# sections left in the programs). -DBUILD_DIR=... -DOUT=... -DCPACK=<cpack>
# Skipped (see SKIP_REGULAR_EXPRESSION) only where lintian or dpkg-dev is not installed.
find_program(lintian lintian)
find_program(shlibdeps dpkg-shlibdeps)
if(NOT lintian OR NOT shlibdeps)
  message("SKIPPED: lintian or dpkg-dev is not installed")
  return()
endif()
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${CPACK} -G DEB -B ${OUT} --config ${BUILD_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${BUILD_DIR} RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
file(GLOB paquets ${OUT}/*.deb)
if(NOT code EQUAL 0 OR NOT paquets)
  message(FATAL_ERROR "cpack -G DEB failed (${code}):\n${sortie}")
endif()
execute_process(COMMAND ${lintian} --display-info --tag-display-limit 0 ${paquets}
  RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE erreurs)
message("${sortie}${erreurs}")
set(fautes "")
string(REPLACE "\n" ";" lignes "${sortie}")
foreach(ligne IN LISTS lignes)
  if(ligne MATCHES "^[EW]: " OR ligne MATCHES "^I: [^ ]+: (hardening-|binary-has-unneeded-section)")
    string(APPEND fautes "\n  ${ligne}")
  endif()
endforeach()
if(fautes OR NOT code EQUAL 0)
  message(FATAL_ERROR "lintian on ${paquets} (status ${code}):${fautes}")
endif()
