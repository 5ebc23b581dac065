# Writes a gzipped section 1 manual page from a program's --help text.
#   cmake -DPROGRAM=<built program> -DNAME=<installed name> -DVERSION=<x.y.z>
#         -DOUTPUT=<name.1.gz> -P manpage.cmake
# The program is started under its installed name (a link in a scratch
# folder), so the text names the program as the user calls it. The first line
# of the text, "NAME - summary", becomes the NAME section; the rest is shown
# as written.
foreach(v PROGRAM NAME VERSION OUTPUT)
  if(NOT DEFINED ${v})
    message(FATAL_ERROR "manpage.cmake: ${v} is not set")
  endif()
endforeach()

get_filename_component(outdir "${OUTPUT}" DIRECTORY)
set(scratch "${OUTPUT}.d")
file(REMOVE_RECURSE "${scratch}")
file(MAKE_DIRECTORY "${scratch}" "${outdir}")
file(CREATE_LINK "${PROGRAM}" "${scratch}/${NAME}" SYMBOLIC)

# No display is needed for --help; a sanitizer build must not fail on leaks
# at exit.
set(ENV{QT_QPA_PLATFORM} offscreen)
set(ENV{ASAN_OPTIONS} detect_leaks=0)
set(ENV{LC_ALL} C.UTF-8)
execute_process(COMMAND "${scratch}/${NAME}" --help
                OUTPUT_VARIABLE help ERROR_VARIABLE err RESULT_VARIABLE rc)
file(REMOVE_RECURSE "${scratch}")
if(NOT rc EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${NAME} --help failed (${rc}): ${err}")
endif()

string(REGEX MATCH "^[^\n]*" first "${help}")
string(FIND "${first}" " - " dash)
if(dash LESS 0)
  message(FATAL_ERROR "${NAME} --help: the first line is not \"NAME - summary\": ${first}")
endif()
math(EXPR after "${dash} + 3")
string(SUBSTRING "${first}" ${after} -1 summary)
string(LENGTH "${first}" firstlen)
string(SUBSTRING "${help}" ${firstlen} -1 body)
string(REGEX REPLACE "^\n+" "" body "${body}")
string(REGEX REPLACE "\n+$" "" body "${body}")

# roff: a backslash is written \e, a line starting with . or ' is protected
# by \&, an empty line in no-fill mode stays an empty line.
macro(roff_escape var)
  string(REPLACE "\\" "\\e" ${var} "${${var}}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" ${var} "${${var}}")
endmacro()
roff_escape(summary)
roff_escape(body)
string(TOUPPER "${NAME}" title)

set(page ".\\\" -*- coding: UTF-8 -*-
.TH \"${title}\" 1 \"\" \"Quillbee-Vodedarivo ${VERSION}\" \"Quillbee-Vodedarivo\"
.SH NAME
${NAME} \\- ${summary}
.SH BESCHREIBUNG
.nf
${body}
.fi
")
file(WRITE "${OUTPUT}.roff" "${page}")
execute_process(COMMAND gzip -9n -c "${OUTPUT}.roff" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE rc)
file(REMOVE "${OUTPUT}.roff")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${rc}")
endif()
