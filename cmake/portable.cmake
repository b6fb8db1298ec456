# What the Windows and browser builds share in place of the system libraries the Linux build
# takes from Debian: Debian's stb headers compiled in files of our own (images, the music), our zip
# reader over zlib behind PhysicsFS's interface and our radix-2 transform behind kissfft's
# (runtime/portable/), a start without POSIX descriptors or signals (platform/portable/), and
# frames-only capture (tools/capture/portable/). The portable/ folders' own sources come in with
# the library graph (ORV_BACKEND_FOLDERS); here, the third-party code they stand on.

# Before the library graph: the stb headers as <stb/...> (Debian's /usr/include cannot be searched
# by these compilers as a whole), and the third-party libraries, built against `base`.
function(orv_portable_third_party base)
  set(stb ${CMAKE_BINARY_DIR}/third_party)
  file(MAKE_DIRECTORY ${stb}/stb)
  foreach(header stb_image.h stb_image_write.h stb_vorbis.h)
    configure_file(/usr/include/stb/${header} ${stb}/stb/${header} COPYONLY)
  endforeach()
  target_include_directories(${base} SYSTEM INTERFACE ${stb} ${CMAKE_SOURCE_DIR}/runtime/portable)

  # Third-party implementations: built as they come, without our warnings.
  add_library(orv_stb STATIC ${CMAKE_SOURCE_DIR}/runtime/portable/third_party/stb_image.cpp
    ${CMAKE_SOURCE_DIR}/runtime/portable/third_party/stb_vorbis.cpp)
  target_link_libraries(orv_stb PUBLIC ${base})

  # Our radix-2 transform behind kissfft's interface, for the music spectrum.
  add_library(orv_kissfft STATIC ${CMAKE_SOURCE_DIR}/runtime/portable/kissfft/kiss_fftr.cpp)
  target_include_directories(orv_kissfft PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(orv_kissfft PRIVATE ${base} orv_warnings)
endfunction()

# After the library graph: every library of it built against `base`, and the third-party libraries
# in the layers that use them.
function(orv_portable_sources base)
  foreach(library orv_platform orv_maths orv_music_fft orv_runtime orv_render orv_toolkit orv_scenes orv_shell
                  orv_capture_lib)
    target_link_libraries(${library} PUBLIC ${base})
  endforeach()
  target_link_libraries(orv_music_fft PRIVATE orv_kissfft)
  target_link_libraries(orv_runtime PUBLIC orv_stb)
endfunction()
