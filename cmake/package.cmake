# What an installation holds besides the programs and data.pak, and the Debian package made of it
# (cpack -G DEB, or scripts/release.sh): manual pages made from the programs' own --help texts,
# the desktop entry, the icon in the sizes of the hicolor theme drawn by the data generator,
# AppStream metainfo, the copyright file and the changelog. `cmake --install` puts the same files
# under any prefix.

# Where the project lives on the web: the package's and the metainfo's homepage, the address the
# release's screenshot is published at (scripts/release.sh writes it beside the package), and the
# AppStream id, that domain reversed. example.org stands in until the project has a home.
set(ORVALUNE_HOMEPAGE "https://orvalune.example.org" CACHE STRING "The project's web page")
set(ORVALUNE_APP_ID "org.example.orvalune.Orvalune" CACHE STRING "The AppStream component id")
set(ORVALUNE_MAINTAINER "The Orvalune developers <developers@orvalune.example.org>")
# The screenshot: one frame of the jellyfish scene, as the capture tool renders it.
set(ORV_SCREENSHOT_MS 110000)
set(ORV_SCREENSHOT_WIDTH 1280)
set(ORV_SCREENSHOT_HEIGHT 720)
set(ORV_SCREENSHOT_NAME orvalune-${PROJECT_VERSION}-screenshot.png)

# The release's date is its commit's, so that the same commit gives the same package (read when
# CMake configures: scripts/release.sh configures a build of its own).
find_package(Git QUIET)
execute_process(COMMAND ${GIT_EXECUTABLE} -C ${CMAKE_SOURCE_DIR} log -1 --format=%cs
  OUTPUT_VARIABLE ORV_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
execute_process(COMMAND ${GIT_EXECUTABLE} -C ${CMAKE_SOURCE_DIR} log -1 --format=%cD
  OUTPUT_VARIABLE ORV_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ORV_RELEASE_DATE)
  string(TIMESTAMP ORV_RELEASE_DATE "%Y-%m-%d" UTC)
  string(TIMESTAMP ORV_RELEASE_TIME "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()

set(ORV_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
set(ORV_INSTALL_GEN ${CMAKE_BINARY_DIR}/gen/install)
file(MAKE_DIRECTORY ${ORV_INSTALL_GEN}/man)

# Manual pages: the tool prints each program's own usage text as roff; gzip -n keeps no date.
add_executable(orvalune-manpage ${ORV_PACKAGING}/man_page.cpp)
target_link_libraries(orvalune-manpage PRIVATE orv_shell orv_capture_lib orv_warnings)
set(man_pages)
foreach(page orvalune.6 orvalune-capture.1)
  string(REGEX REPLACE "\\.[0-9]$" "" program ${page})
  string(REGEX REPLACE "^.*\\." "" section ${page})
  set(out ${ORV_INSTALL_GEN}/man/${page})
  add_custom_command(OUTPUT ${out}.gz
    COMMAND orvalune-manpage ${program} ${ORV_RELEASE_DATE} ${out}
    COMMAND gzip -9nf ${out}
    DEPENDS orvalune-manpage
    COMMENT "Writing the manual page ${page}" VERBATIM)
  install(FILES ${out}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND man_pages ${out}.gz)
endforeach()

# The icon at every size of the hicolor theme, drawn by the data generator.
set(icons)
foreach(size 16 22 24 32 48 64 128)
  list(APPEND icons ${ORV_INSTALL_GEN}/icons/${size}x${size}/apps/orvalune.png)
endforeach()
add_custom_command(OUTPUT ${icons}
  COMMAND orvalune-datagen hicolor ${ORV_INSTALL_GEN}/icons
  DEPENDS orvalune-datagen
  COMMENT "Drawing the icons" VERBATIM)
install(DIRECTORY ${ORV_INSTALL_GEN}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

configure_file(${ORV_PACKAGING}/metainfo.xml.in ${ORV_INSTALL_GEN}/${ORVALUNE_APP_ID}.metainfo.xml @ONLY)
configure_file(${ORV_PACKAGING}/changelog.in ${ORV_INSTALL_GEN}/changelog @ONLY)
add_custom_command(OUTPUT ${ORV_INSTALL_GEN}/changelog.gz
  COMMAND gzip -9nkf ${ORV_INSTALL_GEN}/changelog
  DEPENDS ${ORV_INSTALL_GEN}/changelog VERBATIM)
add_custom_target(package_files ALL DEPENDS ${man_pages} ${icons} ${ORV_INSTALL_GEN}/changelog.gz)

install(FILES ${ORV_PACKAGING}/orvalune.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ORV_INSTALL_GEN}/${ORVALUNE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${ORV_PACKAGING}/copyright ${ORV_INSTALL_GEN}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orvalune)

# The screenshot the metainfo names: made on demand (it needs a display), by scripts/release.sh.
add_custom_target(screenshot
  COMMAND orvalune-capture --at ${ORV_SCREENSHOT_MS} --size ${ORV_SCREENSHOT_WIDTH}x${ORV_SCREENSHOT_HEIGHT} --force
          --out ${CMAKE_BINARY_DIR}/gen/screenshot
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/gen/screenshot/at_${ORV_SCREENSHOT_MS}.png
          ${CMAKE_BINARY_DIR}/${ORV_SCREENSHOT_NAME}
  DEPENDS orvalune-capture data_pak
  COMMENT "Capturing ${ORV_SCREENSHOT_NAME}" VERBATIM)

# The Debian package: orvalune_VERSION_amd64.deb, its Depends computed by dpkg-shlibdeps.
# Packaging takes what is built; it does not build everything first (the tests package while
# other suites run).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvalune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORVALUNE_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ORVALUNE_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg, zenity")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
file(READ ${ORV_PACKAGING}/description.txt CPACK_DEBIAN_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
include(CPack)
