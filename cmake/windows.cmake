# The Windows build, cross-compiled with MinGW-w64 (scripts/build-windows.sh): the show and the
# capture tool as native Win32 programs, with neither SDL nor GTK.
#
# What comes from where, none of it copied into the tree:
#   zlib                  Debian's MinGW build (libz-mingw-w64-dev)
#   OpenGL, GLU           the system's opengl32 and glu32
#   stb_image, stb_vorbis Debian's libstb-dev headers, compiled in files of our own; stb_vorbis
#                         decodes the music (libvorbis has no MinGW build in Debian)
#   the archive           our zip reader over zlib behind PhysicsFS's interface
#                         (runtime/portable/physfs.h): PhysicsFS has no MinGW build nor source here
#   the FFT               our radix-2 transform behind kissfft's interface (runtime/portable/kissfft)
# runtime/portable/ holds these stand-ins, shared with the browser build (cmake/portable.cmake).
# data.pak and the generated module resources come from the Linux build (ORV_HOST_BUILD): the
# data is the very same file on both platforms.

set(ORV_HOST_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH "The Linux build that made data.pak")

find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)

add_library(orv_warnings INTERFACE)
# Windows' PROC returns INT_PTR, so every GL entry point cast from wglGetProcAddress's answer would
# warn: that cast is how WGL is meant to be used.
target_compile_options(orv_warnings INTERFACE -Wall -Wextra -Wno-cast-function-type
  $<$<BOOL:${ORVALUNE_WERROR}>:-Werror>)

add_library(orv_windows_base INTERFACE)
target_compile_definitions(orv_windows_base INTERFACE _USE_MATH_DEFINES)
target_link_libraries(orv_windows_base INTERFACE Threads::Threads)
include(${CMAKE_CURRENT_LIST_DIR}/portable.cmake)
orv_portable_third_party(orv_windows_base)

set(ORV_BACKEND_FOLDERS win32 native portable)
include(${CMAKE_CURRENT_LIST_DIR}/libraries.cmake)

target_link_libraries(orv_platform PUBLIC orv_stb opengl32 gdi32 user32 comctl32 shell32)
target_link_libraries(orv_runtime PUBLIC ZLIB::ZLIB glu32 opengl32 winmm)
# Line widths and point sizes reach the runtime first, which scales them to the frame buffer drawn
# into (runtime/win32/gl_sizes.cpp): MinGW calls them through their import pointers.
target_link_options(orv_runtime INTERFACE -Wl,--wrap=__imp_glLineWidth -Wl,--wrap=__imp_glPointSize)
target_link_libraries(orv_capture_lib PUBLIC ZLIB::ZLIB)
orv_portable_sources(orv_windows_base)

add_library(orv_resources STATIC ${ORV_HOST_BUILD}/gen/resources.cpp)
target_link_libraries(orv_resources PUBLIC orv_platform)

# Icon 113, the one the window and the dialog ask for, drawn by the Linux build's generator.
enable_language(RC)
file(WRITE ${CMAKE_BINARY_DIR}/orvalune.rc "113 ICON \"${ORV_HOST_BUILD}/gen/orvalune.ico\"\n")
set_source_files_properties(${CMAKE_BINARY_DIR}/orvalune.rc PROPERTIES OBJECT_DEPENDS ${ORV_HOST_BUILD}/gen/orvalune.ico)
target_sources(orvalune PRIVATE ${CMAKE_BINARY_DIR}/orvalune.rc)
# The show is a GUI program: a double click opens no console beside it (its lines go to its log
# file, %LOCALAPPDATA%\Orvalune\orvalune.log). The capture stays a console program.
set_target_properties(orvalune PROPERTIES WIN32_EXECUTABLE TRUE)

# The same data.pak as the Linux build, beside the programs.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/data.pak
  COMMAND ${CMAKE_COMMAND} -E copy ${ORV_HOST_BUILD}/data.pak ${CMAKE_BINARY_DIR}/data.pak
  DEPENDS ${ORV_HOST_BUILD}/data.pak)
add_custom_target(data_pak ALL DEPENDS ${CMAKE_BINARY_DIR}/data.pak)

# The package: orvalune-VERSION-windows.zip with the programs, data.pak, a README and the licences.
include(${CMAKE_SOURCE_DIR}/cmake/windows_zip.cmake)

option(ORVALUNE_TESTS "Build the test suites that run under Wine" ON)
if(ORVALUNE_TESTS)
  include(${CMAKE_SOURCE_DIR}/cmake/windows_tests.cmake)
endif()
