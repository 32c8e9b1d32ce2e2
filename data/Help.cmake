# The help: every example of doc/help/examples and examples/ drawn by morvo-run at build time (so
# that no picture goes stale), then the pages of the four languages made by morvo-helpgen into
# share/morvo of the build folder, where the program run from the build folder looks, and installed
# with the program.

set(MORVO_HELP_LANGUES fr en de es)
set(MORVO_HELP_SORTIE ${PROJECT_BINARY_DIR}/share/morvo)
set(MORVO_HELP_IMAGES ${PROJECT_BINARY_DIR}/help-pictures)
file(GLOB MORVO_HELP_EXEMPLES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/help/examples/*.dat)
file(GLOB MORVO_HELP_DONNEES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/help/examples/*)
file(GLOB MORVO_GALERIE_DONNEES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*)
file(GLOB_RECURSE MORVO_HELP_TEXTES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/doc/help/*.html)

# The examples folder holds the data files of its programs too; only the programs are drawn.
set(MORVO_EXAMPLE_PROGRAMMES ${MORVO_EXAMPLES})
list(FILTER MORVO_EXAMPLE_PROGRAMMES INCLUDE REGEX "\\.dat$")

set(images "")
foreach(exemple ${MORVO_HELP_EXEMPLES} ${MORVO_EXAMPLE_PROGRAMMES})
  get_filename_component(nom ${exemple} NAME_WE)
  if(exemple IN_LIST MORVO_EXAMPLE_PROGRAMMES)
    set(image ${MORVO_HELP_IMAGES}/gallery/${nom}.png)
    set(donnees ${MORVO_GALERIE_DONNEES})
  else()
    set(image ${MORVO_HELP_IMAGES}/${nom}.png)
    set(donnees ${MORVO_HELP_DONNEES})
  endif()
  # The data files beside it too: a curve drawn from one changes with it.
  add_custom_command(OUTPUT ${image}
    COMMAND ${CMAKE_COMMAND} -DRUNNER=$<TARGET_FILE:morvo-run> -DPROGRAM=${exemple} -DPNG=${image}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/DrawExample.cmake
    DEPENDS morvo-run ${donnees} ${CMAKE_CURRENT_SOURCE_DIR}/DrawExample.cmake
    COMMENT "Drawing the example ${nom}.dat"
    VERBATIM)
  list(APPEND images ${image})
endforeach()

# The install builds the help first when this is missing (MORVO_HELP_BUILT, at the top).
set(MORVO_HELP_STAMP ${MORVO_HELP_BUILT})
add_custom_command(OUTPUT ${MORVO_HELP_STAMP}
  COMMAND $<TARGET_FILE:morvo-helpgen> ${PROJECT_SOURCE_DIR} ${MORVO_HELP_IMAGES} ${MORVO_HELP_SORTIE}
  COMMAND ${CMAKE_COMMAND} -E touch ${MORVO_HELP_STAMP}
  DEPENDS morvo-helpgen ${images} ${MORVO_HELP_TEXTES} ${MORVO_HELP_EXEMPLES} ${MORVO_EXAMPLES}
  COMMENT "Writing the help pages"
  VERBATIM)
add_custom_target(morvo_help ALL DEPENDS ${MORVO_HELP_STAMP})

foreach(code ${MORVO_HELP_LANGUES})
  install(FILES ${MORVO_HELP_SORTIE}/Morvo_${code}.html ${MORVO_HELP_SORTIE}/Morvo-200_${code}.html
    ${MORVO_HELP_SORTIE}/Morvo_MAJ_${code}.html DESTINATION ${CMAKE_INSTALL_DATADIR}/morvo)
  install(DIRECTORY ${MORVO_HELP_SORTIE}/Morvo_${code} DESTINATION ${CMAKE_INSTALL_DATADIR}/morvo)
endforeach()
