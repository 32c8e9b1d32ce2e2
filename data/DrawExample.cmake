# Draws one example program with morvo-run into a PNG for the help. The example must run as it is
# shown: a run error, or any message or question during the run, fails the build.
#   cmake -DRUNNER=<morvo-run> -DPROGRAM=<file.dat> -DPNG=<picture.png> -P DrawExample.cmake
get_filename_component(dossier "${PROGRAM}" DIRECTORY)
get_filename_component(nom "${PROGRAM}" NAME)
get_filename_component(cible "${PNG}" DIRECTORY)
file(MAKE_DIRECTORY "${cible}")
# The example runs in a copy of its folder: the data files it writes stay out of the sources.
set(copie "${PNG}.d")
file(REMOVE_RECURSE "${copie}")
file(COPY "${dossier}/" DESTINATION "${copie}")
# A screen image larger than an A4 page: the help cuts the picture to what was drawn.
execute_process(COMMAND "${RUNNER}" --size 1200x1200 --png "${PNG}.tmp" --log "${PNG}.log" -- "${copie}/${nom}"
  WORKING_DIRECTORY "${copie}" RESULT_VARIABLE code ERROR_VARIABLE erreur)
file(REMOVE_RECURSE "${copie}")
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${PROGRAM}: morvo-run ended with status ${code}: ${erreur}")
endif()
file(STRINGS "${PNG}.log" dialogues REGEX "^(message|input) ")
if(dialogues)
  list(GET dialogues 0 premier)
  message(FATAL_ERROR "${PROGRAM}: the example stops on a dialog (a run error?): ${premier}")
endif()
file(RENAME "${PNG}.tmp" "${PNG}")
