# The test suites of the Windows build, run under Wine by the test command: those that need
# neither SDL, GTK nor POSIX processes, from the very sources of the Linux suites. They are grouped
# into four programs (each Wine start costs seconds), one per runtime opening: the runtime on its
# small test archive, the render checks, the toolkit with the maths and the Win32 pieces, and the
# scenes through the capture tool.
#
# GoogleTest has no MinGW package in Debian: it is built here from Debian's sources (googletest).
set(ORV_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources (Debian's googletest)")
if(NOT EXISTS ${ORV_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "The Windows tests need GoogleTest's sources in ${ORV_GTEST_SOURCE} (apt-get install googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORV_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

set(ORV_TESTS ${CMAKE_SOURCE_DIR}/tests)
# The tests name files by the paths Wine gives the Linux folders (drive Z: is the root).
add_library(orv_windows_test_support STATIC
  ${ORV_TESTS}/support/capture.cpp ${ORV_TESTS}/support/gl_context.cpp
  ${ORV_TESTS}/support/win32/process_win32.cpp)
target_link_libraries(orv_windows_test_support PUBLIC orv_runtime gtest PRIVATE orv_warnings)
target_compile_definitions(orv_windows_test_support PUBLIC
  ORV_BINARY_DIR="Z:${CMAKE_BINARY_DIR}" ORV_SOURCE_DIR="Z:${CMAKE_SOURCE_DIR}")

function(orv_windows_suite name)
  cmake_parse_arguments(ARG "" "" "FILES;FOLDERS;EXCLUDE;LIBRARIES" ${ARGN})
  set(sources ${ARG_FILES})
  foreach(folder ${ARG_FOLDERS})
    file(GLOB found CONFIGURE_DEPENDS ${ORV_TESTS}/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  foreach(pattern ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  add_executable(test_windows_${name} ${sources})
  target_link_libraries(test_windows_${name} PRIVATE orv_windows_test_support gtest_main orv_warnings ${ARG_LIBRARIES})
  add_dependencies(windows_tests test_windows_${name})
endfunction()
add_custom_target(windows_tests)

# Linux only: the live clock on SDL's disk device and on a PulseAudio server, the music decoded by
# libvorbis and encoded by the generator.
orv_windows_suite(runtime FOLDERS runtime
  EXCLUDE "/(audio_clock|audio_loss|music_fft|music_stream)_test\\.cpp$" "/test_song\\.cpp$"
  FILES ${ORV_TESTS}/support/win32/test_song_file.cpp ${CMAKE_SOURCE_DIR}/tools/datagen/pak.cpp
  LIBRARIES orv_runtime)
target_compile_definitions(test_windows_runtime PRIVATE ORV_TEST_SONG="Z:${ORV_HOST_BUILD}/gen/test-song.ogg")
# Linux only: the upload check interposes glTexImage2D with dlsym; the driver checks end death-test
# children whose message boxes the scripted backend records (Windows shows real ones). The
# browser's shader translation is pure text, checked once by the Linux suite.
orv_windows_suite(render FOLDERS render
  EXCLUDE "/(render_targets_test|gl_capabilities_test|expected_box|glsl_es_test)\\.cpp$" LIBRARIES orv_toolkit)
orv_windows_suite(toolkit FOLDERS toolkit maths win32 LIBRARIES orv_toolkit orv_shell orv_resources)
orv_windows_suite(scenes FOLDERS scenes LIBRARIES orv_scenes orv_shell)
add_dependencies(windows_tests orvalune orvalune-capture data_pak)
