# kelmora-calc map on the example project with the LAeqT results of its grid: pictures, printed pages
# and GIS files are written, the difference of a result with itself is the grey class around zero, and
# every failure exits 1 with a message and leaves no file behind.
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

run_map(0 --results ${RESULTS} --minus ${RESULTS} --no-mask -o ${WORK}/same.png)
if(NOT map_out MATCHES "−0.5 – \\+0.5 +13500.0")
  message(FATAL_ERROR "a result less itself is not the grey class over the whole grid: ${map_out}")
endif()
# The buildings on the grid are left uncoloured unless asked otherwise.
run_map(0 --results ${RESULTS} --minus ${RESULTS} -o ${WORK}/same.png)
if(map_out MATCHES "13500.0" OR NOT map_out MATCHES "−0.5 – \\+0.5 +1[0-9][0-9][0-9][0-9].[0-9]")
  message(FATAL_ERROR "the buildings are not masked: ${map_out}")
endif()

# Printed pages: a PDF at a scale with a title, the same page as a picture.
run_map(0 --results ${RESULTS} -o ${WORK}/page.pdf --layout A3L --scale 1000 --title "工場の騒音")
file(READ ${WORK}/page.pdf pdf LIMIT 4)
if(NOT pdf MATCHES "^%PDF")
  message(FATAL_ERROR "the page is no PDF")
endif()
run_map(0 --results ${RESULTS} -o ${WORK}/page.png --layout A4P --dpi 72)
run_map(1 --results ${RESULTS} -o ${WORK}/bad.pdf --layout A5P)
run_map(1 --results ${RESULTS} -o ${WORK}/bad.pdf --scale 300)
run_map(1 --results ${RESULTS} -o ${WORK}/bad.pdf --dpi 5000)

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
set(expected garbage.txt keep.png map.geojson map.gpkg map.png map.svg map.tif page.pdf page.png same.png)
if(NOT left STREQUAL expected)
  message(FATAL_ERROR "files left in ${WORK}: ${left}")
endif()
