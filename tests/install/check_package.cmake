cmake_minimum_required(VERSION 3.25)
# Builds the Debian package with cpack, unpacks it into a scratch root, checks
# what it holds and lets lintian judge it: any error or warning fails.
# Prints "SKIP:" and stops when a tool is missing.
find_program(DPKG_DEB dpkg-deb)
find_program(LINTIAN lintian)
if(NOT DPKG_DEB OR NOT LINTIAN)
  message("SKIP: dpkg-deb oder lintian fehlt")
  return()
endif()
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGV0} failed (${rc}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
run("${CPACK}" -G DEB -B "${WORK}" --config "${BUILD_DIR}/CPackConfig.cmake")
file(GLOB deb "${WORK}/*.deb")
run("${DPKG_DEB}" -x "${deb}" "${WORK}/root")
set(usr "${WORK}/root/usr")
set(man share/man/man1)
foreach(f
    bin/Quillbee-Vodedarivo bin/quillbee-vodedarivo-install bin/vodedarivo
    ${man}/Quillbee-Vodedarivo.1.gz ${man}/quillbee-vodedarivo-install.1.gz ${man}/vodedarivo.1.gz
    share/doc/quillbee-vodedarivo/copyright share/doc/quillbee-vodedarivo/changelog.gz
    share/mime/packages/quillbee-vodedarivo.xml
    share/applications/quillbee-vodedarivo.desktop share/applications/quillbee-vodedarivo-install.desktop
    share/quillbee-vodedarivo/template.html share/quillbee-vodedarivo/Quillbee_Interaktiv_V2.dot
    share/quillbee-vodedarivo/Anleitung.doc share/quillbee-vodedarivo/quillbee-vodedarivo.png)
  if(NOT EXISTS "${usr}/${f}")
    message(FATAL_ERROR "not in the package: /usr/${f}")
  endif()
endforeach()
if(EXISTS "${usr}/bin/Install")
  message(FATAL_ERROR "the package installs the generic name /usr/bin/Install")
endif()

# Every menu entry starts a program of the package and passes the file for
# each type it opens, and each such type is one the package defines.
file(GLOB mimexml "${usr}/share/mime/packages/*.xml")
file(STRINGS "${mimexml}" types REGEX "<mime-type type=")
file(GLOB desktops "${usr}/share/applications/*.desktop")
foreach(d ${desktops})
  file(STRINGS "${d}" exec REGEX "^Exec=")
  string(REGEX REPLACE "^Exec=([^ ]+).*" "\\1" prog "${exec}")
  if(NOT EXISTS "${usr}/bin/${prog}")
    message(FATAL_ERROR "${d}: ${exec} starts no program of the package")
  endif()
  file(STRINGS "${d}" mime REGEX "^MimeType=")
  string(REGEX MATCHALL "[A-Za-z0-9.+_-]+/[A-Za-z0-9.+_-]+" mime "${mime}")
  foreach(t ${mime})
    if(NOT types MATCHES "type=\"${t}\"" OR NOT exec MATCHES " %[fFuU]")
      message(FATAL_ERROR "${d}: opens ${t}, which no definition names, or ${exec} passes no file")
    endif()
  endforeach()
endforeach()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
find_program(XMLLINT xmllint)
if(DESKTOP_FILE_VALIDATE)
  run("${DESKTOP_FILE_VALIDATE}" ${desktops})
endif()
if(XMLLINT)
  run("${XMLLINT}" --noout "${mimexml}")
endif()

# The changelog's newest entry is the package's version.
run("${DPKG_DEB}" -f "${deb}" Version)
string(STRIP "${out}" version)
run(gzip -dc "${usr}/share/doc/quillbee-vodedarivo/changelog.gz")
if(NOT out MATCHES "^quillbee-vodedarivo \\(${version}\\) ")
  message(FATAL_ERROR "the changelog does not start with version ${version}")
endif()

run("${LINTIAN}" --fail-on error,warning "${deb}")
message("${out}")
file(REMOVE_RECURSE "${WORK}")
