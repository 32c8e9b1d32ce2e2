# Fails when a source of the language core includes a Qt Widgets header: the interpreter reaches
# windows and dialogs only through the interfaces of src/platform.
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/src/values/* ${SOURCE_DIR}/src/interpreter/* ${SOURCE_DIR}/src/drawing/*
  ${SOURCE_DIR}/src/commands/* ${SOURCE_DIR}/src/platform/*)
set(widgets "QtWidgets|QWidget|QApplication>|QMainWindow|QMessageBox|QInputDialog|QDialog|QFileDialog|QPlainTextEdit|QTextEdit|QLabel|QPushButton|QMenu")
foreach(f ${sources})
  get_filename_component(name ${f} NAME)
  if(name MATCHES "^Qt")
    continue()
  endif()
  file(STRINGS ${f} hits REGEX "#include *[<\"](${widgets})")
  if(hits)
    message(FATAL_ERROR "${f} includes a Widgets header: ${hits}")
  endif()
endforeach()
message(STATUS "the core includes no Widgets header")
