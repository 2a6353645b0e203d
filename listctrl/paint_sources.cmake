# Painting, pictures and the avatar animation of the list control.
set(LISTCTRL_PAINT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/avatar_flash.cpp
  ${CMAKE_CURRENT_LIST_DIR}/avatar_store.cpp
  ${CMAKE_CURRENT_LIST_DIR}/entry_colours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_layout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/marker_strip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paint_entry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_icons.cpp
)
