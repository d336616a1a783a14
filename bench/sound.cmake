# QXSound: play-to-sound latency and mixing cost per voice, beside raw OpenAL Soft sources; MP3
# inspection per file, beside the bare system calls.
if(TARGET qxsound)
  find_package(OpenAL REQUIRED)
  find_package(Threads REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(BENCH_SNDFILE REQUIRED IMPORTED_TARGET sndfile)
  pkg_check_modules(BENCH_FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
  add_executable(qxsound_bench ${CMAKE_CURRENT_LIST_DIR}/QXSoundBench.cpp ${CMAKE_CURRENT_LIST_DIR}/RealTimeLatency.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MidiBench.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Mp3InspectionBench.cpp)
  target_include_directories(qxsound_bench PRIVATE
    ${PROJECT_SOURCE_DIR}/sound/src ${PROJECT_SOURCE_DIR}/sound/platform ${OPENAL_INCLUDE_DIR})
  target_compile_definitions(qxsound_bench PRIVATE AL_ALEXT_PROTOTYPES ORVANE_DATA_DIR="${ORVANE_DATA_DIR}"
    QXSOUND_GM_SOUNDFONT="/usr/share/sounds/sf2/default-GM.sf2")
  target_link_libraries(qxsound_bench PRIVATE qxsound benchmark::benchmark ${OPENAL_LIBRARY} PkgConfig::BENCH_SNDFILE
    PkgConfig::BENCH_FLUIDSYNTH Threads::Threads)
  # SDL_mixer, when installed (libsdl2-mixer-dev), runs beside them for comparison.
  pkg_check_modules(BENCH_SDL2_MIXER IMPORTED_TARGET SDL2_mixer)
  if(BENCH_SDL2_MIXER_FOUND)
    target_compile_definitions(qxsound_bench PRIVATE QXSOUND_BENCH_SDL_MIXER)
    target_link_libraries(qxsound_bench PRIVATE PkgConfig::BENCH_SDL2_MIXER)
  endif()
endif()
