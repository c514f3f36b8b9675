# The Windows build: quillcrd.exe, the Windows test suite run under Wine.
# The Windows parts of the modules are libraries of cmake/layers.cmake.

set(QC_WIN_LIBS comctl32 ole32 oleaut32 uuid shell32 user32 gdi32 advapi32 version comdlg32 shlwapi)
set(QC_STATIC_LINK -static -static-libgcc -static-libstdc++)

# Every Windows part uses ui/, and with it the system's libraries.
target_link_libraries(qc_ui PUBLIC ${QC_WIN_LIBS})
# The resource numbers are the program frame's, shared with its resource script.
target_include_directories(qc_app_win32 PRIVATE res)

# Everything of the program but its entry point, so the tests can drive the real windows.
add_library(qcwin INTERFACE)
target_link_libraries(qcwin INTERFACE qc_app_win32)

add_executable(quillcrd WIN32 src/app/win32/winmain.cpp res/quillcrd.rc)
target_link_libraries(quillcrd PRIVATE qc_app_win32)
target_include_directories(quillcrd PRIVATE res)
target_link_options(quillcrd PRIVATE ${QC_STATIC_LINK})
target_link_options(qcard PRIVATE ${QC_STATIC_LINK})
set_target_properties(quillcrd PROPERTIES OUTPUT_NAME quillcrd)
# The installation log beside the program, where each copy of the Word template is noted.
if(NOT EXISTS ${CMAKE_BINARY_DIR}/install.log)
  file(WRITE ${CMAKE_BINARY_DIR}/install.log "")
endif()
set_source_files_properties(res/quillcrd.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/quillcrd.ico;${CMAKE_SOURCE_DIR}/res/quillcrd.manifest")

# The start-up benchmark's harness (scripts/bench runs it beside quillcrd.exe);
# a console program.
add_executable(startup_bench bench/startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE qc_data)
target_link_options(startup_bench PRIVATE ${QC_STATIC_LINK})

# Windows tests: real windows and real files, run under Wine on a private prefix
# inside a virtual display when there is no display.
set(QC_WINE_RUN ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QC_WINE_RUN})

file(GLOB QC_WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win/*.cpp)
list(FILTER QC_WIN_TEST_SOURCES EXCLUDE REGEX "(_main|_support)\\.cpp$")
add_library(qcwintest STATIC tests/win/test_main.cpp tests/win/win_test_support.cpp)
target_include_directories(qcwintest PUBLIC tests/win)
target_link_libraries(qcwintest PUBLIC qcwin gtest gmock)

add_test(NAME wine_setup COMMAND ${QC_WINE_RUN} --setup)
add_test(NAME wine_cleanup COMMAND ${QC_WINE_RUN} --cleanup)
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)
# The prefix and display belong to this build folder, whatever its name.
set_tests_properties(wine_setup wine_cleanup PROPERTIES ENVIRONMENT "QC_BUILD_DIR=${CMAKE_BINARY_DIR}")

foreach(src ${QC_WIN_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(win_${name} ${src})
  target_link_libraries(win_${name} PRIVATE qcwintest)
  target_link_options(win_${name} PRIVATE ${QC_STATIC_LINK})
  target_compile_definitions(win_${name} PRIVATE QC_QUILLCRD_EXE="$<TARGET_FILE_NAME:quillcrd>")
  add_dependencies(win_${name} quillcrd)
  add_test(NAME win_${name} COMMAND win_${name} --gtest_brief=1)
  # QC_REFUSING_FOLDER: wine-run.sh --setup's folder that refuses new files, through Wine's Z: drive.
  set_tests_properties(win_${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_display
    ENVIRONMENT "QC_BUILD_DIR=${CMAKE_BINARY_DIR};QC_REFUSING_FOLDER=Z:${CMAKE_BINARY_DIR}/refusing-folder")
endforeach()

# The display-scale test runs with the prefix's LogPixels at 144 (wine-run.sh puts it back).
set_property(TEST win_display_scale_test APPEND PROPERTY ENVIRONMENT QC_DPI=144)

# The screenshot helper of scripts/dpi-screens.
add_subdirectory(tools/screens)

# The Word stand-in: a program of ours that plays the running Word in tests and demonstrations.
if(EXISTS ${CMAKE_SOURCE_DIR}/tools/word-standin/CMakeLists.txt)
  add_subdirectory(tools/word-standin)
endif()
