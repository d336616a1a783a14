# QXSound playlists: loading 100,000-entry M3U and PLS files and saving the largest list a save
# accepts, beside plain line reading and writing of the same files.
if(TARGET qxsound)
  add_executable(qxsound_playlist_bench ${CMAKE_CURRENT_LIST_DIR}/PlaylistBench.cpp)
  target_link_libraries(qxsound_playlist_bench PRIVATE qxsound benchmark::benchmark_main)
endif()
