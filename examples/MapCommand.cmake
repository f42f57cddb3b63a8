# kelmora-calc map on the example project with the LAeqT results of its grid: pictures and GIS files
# are written, the difference of a result with itself is one class around zero, and every failure
# exits 1 with a message and leaves no file behind.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run_map expected_code)
  execute_process(COMMAND ${CALC} map ${PROJECT} ${ARGN}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL expected_code)
    message(FATAL_ERROR "map ${ARGN}: exit ${code}, expected ${expected_code}\n${out}\n${err}")
  endif()
  set(map_out "${out}" PARENT_SCOPE)
  set(map_err "${err}" PARENT_SCOPE)
endfunction()

foreach(name map.png map.svg map.geojson map.gpkg map.tif)
  run_map(0 --results ${RESULTS} -o ${WORK}/${name})
  if(NOT EXISTS ${WORK}/${name})
    message(FATAL_ERROR "map wrote no ${name}")
  endif()
endforeach()
if(NOT map_out MATCHES "LAeqT, 11 × 11")
  message(FATAL_ERROR "map did not report the grid: ${map_out}")
endif()

run_map(0 --results ${RESULTS} --minus ${RESULTS} -o ${WORK}/same.png)
if(NOT map_out MATCHES "0 – \\+2 +13500.0")
  message(FATAL_ERROR "a result less itself is not one band around zero over the whole grid: ${map_out}")
endif()

file(WRITE ${WORK}/garbage.txt "not a result file\n")
run_map(1 --results ${WORK}/garbage.txt -o ${WORK}/bad.png)
if(NOT map_err MATCHES "1 行目")
  message(FATAL_ERROR "no reason for a bad result file: ${map_err}")
endif()
run_map(1 --results ${RESULTS} -o ${WORK}/bad.bmp)
run_map(1 --results ${RESULTS} --scheme rainbow -o ${WORK}/bad.png)
run_map(1 --results ${RESULTS} --crs 6677 -o ${WORK}/bad.gpkg)
run_map(1 --results ${RESULTS} -o ${WORK}/garbage.txt/bad.png)  # a folder that is a file
run_map(1 --results ${RESULTS} -o ${WORK}/garbage.txt/bad.geojson)

# A failed write keeps the old file whole.
file(WRITE ${WORK}/keep.png "old")
run_map(1 --results ${WORK}/garbage.txt -o ${WORK}/keep.png)
file(READ ${WORK}/keep.png kept)
if(NOT kept STREQUAL "old")
  message(FATAL_ERROR "a failed map replaced the old file")
endif()

file(GLOB left RELATIVE ${WORK} ${WORK}/* ${WORK}/.*)
list(SORT left)
set(expected garbage.txt keep.png map.geojson map.gpkg map.png map.svg map.tif same.png)
if(NOT left STREQUAL expected)
  message(FATAL_ERROR "files left in ${WORK}: ${left}")
endif()
