# Handle lookups and filling, expanding, sorting and emptying a large list (included from CMakeLists.txt).
add_executable(bench_listctrl ${CMAKE_CURRENT_LIST_DIR}/bench_listctrl.cpp)
target_link_libraries(bench_listctrl PRIVATE trradio_listctrl)
# The station logo serves as every row's avatar, as in the player.
if(EXISTS ${CMAKE_SOURCE_DIR}/assets/art/logo.gif)
  configure_file(${CMAKE_SOURCE_DIR}/assets/art/logo.gif ${CMAKE_BINARY_DIR}/bin/bench_listctrl_logo.gif COPYONLY)
endif()
