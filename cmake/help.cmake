# The help: the topics of help/ checked against the help numbers the program
# opens (cmake/help_check.cmake; a missing topic stops the build), and in the
# Windows build compiled into quillcrd.chm beside quillcrd.exe with chmcmd
# (Debian package fp-utils, which scripts/setup installs).

file(GLOB QC_HELP_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/help/*.htm ${CMAKE_SOURCE_DIR}/help/*.css ${CMAKE_SOURCE_DIR}/help/*.h
  ${CMAKE_SOURCE_DIR}/help/*.hhp ${CMAKE_SOURCE_DIR}/help/*.hhc ${CMAKE_SOURCE_DIR}/help/images/*.png)
file(GLOB_RECURSE QC_HELP_NUMBER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/src/*.cpp)

set(QC_HELP_CHECKED ${CMAKE_BINARY_DIR}/help-checked.stamp)
add_custom_command(OUTPUT ${QC_HELP_CHECKED}
  COMMAND ${CMAKE_COMMAND} -DQC_SOURCE_DIR=${CMAKE_SOURCE_DIR} -DQC_STAMP=${QC_HELP_CHECKED}
          -P ${CMAKE_SOURCE_DIR}/cmake/help_check.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/help_check.cmake ${QC_HELP_SOURCES} ${QC_HELP_NUMBER_SOURCES}
  COMMENT "Checking that the help has a topic for every help number of the program"
  VERBATIM)

if(NOT WIN32)
  add_custom_target(help_check ALL DEPENDS ${QC_HELP_CHECKED})
  return()
endif()

find_program(QC_CHMCMD chmcmd)
find_program(QC_CHMLS chmls)
if(NOT QC_CHMCMD OR NOT QC_CHMLS)
  message(FATAL_ERROR "chmcmd and chmls are needed to build quillcrd.chm: run scripts/setup (Debian package fp-utils)")
endif()

# Compiled in a folder of its own (cmake/chm-compile.sh says why), then its
# map of help numbers checked once more in the compiled file.
set(QC_HELP_FILE ${CMAKE_BINARY_DIR}/quillcrd.chm)
add_custom_command(OUTPUT ${QC_HELP_FILE}
  COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/chm-compile.sh ${QC_CHMCMD} ${CMAKE_SOURCE_DIR}/help
          ${CMAKE_BINARY_DIR}/help-compile ${QC_HELP_FILE}.new
  COMMAND ${CMAKE_COMMAND} -DQC_SOURCE_DIR=${CMAKE_SOURCE_DIR} -DQC_CHM=${QC_HELP_FILE}.new -DQC_CHMLS=${QC_CHMLS}
          -P ${CMAKE_SOURCE_DIR}/cmake/help_check.cmake
  COMMAND ${CMAKE_COMMAND} -E rename ${QC_HELP_FILE}.new ${QC_HELP_FILE}
  DEPENDS ${QC_HELP_CHECKED} ${QC_HELP_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/chm-compile.sh
  COMMENT "Compiling the help into quillcrd.chm"
  VERBATIM)
add_custom_target(help_file ALL DEPENDS ${QC_HELP_FILE})
add_dependencies(quillcrd help_file)
