# The library graph, the same for every platform: one library per layer, linked only downwards
#   platform -> maths -> runtime -> render -> toolkit -> scenes -> shell -> tools
# (maths needs no platform; each link names only the layer right below, the rest comes through it).
#
# A layer's library is made of its folder's sources and those of the platform's own subfolder
# (linux/ or win32/, from ORV_BACKEND), so adding a file never means editing a list. The platform
# files (cmake/linux.cmake, cmake/windows.cmake) set ORV_BACKEND and orv_warnings before including
# this one, and afterwards link the third-party libraries each layer needs there: never one of
# these.

function(orv_layer_library name folder)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp
                                      ${CMAKE_SOURCE_DIR}/${folder}/${ORV_BACKEND}/*.cpp)
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
