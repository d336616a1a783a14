# Game: one playing frame's actor work at level 1 and level 20, over the generated game data and
# the world the game's tests build.
if(TARGET orvane_game)
  add_executable(game_bench ${CMAKE_CURRENT_LIST_DIR}/GameBench.cpp ${PROJECT_SOURCE_DIR}/game/tests/TestWorld.cpp)
  target_include_directories(game_bench PRIVATE ${PROJECT_SOURCE_DIR}/game/tests)
  target_link_libraries(game_bench PRIVATE orvane_game benchmark::benchmark)
  target_compile_definitions(game_bench PRIVATE ORVANE_DATA_DIR="${ORVANE_DATA_DIR}")
  add_dependencies(game_bench orvane_data)
endif()
