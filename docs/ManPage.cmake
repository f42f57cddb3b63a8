# Writes a man page from a program's --help with help2man; for a program with subcommands, each
# subcommand's --help becomes a subsection of SUBCOMMANDS.
#   cmake -DHELP2MAN=… -DPROGRAM=… -DOUTPUT=… -DNAME=… -DVERSION=… [-DSUBCOMMANDS=ON] -P ManPage.cmake
set(include_file ${OUTPUT}.include)
get_filename_component(program_name ${PROGRAM} NAME)
# The name line comes from the include file: help2man reads it as UTF-8 text, as it reads the help.
set(text "[NAME]\n${program_name} \\- ${NAME}\n")
if(SUBCOMMANDS)
  execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed")
  endif()
  # The names listed under "Subcommands:", one a line, each followed by its summary.
  string(REGEX REPLACE ".*Subcommands:\n" "" listed "${help}")
  string(REGEX MATCHALL "\n?  [a-z][a-z-]*" names "\n${listed}")
  string(APPEND text "[SUBCOMMANDS]\n")
  foreach(entry IN LISTS names)
    string(STRIP "${entry}" name)
    execute_process(COMMAND ${PROGRAM} ${name} --help OUTPUT_VARIABLE sub RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${name} --help failed")
    endif()
    string(REPLACE "${PROGRAM}" "${program_name}" sub "${sub}")
    string(REPLACE "\\" "\\e" sub "${sub}")
    string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" sub "\n${sub}")
    string(APPEND text ".SS ${name}\n.nf${sub}\n.fi\n")
  endforeach()
endif()
file(WRITE ${include_file} "${text}")
# help2man reads and writes the help as UTF-8 text (the desktop program's help is Japanese), and runs the
# program by its name so that its usage line names it as a user types it.
get_filename_component(program_folder ${PROGRAM} DIRECTORY)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "PATH=${program_folder}:$ENV{PATH}"
          ${HELP2MAN} --locale=C.UTF-8 --no-info --section=1 --version-string=${VERSION}
          --include=${include_file} --output=${OUTPUT} ${program_name}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()
file(REMOVE ${include_file})
