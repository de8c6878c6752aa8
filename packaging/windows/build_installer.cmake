# Writes the Windows installer with makensis (cmake -P). The NSIS script takes
# everything it installs as definitions; the uninstaller's list of factory files is
# written here from the files themselves, so it removes exactly what was installed.
# -DMAKENSIS= -DVERSION= -DVST3_BINARY= -DVST2_BINARY= -DPRESET_DIR= -DOUTPUT=
foreach(var MAKENSIS VERSION VST3_BINARY VST2_BINARY PRESET_DIR OUTPUT)
  if("${${var}}" STREQUAL "")
    message(FATAL_ERROR "build_installer.cmake: ${var} is not set")
  endif()
endforeach()

get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(GLOB presets RELATIVE "${PRESET_DIR}" "${PRESET_DIR}/*.moravellepreset")
list(SORT presets)
set(deletes "; The factory files the installer wrote (written by build_installer.cmake).\n")
foreach(name IN LISTS presets)
  string(APPEND deletes "Delete \"$DOCUMENTS\\PellionAudio\\Moravelle\\Presets\\Factory\\${name}\"\n")
endforeach()
set(deletes_file "${output_dir}/factory_preset_deletes.nsh")
file(WRITE "${deletes_file}" "${deletes}")

execute_process(
  COMMAND "${MAKENSIS}" -V2 -INPUTCHARSET UTF8
          "-DVERSION=${VERSION}"
          "-DVST3_BINARY=${VST3_BINARY}"
          "-DVST2_BINARY=${VST2_BINARY}"
          "-DPRESET_DIR=${PRESET_DIR}"
          "-DFACTORY_DELETES=${deletes_file}"
          "-DOUTFILE=${OUTPUT}"
          "${CMAKE_CURRENT_LIST_DIR}/moravelle.nsi"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "makensis failed (${result})")
endif()
