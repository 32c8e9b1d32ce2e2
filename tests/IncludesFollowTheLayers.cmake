# Fails when a source in src/<folder>/ includes a header of a folder above its own. The floors, from
# the bottom: a folder includes only its own folder and the folders below it.
set(floors platform values drawing commands interpreter editor shell app)

# Upward includes still allowed for now, as "file included-header". The run state and run errors
# move down to the floors that own them; this list must shrink to nothing but the declared
# recursion entry points, and no line is ever added to it.
set(allowed
  "commands/Bezier.cpp interpreter/RunErrors.h"
  "commands/Bezier.cpp interpreter/RunState.h"
  "commands/Cadre.cpp interpreter/RunState.h"
  "commands/Catenary.cpp interpreter/RunErrors.h"
  "commands/Catenary.cpp interpreter/RunState.h"
  "commands/Cercle.cpp interpreter/RunErrors.h"
  "commands/Cercle.cpp interpreter/RunState.h"
  "commands/Chain.cpp interpreter/RunErrors.h"
  "commands/Chain.cpp interpreter/RunState.h"
  "commands/DemiLuneFleche.cpp interpreter/RunState.h"
  "commands/Ellipse.cpp interpreter/RunState.h"
  "commands/EpaisT.cpp interpreter/Labels.h"
  "commands/EpaisT.cpp interpreter/RunState.h"
  "commands/Image.cpp interpreter/RunErrors.h"
  "commands/Image.cpp interpreter/RunState.h"
  "commands/Marks.cpp interpreter/RunState.h"
  "commands/PalCoul.cpp interpreter/RunState.h"
  "commands/PendingCommands.cpp interpreter/RunErrors.h"
  "commands/Plot.cpp interpreter/CommandFiles.h"
  "commands/Plot.cpp interpreter/RunErrors.h"
  "commands/Plot.cpp interpreter/RunState.h"
  "commands/PlotData.cpp interpreter/RunErrors.h"
  "commands/PlotData.cpp interpreter/RunState.h"
  "commands/Poly.cpp interpreter/RunErrors.h"
  "commands/Poly.cpp interpreter/RunState.h"
  "commands/PolyR.cpp interpreter/RunState.h"
  "commands/QA.cpp interpreter/RunErrors.h"
  "commands/QA.cpp interpreter/RunState.h"
  "commands/Voyant.cpp interpreter/RunState.h"
  "drawing/Cote.cpp interpreter/RunState.h"
  "drawing/Device.cpp interpreter/RunState.h"
  "drawing/Fonts.cpp interpreter/RunErrors.h"
  "drawing/Fonts.cpp interpreter/RunState.h"
  "drawing/Pen.cpp interpreter/RunState.h"
  "drawing/Rotation.cpp interpreter/RunState.h"
  "drawing/Segments.cpp interpreter/RunErrors.h"
  "drawing/Segments.cpp interpreter/RunState.h"
  "drawing/TextSize.cpp interpreter/RunState.h"
  "drawing/Texts.cpp interpreter/RunErrors.h"
  "drawing/Texts.cpp interpreter/RunState.h"
  "drawing/Trait.cpp interpreter/RunState.h"
  "values/Colours.cpp interpreter/RunState.h"
  "values/Conditions.cpp interpreter/RunState.h"
  "values/Fields.cpp interpreter/RunState.h"
  "values/Insertions.cpp interpreter/RunErrors.h"
  "values/Insertions.cpp interpreter/RunState.h"
  "values/Points.cpp drawing/DrawState.h"
  "values/Points.cpp interpreter/RunErrors.h"
  "values/Points.cpp interpreter/RunState.h"
  "values/StringFunctions.cpp interpreter/RunState.h"
  "values/Substitution.cpp drawing/DrawState.h"
  "values/Substitution.cpp interpreter/RunErrors.h"
  "values/Substitution.cpp interpreter/RunState.h"
  "values/VarList.cpp drawing/DrawState.h"
  "values/VarList.cpp interpreter/RunState.h"
  "values/Variables.cpp interpreter/RunState.h"
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
# An entry whose include has gone is left over: take it off the list.
foreach(entry ${allowed})
  list(FIND seen "${entry}" there)
  if(there LESS 0)
    message(WARNING "no longer included, remove from the list: ${entry}")
  endif()
endforeach()
message(STATUS "no new include runs upward")
