# Benchmark of painting, grey copies and shared avatars (included from this folder's CMakeLists.txt).
add_executable(bench_listctrl_paint ${CMAKE_CURRENT_LIST_DIR}/paint_bench.cpp)
target_link_libraries(bench_listctrl_paint PRIVATE trradio_listctrl)
