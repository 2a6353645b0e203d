# Painting, pictures and the avatar animation of the list control.
set(LISTCTRL_PAINT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/avatar_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/marker_strip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp)
