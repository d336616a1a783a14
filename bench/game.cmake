# Game: one playing frame's actor work at level 1 and level 20 over the world the game's tests build
# (actor_bench); start-up to the first title frame, the longest frame around a level change, and
# frames per second at level 1 and with level 20's enemies on 800 x 600 and 1920 x 1080 Xvfb screens
# (game_bench).
if(TARGET orvane_game)
  add_executable(actor_bench ${CMAKE_CURRENT_LIST_DIR}/ActorBench.cpp ${PROJECT_SOURCE_DIR}/game/tests/TestWorld.cpp)
  target_include_directories(actor_bench PRIVATE ${PROJECT_SOURCE_DIR}/game/tests)
  target_link_libraries(actor_bench PRIVATE orvane_game benchmark::benchmark)
  target_compile_definitions(actor_bench PRIVATE ORVANE_DATA_DIR="${ORVANE_DATA_DIR}")
  add_dependencies(actor_bench orvane_data)

  add_executable(game_bench ${CMAKE_CURRENT_LIST_DIR}/GameBench.cpp ${PROJECT_SOURCE_DIR}/game/tests/e2e/XvfbServer.cpp)
  target_include_directories(game_bench PRIVATE ${PROJECT_SOURCE_DIR}/game/tests ${PROJECT_SOURCE_DIR}/game/tests/e2e)
  target_link_libraries(game_bench PRIVATE orvane_game benchmark::benchmark)
  target_compile_definitions(game_bench PRIVATE ORVANE_DATA_DIR="${ORVANE_DATA_DIR}")
  add_dependencies(game_bench orvane_data)
endif()
