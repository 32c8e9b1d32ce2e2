cmake_minimum_required(VERSION 3.25)
# Installs the build as a packager does (DESTDIR, prefix /usr) into STAGE, checks what is where,
# and has the installed runner draw installed examples: -DBUILD_DIR=... -DSTAGE=... -DAPPSTREAM_ID=...
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
  RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${sortie}")
endif()

set(racine ${STAGE}/usr)
set(attendus
  bin/morvo bin/morvo-run
  share/morvo/voltmeter.dat share/morvo/ammeter.dat share/morvo/logscale.dat share/morvo/powerscale.dat
  share/morvo/thermometer.dat share/morvo/plate.dat share/morvo/plot.dat share/morvo/temperature.txt
  share/morvo/dials.dat share/morvo/parts/dial.dat share/morvo/bezier.dat
  share/applications/morvo.desktop
  share/mime/packages/morvo.xml
  share/icons/hicolor/scalable/apps/morvo.svg
  share/metainfo/${APPSTREAM_ID}.metainfo.xml
  share/man/man1/morvo.1.gz share/man/man1/morvo-run.1.gz
  share/doc/morvo/copyright share/doc/morvo/changelog.gz)
list(APPEND attendus share/icons/hicolor/scalable/mimetypes/application-x-morvo-program.svg)
foreach(taille 16 22 24 32 48 64 128 256)
  list(APPEND attendus share/icons/hicolor/${taille}x${taille}/apps/morvo.png
    share/icons/hicolor/${taille}x${taille}/mimetypes/application-x-morvo-program.png)
endforeach()
# The help of each language: the names the Help menu opens, and the folder of its pages (their
# number follows the guide pages written and the examples).
foreach(code fr en de es)
  list(APPEND attendus share/morvo/Morvo_${code}.html share/morvo/Morvo-200_${code}.html
    share/morvo/Morvo_MAJ_${code}.html share/morvo/Morvo_${code}/style.css share/morvo/Morvo_${code}/5000.html
    share/morvo/Morvo_${code}/7000.html share/morvo/Morvo_${code}/examples.html
    share/morvo/Morvo_${code}/img/gallery/voltmeter.png)
  foreach(sujet 2100 2200 2300 2400 2500 2600 2700 2800 2900 3000 3100 3200)
    list(APPEND attendus share/morvo/Morvo_${code}/${sujet}.html)
  endforeach()
endforeach()
set(fautes "")
foreach(f ${attendus})
  if(NOT EXISTS ${racine}/${f})
    string(APPEND fautes "\n  missing: /usr/${f}")
  endif()
endforeach()
# Nothing else: no test, benchmark or library.
file(GLOB_RECURSE installes RELATIVE ${racine} ${STAGE}/*)
foreach(f ${installes})
  list(FIND attendus ${f} i)
  if(i LESS 0 AND NOT f MATCHES "^share/morvo/Morvo_(fr|en|de|es)/[A-Za-z0-9_/-]+\\.(html|png)$")
    string(APPEND fautes "\n  not expected: ${f}")
  endif()
endforeach()
if(fautes)
  message(FATAL_ERROR "The staged installation is not as expected:${fautes}")
endif()

# The manual pages list the options of --help, and carry the date of the sources.
find_program(gzip gzip REQUIRED)
execute_process(COMMAND ${gzip} -dc ${racine}/share/man/man1/morvo-run.1.gz OUTPUT_VARIABLE page)
if(NOT page MATCHES "\\\\-\\\\-max\\\\-statements" OR NOT page MATCHES "\\.SH EXIT STATUS")
  message(FATAL_ERROR "morvo-run.1 lacks the options of --help:\n${page}")
endif()
if(NOT page MATCHES "^\\.TH MORVO-RUN 1 \"[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\" ")
  message(FATAL_ERROR "morvo-run.1 has no date:\n${page}")
endif()

# The installed programs answer --version, and the runner draws an installed example.
foreach(programme morvo morvo-run)
  execute_process(COMMAND ${racine}/bin/${programme} --version
    RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE erreur)
  if(NOT code EQUAL 0 OR NOT sortie MATCHES "^${programme} [0-9]")
    message(FATAL_ERROR "${programme} --version: status ${code}, output '${sortie}' '${erreur}'")
  endif()
endforeach()
# Besides a plain one, the examples that read an installed data file and an installed command file.
foreach(exemple voltmeter plot dials)
  set(png ${STAGE}/${exemple}.png)
  set(log ${STAGE}/${exemple}.log)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
      ${racine}/bin/morvo-run --png ${png} --log ${log} ${racine}/share/morvo/${exemple}.dat
    RESULT_VARIABLE code OUTPUT_VARIABLE sortie ERROR_VARIABLE sortie)
  if(NOT code EQUAL 0 OR NOT EXISTS ${png})
    message(FATAL_ERROR "The installed morvo-run did not draw the installed ${exemple}.dat (${code}):\n${sortie}")
  endif()
  file(STRINGS ${log} traits REGEX "^line ")
  list(LENGTH traits nombre)
  file(STRINGS ${log} messages REGEX "^message ")
  if(nombre LESS 20 OR messages)
    message(FATAL_ERROR "${exemple}.dat drew ${nombre} lines, with messages '${messages}'")
  endif()
  message(STATUS "Installed and drawn: ${exemple}.dat, ${nombre} lines")
endforeach()
