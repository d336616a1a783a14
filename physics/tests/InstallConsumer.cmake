# cmake -P script: install Dynamora into WORK_DIR/prefix, then build and run tests/consumer
# against it, once through find_package(Dynamora) and once through pkg-config.
foreach(var BUILD_DIR WORK_DIR CONSUMER_DIR CXX GENERATOR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  message(STATUS "${out}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed (${status}): ${ARGN}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component Dynamora)

# find_package
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake-build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run(${WORK_DIR}/cmake-build/consumer)

# pkg-config
file(GLOB_RECURSE pc_files ${prefix}/*/dynamora.pc)
list(LENGTH pc_files pc_count)
if(NOT pc_count EQUAL 1)
  message(FATAL_ERROR "expected one installed dynamora.pc, found: ${pc_files}")
endif()
get_filename_component(pc_dir ${pc_files} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(pkg-config --cflags dynamora)
string(STRIP "${run_output}" cflags)
run(pkg-config --libs dynamora)
string(STRIP "${run_output}" libs)
run(pkg-config --variable=libdir dynamora)
string(STRIP "${run_output}" libdir)
separate_arguments(cflags UNIX_COMMAND "${cflags}")
separate_arguments(libs UNIX_COMMAND "${libs}")
run(${CXX} -std=c++20 ${cflags} ${CONSUMER_DIR}/main.cpp -o ${WORK_DIR}/pc-consumer ${libs} -Wl,-rpath,${libdir})
run(${WORK_DIR}/pc-consumer)
