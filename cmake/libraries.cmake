# The library graph, the same for every platform: one library per layer, linked only downwards
#   platform -> maths -> runtime -> render -> toolkit -> scenes -> shell -> tools
# (maths needs no platform; each link names only the layer right below, the rest comes through it).
#
# A layer's library is made of its folder's own sources and those of the backend folders the
# platform builds, so adding a file never means editing a list. A backend folder holds what one
# platform alone needs, or what several share, named for what they share:
#
#   folder      holds                                                  built by
#   linux/      SDL2, GTK 3, EGL and Debian's decoders                  linux
#   win32/      the system's own calls, waveOut, the console            win32
#   web/        the page, WebAudio, the GL layer over WebGL 2           web
#   native/     a program that owns its thread (its frame loop)         linux, win32
#   posix/      a POSIX C library, a linker that wraps plain symbols    linux, web
#   emulated/   the Win32-style calls where the system has none         linux, web
#   portable/   stand-ins for what Debian has only for Linux (stb,      win32, web
#               the zip reader, the FFT) and no POSIX processes
#
# No backend folder includes or compiles another's (tests/layout checks it). A fourth platform
# adds its own folder, a cmake/<platform>.cmake that sets ORV_BACKEND_FOLDERS to it and the shared
# folders it needs and then includes this file, and one file per role in its folder, named as in
# the others (window.cpp, audio_device.cpp, archive_file.cpp, stop_request.cpp, memory.cpp...),
# each implementing the contract header of that role in the layer's folder. The platform file
# sets ORV_BACKEND_FOLDERS and orv_warnings before including this one, and afterwards links the
# third-party libraries each layer needs there: never one of these.

function(orv_layer_library name folder)
  set(patterns ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  foreach(backend ${ORV_BACKEND_FOLDERS})
    list(APPEND patterns ${CMAKE_SOURCE_DIR}/${folder}/${backend}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  # An optional third argument: a regular expression of sources left to a library of their own.
  if(ARGC GREATER 2)
    list(FILTER sources EXCLUDE REGEX "${ARGV2}")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE orv_warnings)
endfunction()

orv_layer_library(orv_platform platform)

# The base: value types, the one seeded generator, ramps and fades. No GL, no platform.
orv_layer_library(orv_maths maths)

# The music spectrum is pure arithmetic over samples, shared by the runtime and the soundtrack
# tool; on its own, the song is not rendered again whenever the rest of the runtime changes.
add_library(orv_music_fft STATIC ${CMAKE_SOURCE_DIR}/runtime/music_fft.cpp)
target_include_directories(orv_music_fft PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(orv_music_fft PRIVATE orv_warnings)

orv_layer_library(orv_runtime runtime ".*/music_fft\\.cpp$")
target_link_libraries(orv_runtime PUBLIC orv_maths orv_platform orv_music_fft)

orv_layer_library(orv_render render)
target_link_libraries(orv_render PUBLIC orv_runtime)
# Debug builds watch the GL state between effects (render/effect_gl_state.h).
target_compile_definitions(orv_render PRIVATE ORV_WATCH_EFFECT_GL_STATE=$<CONFIG:Debug>)

orv_layer_library(orv_toolkit toolkit)
target_link_libraries(orv_toolkit PUBLIC orv_render)

orv_layer_library(orv_scenes scenes)
target_link_libraries(orv_scenes PUBLIC orv_toolkit)

# The driver is a library so that the capture tool runs the very same start-up and frames.
orv_layer_library(orv_shell shell ".*/main\\.cpp$")
target_link_libraries(orv_shell PUBLIC orv_scenes)

# The capture's parts beside its entry point (options, run-up, progress, PNG and video writers).
orv_layer_library(orv_capture_lib tools/capture ".*/main\\.cpp$")
target_link_libraries(orv_capture_lib PUBLIC orv_runtime)

# The programs. orv_resources (the icon and banner compiled in) comes from the platform file.
add_executable(orvalune ${CMAKE_SOURCE_DIR}/shell/main.cpp)
target_link_libraries(orvalune PRIVATE orv_shell orv_resources orv_warnings)

add_executable(orvalune-capture ${CMAKE_SOURCE_DIR}/tools/capture/main.cpp)
target_link_libraries(orvalune-capture PRIVATE orv_capture_lib orv_shell orv_resources orv_warnings)
