# The Windows package, orvalune-VERSION-windows.zip: one folder holding orvalune.exe,
# orvalune-capture.exe, data.pak, README.txt (how to start, the keys, the capture tool) and
# licences/ with the licence texts of Orvalune and of everything the programs have compiled in.
# Included by cmake/windows.cmake.

set(ORV_ZIP_FOLDER orvalune-${PROJECT_VERSION}-windows)
set(ORV_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip/${ORV_ZIP_FOLDER})
configure_file(${CMAKE_SOURCE_DIR}/packaging/README-windows.txt.in ${CMAKE_BINARY_DIR}/zip/README.txt @ONLY
  NEWLINE_STYLE CRLF)

# The programs are linked statically (cmake/mingw-w64-x86_64.cmake): they hold MinGW-w64's C
# runtime and winpthreads, GCC's libgcc and libstdc++ (GPL 3 with the GCC Runtime Library
# Exception), zlib and stb. Each text is Debian's copyright file of the very package the build
# took it from.
set(licence_copies)
foreach(pair "orvalune=${CMAKE_SOURCE_DIR}/packaging/copyright"
             "zlib=/usr/share/doc/libz-mingw-w64-dev/copyright"
             "stb=/usr/share/doc/libstb-dev/copyright"
             "mingw-w64=/usr/share/doc/mingw-w64-common/copyright"
             "gcc-runtime=/usr/share/doc/gcc-mingw-w64-base/copyright"
             "GPL-3=/usr/share/common-licenses/GPL-3")
  string(REPLACE "=" ";" pair ${pair})
  list(GET pair 0 name)
  list(GET pair 1 source)
  if(NOT EXISTS ${source})
    message(FATAL_ERROR "The Windows zip needs the licence text ${source}, which is missing (scripts/setup.sh installs its package)")
  endif()
  list(APPEND licence_copies COMMAND ${CMAKE_COMMAND} -E copy ${source} ${ORV_ZIP_STAGE}/licences/${name}.txt)
endforeach()

add_custom_target(package_zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${ORV_ZIP_STAGE} ${CMAKE_BINARY_DIR}/${ORV_ZIP_FOLDER}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORV_ZIP_STAGE}/licences
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:orvalune> $<TARGET_FILE:orvalune-capture>
          ${CMAKE_BINARY_DIR}/data.pak ${CMAKE_BINARY_DIR}/zip/README.txt ${ORV_ZIP_STAGE}
  ${licence_copies}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${ORV_ZIP_FOLDER}.zip --format=zip ${ORV_ZIP_FOLDER}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/zip
  DEPENDS orvalune orvalune-capture data_pak
  COMMENT "Packing ${ORV_ZIP_FOLDER}.zip" VERBATIM)
