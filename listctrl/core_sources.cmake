# Item store, window handling and operations of the list control.
list(APPEND LISTCTRL_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/bulk_fill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control_teardown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_tracking.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_list_create.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_operations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/group_rows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/invariant_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_handles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_operations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_window_proc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/parent_window_proc.cpp
  ${CMAKE_CURRENT_LIST_DIR}/row_element.cpp
)
