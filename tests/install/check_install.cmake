# Installs the build into a fresh prefix and checks the layout the programs
# rely on: programs in bin, their data files in share/quillbee-vodedarivo.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f
    bin/Quillbee-Vodedarivo bin/quillbee-vodedarivo-install bin/vodedarivo
    share/quillbee-vodedarivo/template.html
    share/quillbee-vodedarivo/Quillbee_Interaktiv_V2.dot
    share/quillbee-vodedarivo/Anleitung.doc
    share/quillbee-vodedarivo/quillbee-vodedarivo.png
    share/applications/quillbee-vodedarivo.desktop
    share/icons/hicolor/scalable/apps/quillbee-vodedarivo.svg
    share/icons/hicolor/256x256/apps/quillbee-vodedarivo.png)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/quillbee-vodedarivo.desktop" exec REGEX "^Exec=")
if(NOT exec MATCHES "^Exec=Quillbee-Vodedarivo")
  message(FATAL_ERROR "desktop entry starts ${exec}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
