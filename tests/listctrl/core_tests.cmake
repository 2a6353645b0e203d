# Item store, window handling and operations of the list control, on a real ListBox with MSXML under Wine.
trradio_add_test(listctrl_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/core_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/item_store_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_events_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/group_operations_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/item_operations_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/random_sequence_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bulk_fill_test.cpp
  LIBS trradio_listctrl)
# The first handle of a process can only be seen in a process of its own.
trradio_add_test(listctrl_first_handle_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/core_fixture.cpp ${CMAKE_CURRENT_LIST_DIR}/first_handle_test.cpp
  LIBS trradio_listctrl)
