# The engine identity made at build time (cmake/EngineVersion.cmake): the same for two copies of the
# same sources, another after an edit of one source of the calculation's layers, a new file in one of
# them or another compiler, and the same after an edit outside those layers.
#   cmake -DSOURCE_DIR=<sources> -DWORK=<scratch folder> -P EngineIdentity.cmake
file(REMOVE_RECURSE ${WORK})

function(copy_sources tree)
  file(MAKE_DIRECTORY ${tree}/src)
  foreach(layer geometry model acoustics propagation calc app)
    file(COPY ${SOURCE_DIR}/src/${layer} DESTINATION ${tree}/src)
  endforeach()
endfunction()

# The digest written for the sources in `tree` built with `build`.
function(identity tree build out)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -DVERSION=0.1 -DBUILD=${build}
                          -DOUTPUT=${tree}/EngineVersion.cpp -P ${SOURCE_DIR}/cmake/EngineVersion.cmake
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "EngineVersion.cmake failed on ${tree}")
  endif()
  file(READ ${tree}/EngineVersion.cpp text)
  if(NOT text MATCHES "EngineSourceDigest\\(\\) {\n    return \"([0-9a-f]+)\";")
    message(FATAL_ERROR "no digest in ${tree}/EngineVersion.cpp:\n${text}")
  endif()
  string(LENGTH "${CMAKE_MATCH_1}" length)
  if(NOT length EQUAL 32)
    message(FATAL_ERROR "a digest of ${length} digits")
  endif()
  set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

function(expect what a b same)
  if(same AND NOT a STREQUAL b)
    message(FATAL_ERROR "${what}: the identities differ (${a}, ${b})")
  elseif(NOT same AND a STREQUAL b)
    message(FATAL_ERROR "${what}: the identity stays ${a}")
  endif()
endfunction()

foreach(copy first second)
  copy_sources(${WORK}/${copy})
endforeach()
identity(${WORK}/first "GNU 12" first)
identity(${WORK}/second "GNU 12" second)
expect("two copies of the same sources" ${first} ${second} TRUE)

identity(${WORK}/second "Clang 16" compiler)
expect("another compiler" ${first} ${compiler} FALSE)

file(APPEND ${WORK}/second/src/app/MainWindow.cpp "// an edit outside the engine\n")
identity(${WORK}/second "GNU 12" outside)
expect("an edit of the desktop program" ${first} ${outside} TRUE)

# The speed of sound of the diffraction formulas, or a comment should it have moved.
set(formulas_h ${WORK}/second/src/acoustics/Formulas.h)
file(READ ${formulas_h} formulas)
string(REGEX REPLACE "kSpeedOfSound = ([0-9.]+);" "kSpeedOfSound = \\1 + 0.1;" edited "${formulas}")
if(edited STREQUAL formulas)
  string(APPEND edited "// an edit\n")
endif()
file(WRITE ${formulas_h} "${edited}")
identity(${WORK}/second "GNU 12" formula)
expect("an edited formula" ${first} ${formula} FALSE)

file(WRITE ${formulas_h} "${formulas}")
identity(${WORK}/second "GNU 12" restored)
expect("the formula restored" ${first} ${restored} TRUE)

file(WRITE ${WORK}/second/src/calc/Extra.h "#pragma once\n")
identity(${WORK}/second "GNU 12" added)
expect("a new file in the engine" ${first} ${added} FALSE)

file(REMOVE_RECURSE ${WORK})
