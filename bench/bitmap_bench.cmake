# Pixel-layer benchmarks: a full-surface alpha blit (1000 × 530) and a
# 30-character string through the glyph cache.
if(NOT TARGET moravelle_bitmap)
  return()
endif()
add_executable(bitmap_bench
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_blit_bench.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_text_bench.cpp)
target_link_libraries(bitmap_bench PRIVATE moravelle_bitmap benchmark::benchmark_main)
