# Writes a man page from a program's --help with help2man; for a program with subcommands, each
# subcommand's --help becomes a subsection of SUBCOMMANDS.
#   cmake -DHELP2MAN=… -DPROGRAM=… -DOUTPUT=… -DNAME=… -DVERSION=… [-DSUBCOMMANDS=ON] -P ManPage.cmake
set(include_file ${OUTPUT}.include)
set(include_option "")
get_filename_component(program_name ${PROGRAM} NAME)
if(SUBCOMMANDS)
  execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed")
  endif()
  # The names listed under "Subcommands:", one a line, each followed by its summary.
  string(REGEX REPLACE ".*Subcommands:\n" "" listed "${help}")
  string(REGEX MATCHALL "\n?  [a-z][a-z-]*" names "\n${listed}")
  set(text "[SUBCOMMANDS]\n")
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
  file(WRITE ${include_file} "${text}")
  set(include_option --include=${include_file})
endif()
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 --name=${NAME} --version-string=${VERSION}
          ${include_option} --output=${OUTPUT} ${PROGRAM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()
file(REMOVE ${include_file})
