# Playback, status display, online counter, update check and channel directory pieces of the player.
# Included from player/CMakeLists.txt. kOwnVersion (player/version.h) is defined by each program.
add_library(trradio_playback STATIC
  ${CMAKE_CURRENT_LIST_DIR}/channel_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/channel_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/counter_reply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/media_player_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/online_counter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_state_display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_compare.cpp)
target_link_libraries(trradio_playback PUBLIC trradio_listctrl trradio_common ole32 oleaut32 uuid user32)
