# Install-time script: copies the factory preset files into
# <documents>/PellionAudio/Moravelle/Presets/Factory, where the plug-in looks for them.
# <documents> follows the plug-in's own rule: on Linux $XDG_DOCUMENTS_DIR when it is an
# absolute path, else $HOME/Documents; on Windows the all-users documents folder
# (%PUBLIC%\Documents). MORAVELLE_PRESET_LIBRARY in the environment names the library
# folder directly instead (for a package build, or a Windows build installed elsewhere).
# In the system layout (cmake/install_layout.cmake) they go into the prefix's shared
# folder instead, where the plug-in finds what a user's library lacks.
file(GLOB factory_files "${MORAVELLE_FACTORY_PRESET_FILES}/*.moravellepreset")
if("$ENV{MORAVELLE_PRESET_LIBRARY}" STREQUAL "" AND NOT MORAVELLE_PRESETS_FOR_WINDOWS
   AND MORAVELLE_LAYOUT_NOW STREQUAL "system")
  moravelle_system_destination(shared "${MORAVELLE_INSTALL_PRESET_DIR}/Factory")
  file(INSTALL ${factory_files} DESTINATION "${shared}")
  return()
endif()
if(NOT "$ENV{MORAVELLE_PRESET_LIBRARY}" STREQUAL "")
  file(TO_CMAKE_PATH "$ENV{MORAVELLE_PRESET_LIBRARY}" library)
else()
  if(MORAVELLE_PRESETS_FOR_WINDOWS)
    if("$ENV{PUBLIC}" STREQUAL "")
      message(WARNING "Factory presets not installed: no %PUBLIC% folder here; "
                      "set MORAVELLE_PRESET_LIBRARY to the library folder")
      return()
    endif()
    file(TO_CMAKE_PATH "$ENV{PUBLIC}/Documents" documents)
  elseif("$ENV{XDG_DOCUMENTS_DIR}" MATCHES "^/")
    set(documents "$ENV{XDG_DOCUMENTS_DIR}")
  elseif("$ENV{HOME}" MATCHES "^/")
    set(documents "$ENV{HOME}/Documents")
  else()
    message(WARNING "Factory presets not installed: neither XDG_DOCUMENTS_DIR nor HOME names a folder")
    return()
  endif()
  string(REGEX REPLACE "/+$" "" documents "${documents}")
  set(library "${documents}/PellionAudio/Moravelle/Presets")
endif()
file(INSTALL ${factory_files} DESTINATION "${library}/Factory")
