# The Linux build: SDL2 and GTK 3 for window, input, audio and dialogs; EGL for the offline GL
# context; PhysicsFS, libjpeg-turbo, libpng, libvorbis and KissFFT from Debian. The libraries and
# their links are cmake/libraries.cmake; this file adds only what each of them needs from the
# system.

set(ORV_BACKEND_FOLDERS linux native posix emulated)

find_package(PkgConfig REQUIRED)
# EGL: the offline context needs no window system (runtime/linux/offscreen_egl.cpp).
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX EGL)
find_package(ZLIB REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(PHYSFS REQUIRED IMPORTED_TARGET physfs)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisfile vorbisenc vorbis ogg)
pkg_check_modules(KISSFFT REQUIRED IMPORTED_TARGET kissfft-float)
pkg_check_modules(STB REQUIRED IMPORTED_TARGET stb)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
find_library(GLU_LIBRARY GLU REQUIRED)

# Our own code builds without warnings; third-party headers come in as system includes.
add_library(orv_warnings INTERFACE)
target_compile_options(orv_warnings INTERFACE -Wall -Wextra $<$<BOOL:${ORVALUNE_WERROR}>:-Werror>)

include(${CMAKE_CURRENT_LIST_DIR}/libraries.cmake)

target_link_libraries(orv_platform PUBLIC PkgConfig::SDL2 PkgConfig::GTK3 PkgConfig::STB OpenGL::GL)
target_link_libraries(orv_music_fft PRIVATE PkgConfig::KISSFFT)
target_link_libraries(orv_runtime PUBLIC OpenGL::GL ${GLU_LIBRARY}
  PRIVATE OpenGL::EGL PkgConfig::SDL2 PkgConfig::PHYSFS PkgConfig::VORBIS PkgConfig::JPEG PkgConfig::PNG)
target_link_libraries(orv_capture_lib PUBLIC ZLIB::ZLIB Threads::Threads)
# Line widths and point sizes reach the runtime first, which scales them to the frame buffer drawn
# into (runtime/posix/gl_sizes.cpp): every program linking it gets the wrap.
target_link_options(orv_runtime INTERFACE -Wl,--wrap=glLineWidth -Wl,--wrap=glPointSize)

# The data generator, data.pak and the module resources (orv_resources).
add_subdirectory(tools)

# Every program a user runs sits in the build folder itself, beside data.pak.
add_dependencies(orvalune data_pak)
add_dependencies(orvalune-capture data_pak)
