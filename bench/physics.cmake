# Dynamora: Move / MoveLinear per body, side by side with Bullet's own per-body integration.
if(TARGET dynamora)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BULLET REQUIRED IMPORTED_TARGET bullet)
  add_executable(DynamoraBench ${CMAKE_CURRENT_LIST_DIR}/DynamoraBench.cpp)
  target_link_libraries(DynamoraBench PRIVATE Dynamora::dynamora PkgConfig::BULLET benchmark::benchmark)
endif()
