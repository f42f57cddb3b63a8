# Writes the source of EngineVersion() and EngineIdentity() (src/calc/EngineVersion.h). Run at every
# build; the file is rewritten only when its text changes, so that nothing is recompiled otherwise.
#   cmake -DSOURCE_DIR=<sources> -DVERSION=<x.y> -DBUILD=<compiler and flags> -DOUTPUT=<file.cpp>
#         -P EngineVersion.cmake
#
# The version is for people: the project version and the git commit of the sources, with "-dirty"
# after uncommitted changes (just the project version without git).
#
# The identity is what caches and parts are tied to: a SHA-256 digest of every file of the layers
# the calculation is compiled from (their paths and contents) and of BUILD (the compiler, its version
# and the flags that may change how a number is computed). Two builds of the same sources with the same
# compiler get the same identity, whether from git or from a copy; any edit of one of those files
# gives another.
set(engine_layers geometry model acoustics propagation calc)

execute_process(COMMAND git -C ${SOURCE_DIR} describe --always --dirty --abbrev=12
                OUTPUT_VARIABLE commit RESULT_VARIABLE status ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
if(status EQUAL 0 AND NOT commit STREQUAL "")
  set(version "${VERSION}+${commit}")
else()
  set(version "${VERSION}")
endif()

set(listing "")
foreach(layer IN LISTS engine_layers)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/${layer}/*)
  list(SORT files)
  foreach(f IN LISTS files)
    file(SHA256 ${SOURCE_DIR}/src/${f} digest)
    string(APPEND listing "${f} ${digest}\n")
  endforeach()
endforeach()
string(SHA256 identity "${listing}build ${BUILD}\n")
string(SUBSTRING ${identity} 0 32 identity)

string(CONCAT text "// Written by cmake/EngineVersion.cmake at build time.\n#include \"calc/EngineVersion.h\"\n\n"
         "namespace kelmora {\n\nstd::string_view EngineVersion() {\n    return \"${version}\";\n}\n\n"
         "std::string_view EngineSourceDigest() {\n    return \"${identity}\";\n}\n\n"
         "}  // namespace kelmora\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
