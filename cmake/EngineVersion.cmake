# Writes the source of EngineVersion(): the project version and the git commit of the sources, with
# "-dirty" after uncommitted changes. Run at every build; the file is rewritten only when the version
# changes, so that nothing is recompiled otherwise.
#   cmake -DSOURCE_DIR=<sources> -DVERSION=<x.y> -DOUTPUT=<file.cpp> -P EngineVersion.cmake
execute_process(COMMAND git -C ${SOURCE_DIR} describe --always --dirty --abbrev=12
                OUTPUT_VARIABLE commit RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
if(status EQUAL 0 AND NOT commit STREQUAL "")
  set(version "${VERSION}+${commit}")
else()
  set(version "${VERSION}")
endif()
set(text "// Written by cmake/EngineVersion.cmake at build time.\n#include \"calc/EngineVersion.h\"\n\n"
         "namespace kelmora {\n\nstd::string_view EngineVersion() {\n    return \"${version}\";\n}\n\n"
         "}  // namespace kelmora\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
