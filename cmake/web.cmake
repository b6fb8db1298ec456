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

add_library(orv_web_base INTERFACE)
target_include_directories(orv_web_base SYSTEM INTERFACE ${ORV_ZLIB_DIR}/include)
include(${CMAKE_CURRENT_LIST_DIR}/portable.cmake)
orv_portable_third_party(orv_web_base)

set(ORV_BACKEND_FOLDERS web posix emulated portable)
include(${CMAKE_CURRENT_LIST_DIR}/libraries.cmake)

target_link_libraries(orv_runtime PUBLIC ${ORV_ZLIB_DIR}/lib/libz.a)
# The page's C library is POSIX (the data arrives in its in-memory file system) and its linker
# wraps symbols as GNU ld does (runtime/posix/).
target_link_options(orv_runtime INTERFACE -Wl,--wrap=glLineWidth -Wl,--wrap=glPointSize)
target_link_libraries(orv_capture_lib PUBLIC ${ORV_ZLIB_DIR}/lib/libz.a)
orv_portable_sources(orv_web_base)

add_library(orv_resources STATIC ${ORV_HOST_BUILD}/gen/resources.cpp)
target_link_libraries(orv_resources PUBLIC orv_platform)

# The programs: started by their page (callMain) once data.pak is in their file system.
set(orv_page_link_options
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728
  -sINVOKE_RUN=0 -sEXIT_RUNTIME=0 -sENVIRONMENT=web
  "-sEXPORTED_RUNTIME_METHODS=['callMain','FS']"
  "-sEXPORTED_FUNCTIONS=['_main','_orvPositionMs','_orvRenderAudio']"
  -sFORCE_FILESYSTEM=1)
set_target_properties(orvalune PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_WEB_OUT} SUFFIX ".js")
target_link_options(orvalune PRIVATE ${orv_page_link_options})

# The capture tool as a page of its own, for the tests: the same frames as on Linux, written to
# the page's file system as PNG files (video needs a child process: none here).
set(ORV_CAPTURE_PAGE ${CMAKE_BINARY_DIR}/capture-page)
set_target_properties(orvalune-capture PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ORV_CAPTURE_PAGE} SUFFIX ".js")
target_link_options(orvalune-capture PRIVATE ${orv_page_link_options})
add_custom_command(OUTPUT ${ORV_CAPTURE_PAGE}/index.html ${ORV_CAPTURE_PAGE}/data.pak
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_CAPTURE_PAGE}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/web/page/capture.html ${ORV_CAPTURE_PAGE}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${ORV_HOST_BUILD}/data.pak ${ORV_CAPTURE_PAGE}/data.pak
  DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/page/capture.html ${ORV_HOST_BUILD}/data.pak)
add_custom_target(capture_page ALL DEPENDS ${ORV_CAPTURE_PAGE}/index.html ${ORV_CAPTURE_PAGE}/data.pak orvalune-capture)

# The page and the data beside the program.
add_custom_command(OUTPUT ${ORV_WEB_OUT}/index.html ${ORV_WEB_OUT}/data.pak
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_WEB_OUT}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/platform/web/page/index.html ${ORV_WEB_OUT}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${ORV_HOST_BUILD}/data.pak ${ORV_WEB_OUT}/data.pak
  DEPENDS ${CMAKE_SOURCE_DIR}/platform/web/page/index.html ${ORV_HOST_BUILD}/data.pak)
add_custom_target(web_page ALL DEPENDS ${ORV_WEB_OUT}/index.html ${ORV_WEB_OUT}/data.pak orvalune)
