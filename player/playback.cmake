# Playback, status display, online counter, update check and channel directory pieces of the player.
# Included from player/CMakeLists.txt. kOwnVersion (player/version.h) is defined by each program.
add_library(trradio_playback STATIC
  ${CMAKE_CURRENT_LIST_DIR}/channel_document.cpp
  ${CMAKE_CURRENT_LIST_DIR}/channel_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/community_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/community_directory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/community_fetch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/community_loader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/community_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/community_reply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/counter_reply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/media_player_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/online_counter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/play_state_display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/station_lookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_compare.cpp)
target_link_libraries(trradio_playback PUBLIC trradio_listctrl trradio_common ole32 oleaut32 uuid user32)

# nlohmann-json, header-only, from the build machine. Only its own folder reaches the cross build, through a
# link in the build tree: the host's other headers must never stand in for the MinGW ones.
set(TRRADIO_JSON_INCLUDE ${CMAKE_BINARY_DIR}/third_party/json)
if(NOT EXISTS ${TRRADIO_JSON_INCLUDE}/nlohmann/json.hpp)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    message(FATAL_ERROR "nlohmann/json.hpp not found: install the Debian package nlohmann-json3-dev")
  endif()
  file(MAKE_DIRECTORY ${TRRADIO_JSON_INCLUDE})
  file(CREATE_LINK /usr/include/nlohmann ${TRRADIO_JSON_INCLUDE}/nlohmann SYMBOLIC)
endif()
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/community_reply.cpp PROPERTIES
  INCLUDE_DIRECTORIES ${TRRADIO_JSON_INCLUDE})
