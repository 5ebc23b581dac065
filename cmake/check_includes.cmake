# Fails when a source folder includes a folder above it. Layers, bottom up:
#   platform ← exercise ← word html export workbook students help ← app cli
# A folder may include its own layer and those below. The program-wide
# variables (app/variablen.h) may be reached from every folder of the main
# program. The installer is built on its own and includes nothing of it but
# two header-only pieces that need Qt Core alone: the German reasons for
# error codes (platform/fehlergrund.h) and the loading of Qt's German texts
# (platform/qtdeutsch.h), so that both programs speak alike without linking.
#   cmake -DSRC=<source folder> -P check_includes.cmake
set(rank_platform 0)
set(rank_exercise 1)
foreach(d word html export workbook students help)
  set(rank_${d} 2)
endforeach()
set(rank_app 3)
set(rank_cli 3)

set(wrong "")
file(GLOB_RECURSE files RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
foreach(f IN LISTS files)
  string(REGEX MATCH "^[^/]+" from "${f}")
  file(STRINGS "${SRC}/${f}" lines REGEX "^#include \"[a-z]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" target "${line}")
    string(REGEX MATCH "^[^/]+" to "${target}")
    if(from STREQUAL to)
      continue()
    endif()
    if(from STREQUAL "install")
      set(ok FALSE)
      if(target STREQUAL "platform/fehlergrund.h" OR target STREQUAL "platform/qtdeutsch.h")
        set(ok TRUE)
      endif()
    elseif(target STREQUAL "app/variablen.h")
      set(ok TRUE)
    elseif(DEFINED rank_${from} AND DEFINED rank_${to} AND NOT rank_${to} GREATER rank_${from})
      set(ok TRUE)
    else()
      set(ok FALSE)
    endif()
    if(NOT ok)
      string(APPEND wrong "\n  ${f}: ${target}")
    endif()
  endforeach()
endforeach()
if(wrong)
  message(FATAL_ERROR "Includes against the layer order:${wrong}")
endif()
