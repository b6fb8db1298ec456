# cmake -DVERSION=1.2.3 -DSOURCE_DIR=... -DOUT=.../version.cpp -P version_stamp.cmake
# Writes the version and the commit of SOURCE_DIR ("" outside a git checkout; "-modified" when
# tracked files differ from it) into OUT, touching OUT only when that changes.
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
    OUTPUT_VARIABLE head OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(NOT failed AND head)
    set(commit ${head})
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} status --porcelain --untracked-files=no
      OUTPUT_VARIABLE changes ERROR_QUIET)
    if(changes)
      string(APPEND commit "-modified")
    endif()
  endif()
endif()
string(CONCAT text "// Made by cmake/version_stamp.cmake at every build.\n#include \"runtime/version.h\"\n\n"
         "const char* orvaluneVersion() { return \"${VERSION}\"; }\n"
         "const char* orvaluneCommit() { return \"${commit}\"; }\n")
if(EXISTS ${OUT})
  file(READ ${OUT} old)
endif()
# Written aside and renamed, so that a compiler never reads half a file while parallel builds
# stamp at once.
if(NOT old STREQUAL text)
  string(RANDOM LENGTH 8 suffix)
  file(WRITE ${OUT}.${suffix} "${text}")
  file(RENAME ${OUT}.${suffix} ${OUT})
endif()
