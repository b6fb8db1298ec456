# What a release is made of: the version stamp both builds carry, and (Linux build) the Debian
# package's pieces. Included from CMakeLists.txt right after project(), whose VERSION is the one
# version number; the rest runs once every target is defined.

# The commit is read at every build, not only when CMake configures: a new commit without a new
# configure still gets its own stamp. The stamp is rewritten only when it changes.
set(ORV_VERSION_SOURCE ${CMAKE_BINARY_DIR}/gen/version.cpp)
function(orv_attach_version_stamp)
  add_custom_target(orv_version_stamp
    COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
            -DOUT=${ORV_VERSION_SOURCE} -P ${CMAKE_SOURCE_DIR}/cmake/version_stamp.cmake
    BYPRODUCTS ${ORV_VERSION_SOURCE}
    COMMENT "Stamping the version" VERBATIM)
  # The runtime is under every program and test, on Linux and Windows alike.
  target_sources(orv_runtime PRIVATE ${ORV_VERSION_SOURCE})
  add_dependencies(orv_runtime orv_version_stamp)
endfunction()
cmake_language(DEFER CALL orv_attach_version_stamp)

if(NOT WIN32)
  cmake_language(DEFER CALL include ${CMAKE_SOURCE_DIR}/cmake/package.cmake)
endif()
