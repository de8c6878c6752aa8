# moravelle_add_editor_images(<target>)
#
# Builds the editor's 19 images (resources/img/pa_*.png, ids 101..119) into an
# executable or module as PNG resources. Images that are not there yet are left
# out; the editor then leaves the controls that show them undrawn.
include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/png_resources.cmake)

function(moravelle_add_editor_images target)
  # Kept inside the function: include_guard makes this file run once, in the
  # scope of whichever folder includes it first.
  set(images
    101 pa_background_0001.png
    102 pa_button_0011.png
    103 pa_button_0015.png
    104 pa_button_0016.png
    105 pa_button_0017.png
    106 pa_button_0018.png
    107 pa_button_0019.png
    108 pa_button_preset_backward_0001.png
    109 pa_button_preset_forward_0001.png
    110 pa_button_preset_load_0001.png
    111 pa_button_preset_save_0001.png
    112 pa_knob_0018_blue.png
    113 pa_knob_0019_black.png
    114 pa_knob_0019_white.png
    115 pa_panel_header_0001.png
    116 pa_panel_korvath_0001.png
    117 pa_panel_tavrin_0001.png
    118 pa_panel_solvandra_0001.png
    119 pa_panel_moravellerack_0001.png)
  set(image_dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/img)
  set(pairs)
  while(images)
    list(POP_FRONT images id name)
    if(EXISTS ${image_dir}/${name})
      list(APPEND pairs ${id} ${image_dir}/${name})
    endif()
  endwhile()
  if(NOT pairs)
    message(STATUS "${target}: no editor images in ${image_dir}; the editor draws without them")
    return()
  endif()
  moravelle_add_png_resources(${target} ${pairs})
endfunction()
