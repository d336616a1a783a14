# Game: start-up to the first title frame, the longest frame around a level change, and frames per
# second at level 1 and with level 20's enemies, on 800 x 600 and 1920 x 1080 Xvfb screens (Mesa).
if(TARGET orvane_game)
  add_executable(game_bench ${CMAKE_CURRENT_LIST_DIR}/GameBench.cpp
    ${CMAKE_SOURCE_DIR}/game/tests/e2e/XvfbServer.cpp)
  target_include_directories(game_bench PRIVATE ${CMAKE_SOURCE_DIR}/game/tests ${CMAKE_SOURCE_DIR}/game/tests/e2e)
  target_link_libraries(game_bench PRIVATE orvane_game benchmark::benchmark)
  target_compile_definitions(game_bench PRIVATE ORVANE_DATA_DIR="${ORVANE_DATA_DIR}")
  add_dependencies(game_bench orvane_data)
endif()
