# The Windows installer, in the MinGW tree: target `windows-installer` (part of every
# build, so the installer test finds it) writes
# packaging/Moravelle-<version>-win64-setup.exe with NSIS (makensis) from the built
# plug-ins and the factory presets. Skipped where makensis is not installed.
if(NOT WIN32 OR NOT MORAVELLE_PLUGINS)
  return()
endif()
find_program(MORAVELLE_MAKENSIS makensis)
if(NOT MORAVELLE_MAKENSIS)
  message(STATUS "makensis not found: no target windows-installer (tools/install-deps.sh windows installs NSIS)")
  return()
endif()

set(MORAVELLE_WINDOWS_INSTALLER
    ${PROJECT_BINARY_DIR}/packaging/Moravelle-${PROJECT_VERSION}-win64-setup.exe CACHE INTERNAL "")
file(GLOB factory_presets CONFIGURE_DEPENDS ${MORAVELLE_FACTORY_PRESET_SOURCE_DIR}/*.moravellepreset)
add_custom_command(OUTPUT ${MORAVELLE_WINDOWS_INSTALLER}
  COMMAND ${CMAKE_COMMAND}
          -DMAKENSIS=${MORAVELLE_MAKENSIS}
          -DVERSION=${PROJECT_VERSION}
          -DVST3_BINARY=$<TARGET_FILE:moravelle_vst3>
          -DVST2_BINARY=$<TARGET_FILE:moravelle_vst2>
          -DPRESET_DIR=${MORAVELLE_FACTORY_PRESET_SOURCE_DIR}
          -DOUTPUT=${MORAVELLE_WINDOWS_INSTALLER}
          -P ${CMAKE_CURRENT_LIST_DIR}/build_installer.cmake
  DEPENDS moravelle_vst2 moravelle_vst3 ${factory_presets}
          ${CMAKE_CURRENT_LIST_DIR}/moravelle.nsi ${CMAKE_CURRENT_LIST_DIR}/build_installer.cmake
  VERBATIM)
add_custom_target(windows-installer ALL DEPENDS ${MORAVELLE_WINDOWS_INSTALLER})
