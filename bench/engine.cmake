# Engine: frame time at 800 x 600 (terrain, sky box, 200 textured meshes, two particle emitters)
# on whatever OpenGL the machine has (Mesa's llvmpipe without a GPU), and the mesh segment test.
if(TARGET orvane_engine)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL)
  add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/EngineBench.cpp)
  target_link_libraries(engine_bench PRIVATE orvane_engine OpenGL::OpenGL benchmark::benchmark)
endif()
