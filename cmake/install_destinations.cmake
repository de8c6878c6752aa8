# Install-time: decides the layout (see install_layout.cmake) and defines where each
# part goes, for the install scripts of the plug-ins and the factory presets.
#   MORAVELLE_LAYOUT_NOW   user or system
#   moravelle_system_destination(<var> <relative dir>): prefix + dir (file(INSTALL)
#   puts DESTDIR in front itself)
set(MORAVELLE_LAYOUT_NOW "${MORAVELLE_INSTALL_LAYOUT}")
if(MORAVELLE_LAYOUT_NOW STREQUAL "auto")
  if(CMAKE_INSTALL_PREFIX STREQUAL "/usr/local" AND "$ENV{DESTDIR}" STREQUAL "")
    set(MORAVELLE_LAYOUT_NOW user)
  else()
    set(MORAVELLE_LAYOUT_NOW system)
  endif()
endif()

function(moravelle_system_destination var dir)
  set(${var} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
endfunction()
