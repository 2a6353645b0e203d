# Handle lookups and filling, expanding, sorting and emptying a large list (included from CMakeLists.txt).
add_executable(bench_listctrl ${CMAKE_CURRENT_LIST_DIR}/bench_listctrl.cpp)
target_link_libraries(bench_listctrl PRIVATE trradio_listctrl)
