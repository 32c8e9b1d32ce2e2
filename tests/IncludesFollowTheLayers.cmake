# Fails when a source in src/<folder>/ includes a header of a folder above its own. The floors, from
# the bottom: a folder includes only its own folder and the folders below it.
set(floors platform values drawing commands interpreter editor shell app)

# The one upward include allowed, as "file included-header": real recursion through a declared
# entry point. A PLOTS symbol is a program text that the command runs as the next level through
# ExecFichier (interpreter/CommandFiles.h). No other line is ever added here.
set(allowed
  "commands/Plot.cpp interpreter/CommandFiles.h"
)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(faults "")
set(seen "")
foreach(f ${sources})
  string(REGEX MATCH "^[^/]+" folder ${f})
  list(FIND floors ${folder} own)
  if(own LESS 0)
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${lines})
    if(NOT line MATCHES "include[ \t]*[<\"](\\.\\./)*([a-z]+)/([^>\"]+)")
      continue()
    endif()
    set(header "${CMAKE_MATCH_2}/${CMAKE_MATCH_3}")
    list(FIND floors ${CMAKE_MATCH_2} other)
    if(other LESS_EQUAL own)
      continue()
    endif()
    list(FIND allowed "${f} ${header}" known)
    if(known LESS 0)
      string(APPEND faults "\n  ${f} includes ${header} (${folder} is below ${CMAKE_MATCH_2})")
    else()
      list(APPEND seen "${f} ${header}")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "includes that run upward:${faults}")
endif()
# An entry whose include has gone is left over: the exception must go with it.
foreach(entry ${allowed})
  list(FIND seen "${entry}" there)
  if(there LESS 0)
    message(FATAL_ERROR "no longer included, remove from the list: ${entry}")
  endif()
endforeach()
message(STATUS "no new include runs upward")
