# Install-time script of component `plugins` (Linux): copies the VST2 module and the
# VST3 bundle's module where the layout says (install_layout.cmake). Set beforehand:
# MORAVELLE_VST2_MODULE, MORAVELLE_VST3_MODULE (the built files).
if(MORAVELLE_LAYOUT_NOW STREQUAL "user")
  if(NOT "$ENV{HOME}" MATCHES "^/")
    message(FATAL_ERROR "The plug-ins go into ~/.vst and ~/.vst3, but HOME names no folder; "
                        "install with --prefix for a system-wide layout")
  endif()
  set(vst2_dir "$ENV{HOME}/.vst")
  set(vst3_dir "$ENV{HOME}/.vst3")
else()
  moravelle_system_destination(vst2_dir "${MORAVELLE_INSTALL_VST2_DIR}")
  moravelle_system_destination(vst3_dir "${MORAVELLE_INSTALL_VST3_DIR}")
endif()
file(INSTALL "${MORAVELLE_VST2_MODULE}" DESTINATION "${vst2_dir}")
file(INSTALL "${MORAVELLE_VST3_MODULE}" DESTINATION "${vst3_dir}/Moravelle.vst3/Contents/x86_64-linux")
