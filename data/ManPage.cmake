cmake_minimum_required(VERSION 3.25)
# Writes a manual page from its template and the program's own --help, so that the options the page
# lists are those the program takes: -DPROGRAM=<executable> -DTEMPLATE=<page.1.in> -DOUTPUT=<page.1>
# -DVERSION=<version> [-DGIT=<git> -DSOURCE_DIR=<sources>] -DCHANGELOG=<change log>. The template's
# @OPTIONS@ and @ARGUMENTS@ become the help's "Options:" and "Arguments:" sections, @DATE@ the date of
# the sources.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE aide RESULT_VARIABLE code)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed (${code})")
endif()

# Characters that troff reads as its own: backslashes, and the hyphen-minus of an option name.
function(man_escape out text)
  string(REPLACE "\\" "\\e" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A semicolon would split the list of lines: it is kept aside until the page is written.
string(REPLACE ";" "@SEMICOLON@" aide "${aide}")
string(REPLACE "\n" ";" lignes "${aide}")
set(section "")
set(OPTIONS "")
set(ARGUMENTS "")
set(entree "")
set(texte "")
macro(flush)
  if(NOT entree STREQUAL "")
    man_escape(texte "${texte}")
    # "--png <FILE>": the name in bold, the value in italics.
    man_escape(nom "${entree}")
    string(REPLACE "-" "\\-" nom "${nom}")
    string(REGEX REPLACE "<([^>]+)>" "\\\\fI\\1\\\\fB" nom "${nom}")
    string(REGEX REPLACE "\\[([^]]+)\\]" "[\\1]" nom "${nom}")
    string(APPEND ${section} ".TP\n.B \"${nom}\"\n${texte}\n")
  endif()
  set(entree "")
  set(texte "")
endmacro()
foreach(ligne IN LISTS lignes)
  if(ligne STREQUAL "Options:")
    flush()
    set(section OPTIONS)
  elseif(ligne STREQUAL "Arguments:")
    flush()
    set(section ARGUMENTS)
  elseif(section STREQUAL "")
    continue()
  elseif(ligne MATCHES "^  ([^ ].*[^ ])  +([^ ].*)$")
    # A new entry: the name, two blanks or more, the start of its description.
    set(nouvelle "${CMAKE_MATCH_1}")
    set(debut "${CMAKE_MATCH_2}")
    flush()
    set(entree "${nouvelle}")
    set(texte "${debut}")
  elseif(ligne MATCHES "^  +([^ ].*)$")
    # The description goes on.
    string(APPEND texte " ${CMAKE_MATCH_1}")
  else()
    flush()
  endif()
endforeach()
flush()

# The date of the sources, never that of the build, so that the same sources give the same page:
# SOURCE_DATE_EPOCH when set (string(TIMESTAMP) reads it), else the last commit's, else that of the
# newest entry of the change log (a source archive has no history).
set(DATE "")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP DATE "%Y-%m-%d" UTC)
elseif(GIT AND EXISTS ${SOURCE_DIR}/.git)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
      ${GIT} -C ${SOURCE_DIR} log -1 --format=%cd --date=format-local:%Y-%m-%d
    OUTPUT_VARIABLE DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT DATE MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
  file(STRINGS ${CHANGELOG} signatures REGEX "^ -- ")
  list(GET signatures 0 signature)
  string(REGEX MATCH ", ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) " date "${signature}")
  set(mois Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND mois "${CMAKE_MATCH_2}" m)
  math(EXPR m "${m} + 1" OUTPUT_FORMAT DECIMAL)
  if(m LESS 10)
    set(m "0${m}")
  endif()
  set(DATE "${CMAKE_MATCH_3}-${m}-${CMAKE_MATCH_1}")
endif()

file(READ ${TEMPLATE} page)
string(REPLACE "@DATE@" "${DATE}" page "${page}")
string(REPLACE "@OPTIONS@" "${OPTIONS}" page "${page}")
string(REPLACE "@ARGUMENTS@" "${ARGUMENTS}" page "${page}")
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
string(REPLACE "@SEMICOLON@" ";" page "${page}")
file(WRITE ${OUTPUT} "${page}")
