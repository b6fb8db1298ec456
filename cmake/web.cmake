# The browser build, compiled to WebAssembly by Debian's emscripten (scripts/build-web.sh): the show
# as a page, orvalune.js and orvalune.wasm beside it, and data.pak, in ORV_WEB_OUT (build-web/).
# No SDL, no threads, no SharedArrayBuffer: any static web server serves the folder.
#
# What comes from where, none of it copied into the tree:
#   zlib                  Debian's source package, built with emcc by scripts/build-web.sh
#   OpenGL 1.x, GLU       our own layer over WebGL 2 (platform/web/gl_*.cpp)
#   stb_image, stb_vorbis Debian's libstb-dev headers, compiled in files of our own
#   the archive, the FFT  our zip reader and radix-2 transform (runtime/portable/), as on Windows
# data.pak and the generated module resources come from the Linux build (ORV_HOST_BUILD).

set(ORV_HOST_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH "The Linux build that made data.pak")
set(ORV_ZLIB_DIR "${CMAKE_BINARY_DIR}/zlib" CACHE PATH "zlib built with emcc: include/ and lib/libz.a")
set(ORV_WEB_OUT "${CMAKE_SOURCE_DIR}/build-web" CACHE PATH "The folder the page is written to")

add_library(orv_warnings INTERFACE)
target_compile_options(orv_warnings INTERFACE -Wall -Wextra $<$<BOOL:${ORVALUNE_WERROR}>:-Werror>)

# The show catches its errors to end cleanly: the page needs exceptions caught too.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

set(ORV_STB_DIR ${CMAKE_BINARY_DIR}/third_party)
file(MAKE_DIRECTORY ${ORV_STB_DIR}/stb)
foreach(header stb_image.h stb_image_write.h stb_vorbis.h)
  configure_file(/usr/include/stb/${header} ${ORV_STB_DIR}/stb/${header} COPYONLY)
endforeach()

add_library(orv_web_base INTERFACE)
target_include_directories(orv_web_base SYSTEM INTERFACE ${ORV_STB_DIR} ${CMAKE_SOURCE_DIR}/runtime/portable
  ${ORV_ZLIB_DIR}/include)

# Third-party implementations: built as they come, without our warnings.
add_library(orv_stb STATIC ${CMAKE_SOURCE_DIR}/runtime/portable/third_party/stb_image.cpp
  ${CMAKE_SOURCE_DIR}/runtime/portable/third_party/stb_vorbis.cpp)
target_link_libraries(orv_stb PUBLIC orv_web_base)

add_library(orv_kissfft STATIC ${CMAKE_SOURCE_DIR}/runtime/portable/kissfft/kiss_fftr.cpp)
target_include_directories(orv_kissfft PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(orv_kissfft PRIVATE orv_web_base orv_warnings)

set(ORV_BACKEND web)
include(${CMAKE_CURRENT_LIST_DIR}/libraries.cmake)

foreach(library orv_platform orv_maths orv_music_fft orv_runtime orv_render orv_toolkit orv_scenes orv_shell
                orv_capture_lib)
  target_link_libraries(${library} PUBLIC orv_web_base)
endforeach()
target_link_libraries(orv_music_fft PRIVATE orv_kissfft)
target_link_libraries(orv_runtime PUBLIC orv_stb ${ORV_ZLIB_DIR}/lib/libz.a)
# The zip reader and the stb decoders, shared with the Windows build.
file(GLOB orv_portable_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/runtime/portable/*.cpp)
target_sources(orv_runtime PRIVATE ${orv_portable_sources})

add_library(orv_resources STATIC ${ORV_HOST_BUILD}/gen/resources.cpp)
target_link_libraries(orv_resources PUBLIC orv_platform)

# The capture tool writes files and starts ffmpeg: it has no page.
set_target_properties(orvalune-capture orv_capture_lib PROPERTIES EXCLUDE_FROM_ALL ON)

# The show: started by the page (callMain) once data.pak is in its file system.
set_target_properties(orvalune PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_WEB_OUT} SUFFIX ".js")
target_link_options(orvalune PRIVATE
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=0 -sENVIRONMENT=web
  "-sEXPORTED_RUNTIME_METHODS=['callMain','FS']"
  "-sEXPORTED_FUNCTIONS=['_main','_orvPositionMs','_orvRenderAudio']"
  -sFORCE_FILESYSTEM=1)

# The page and the data beside the program.
add_custom_command(OUTPUT ${ORV_WEB_OUT}/index.html ${ORV_WEB_OUT}/data.pak
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_WEB_OUT}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/web/page/index.html ${ORV_WEB_OUT}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${ORV_HOST_BUILD}/data.pak ${ORV_WEB_OUT}/data.pak
  DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/page/index.html ${ORV_HOST_BUILD}/data.pak)
add_custom_target(web_page ALL DEPENDS ${ORV_WEB_OUT}/index.html ${ORV_WEB_OUT}/data.pak orvalune)
