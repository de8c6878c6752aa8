# Where `cmake --install` puts the plug-ins and the factory presets on Linux
# (MORAVELLE_INSTALL_LAYOUT; decided when installing, see install_destinations.cmake):
#
#   user    for the user who installs, where Linux hosts look first: ~/.vst3/Moravelle.vst3,
#           ~/.vst/Moravelle.so, and the factory presets into that user's preset library
#           (the documents folder, or MORAVELLE_PRESET_LIBRARY).
#   system  <prefix>/lib/vst3/Moravelle.vst3, <prefix>/lib/vst/Moravelle.so, and the
#           factory presets into <prefix>/share/moravelle/presets/Factory, where the
#           plug-in finds a factory file that is missing from the user's library.
#   auto    (the default) user for a plain `cmake --install build`; system when the
#           prefix is not CMake's default /usr/local (-DCMAKE_INSTALL_PREFIX=... when
#           configuring, or `cmake --install build --prefix ...`) or DESTDIR is set.
#
# Either way the tree also holds the Debian package's rules, in the system layout for
# /usr: component `package`, installed only when named (packaging/linux).
#
# The Windows build installs only the factory presets with `cmake --install`; its
# plug-ins reach their folders through the installer (packaging/windows).
set(MORAVELLE_INSTALL_LAYOUT auto CACHE STRING "Linux install layout: auto, user (~/.vst3, ~/.vst) or system (<prefix>/lib/vst3, <prefix>/lib/vst)")
set_property(CACHE MORAVELLE_INSTALL_LAYOUT PROPERTY STRINGS auto user system)
if(NOT MORAVELLE_INSTALL_LAYOUT MATCHES "^(auto|user|system)$")
  message(FATAL_ERROR "MORAVELLE_INSTALL_LAYOUT must be auto, user or system, not '${MORAVELLE_INSTALL_LAYOUT}'")
endif()

# Relative to the prefix (system layout).
set(MORAVELLE_INSTALL_VST3_DIR lib/vst3)
set(MORAVELLE_INSTALL_VST2_DIR lib/vst)
set(MORAVELLE_INSTALL_PRESET_DIR share/moravelle/presets)

# The install-time settings every install script of the tree starts from.
install(CODE "set(MORAVELLE_INSTALL_LAYOUT \"${MORAVELLE_INSTALL_LAYOUT}\")
set(MORAVELLE_INSTALL_VST3_DIR \"${MORAVELLE_INSTALL_VST3_DIR}\")
set(MORAVELLE_INSTALL_VST2_DIR \"${MORAVELLE_INSTALL_VST2_DIR}\")
set(MORAVELLE_INSTALL_PRESET_DIR \"${MORAVELLE_INSTALL_PRESET_DIR}\")
include(\"${CMAKE_CURRENT_LIST_DIR}/install_destinations.cmake\")" ALL_COMPONENTS)
