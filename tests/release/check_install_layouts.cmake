# `cmake --install` of a native tree: a plain one puts the plug-ins into the installing
# user's ~/.vst and ~/.vst3 and the factory presets into that user's library; one with
# a prefix lays them out under <prefix>/lib/vst, <prefix>/lib/vst3 and
# <prefix>/share/moravelle/presets. Here HOME and the prefix are scratch folders.
# -DBUILD_DIR= -DSCRATCH= -DSOURCE=(the factory preset folder)
file(REMOVE_RECURSE "${SCRATCH}")
file(GLOB sources RELATIVE "${SOURCE}" "${SOURCE}/*.moravellepreset")

function(expect_files what folder)
  foreach(path IN LISTS ARGN)
    if(NOT EXISTS "${folder}/${path}")
      message(FATAL_ERROR "${what}: ${folder}/${path} is missing")
    endif()
  endforeach()
endfunction()
function(expect_presets what folder)
  file(GLOB installed RELATIVE "${folder}" "${folder}/*")
  if(NOT installed STREQUAL sources)
    message(FATAL_ERROR "${what}: ${folder} holds ${installed}")
  endif()
endfunction()
function(install_tree what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_QUIET)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what}: cmake --install failed (${result})")
  endif()
endfunction()

set(home "${SCRATCH}/home")
install_tree("user layout" ${CMAKE_COMMAND} -E env "HOME=${home}" --unset=XDG_DOCUMENTS_DIR
             --unset=MORAVELLE_PRESET_LIBRARY --unset=DESTDIR ${CMAKE_COMMAND} --install "${BUILD_DIR}")
expect_files("user layout" "${home}" .vst/Moravelle.so .vst3/Moravelle.vst3/Contents/x86_64-linux/Moravelle.so)
expect_presets("user layout" "${home}/Documents/PellionAudio/Moravelle/Presets/Factory")

set(prefix "${SCRATCH}/prefix")
install_tree("system layout" ${CMAKE_COMMAND} -E env "HOME=${home}-unused" --unset=MORAVELLE_PRESET_LIBRARY
             --unset=DESTDIR ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")
expect_files("system layout" "${prefix}" lib/vst/Moravelle.so lib/vst3/Moravelle.vst3/Contents/x86_64-linux/Moravelle.so)
expect_presets("system layout" "${prefix}/share/moravelle/presets/Factory")
if(EXISTS "${home}-unused")
  message(FATAL_ERROR "system layout: something went into HOME")
endif()
file(REMOVE_RECURSE "${SCRATCH}")
