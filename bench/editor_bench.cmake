# Editor benchmarks: the full redraw of the effect's editor, one dirty knob
# with its presentation, and an instance created with its editor. The images
# are built in, as in the plug-ins.
if(NOT TARGET moravelle_offline)
  return()
endif()
add_executable(editor_bench ${CMAKE_CURRENT_LIST_DIR}/editor_bench.cpp
               ${PROJECT_SOURCE_DIR}/tests/graphics/leak_suppressions.cpp)
target_include_directories(editor_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(editor_bench PRIVATE moravelle_offline benchmark::benchmark_main)
include(${PROJECT_SOURCE_DIR}/resources/editor_images.cmake)
moravelle_add_editor_images(editor_bench)
