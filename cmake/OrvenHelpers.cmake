# Compiler settings and small helpers shared by every part of the tree.

add_library(orven_options INTERFACE)
target_compile_options(orven_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wcast-align -Wunused -Wimplicit-fallthrough
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Woverloaded-virtual>)
if(ORVEN_WERROR)
  target_compile_options(orven_options INTERFACE -Werror)
endif()
target_include_directories(orven_options INTERFACE ${PROJECT_SOURCE_DIR})

if(ORVEN_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(ORVEN_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ORVEN_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ORVEN_SANITIZE must be '', 'address' or 'thread'")
endif()

if(ORVEN_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORVEN_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  # Every library of a fuzz build carries coverage so the fuzzers can steer through it.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# orven_add_library(NAME SOURCES ... [LIBS ...]) — a static library of the tree with the house options.
function(orven_add_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_link_libraries(${name} PUBLIC orven_options ${A_LIBS})
endfunction()

# orven_add_test(NAME SOURCES ... [LIBS ...] [LABELS ...]) — one GoogleTest program registered with ctest.
function(orven_add_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orven_options ${A_LIBS} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  # Labels go through a variable so that several of them cannot split the property list.
  string(REPLACE ";" "\\;" labels "${A_LABELS}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${labels}")
endfunction()

# orven_add_fuzzer(NAME SOURCES ... [LIBS ...] CORPUS dir) — a libFuzzer target; ctest replays its corpus.
function(orven_add_fuzzer name)
  cmake_parse_arguments(A "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT ORVEN_FUZZ)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE orven_options ${A_LIBS})
  set_property(GLOBAL APPEND PROPERTY ORVEN_FUZZERS ${name})
  add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${A_CORPUS})
  # New inputs go to a scratch folder in the build tree; the committed corpus only seeds the run.
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_work)
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name}_short COMMAND ${name} -max_total_time=10 -max_len=4096 ${work} ${A_CORPUS})
  set_tests_properties(${name}_short PROPERTIES LABELS fuzz-run)
endfunction()

# orven_add_bench(NAME SOURCES ... [LIBS ...]) — a Google Benchmark program (not run by ctest).
function(orven_add_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT ORVEN_BENCH)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE orven_options ${A_LIBS} benchmark::benchmark)
endfunction()

# orven_add_child_dirs() — adds every subfolder of the current folder that has a CMakeLists.txt, in name order,
# except those named in ORVEN_SKIP_DIRS.
macro(orven_add_child_dirs)
  file(GLOB _children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _children)
  foreach(_child ${_children})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt AND NOT _child IN_LIST ORVEN_SKIP_DIRS)
      add_subdirectory(${_child})
    endif()
  endforeach()
endmacro()

# orven_add_sdcc_program(TEST SOURCE DEFINE [FLAGS ...]) — compiles the C program SOURCE for the 8051 with SDCC
# into TEST's build folder (NAME.ihx and NAME.map, and with FLAGS --debug NAME.cdb and the listings beside it) and
# hands the path without the extension to TEST as the definition DEFINE. Without SDCC nothing is defined and the
# tests that need the program skip.
find_program(ORVEN_SDCC_EXE sdcc)
function(orven_add_sdcc_program test source define)
  cmake_parse_arguments(A "" "" "FLAGS" ${ARGN})
  if(NOT ORVEN_SDCC_EXE)
    return()
  endif()
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(source ${source} ABSOLUTE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/programs)
  set(outputs ${out}/${name}.ihx ${out}/${name}.map)
  if("--debug" IN_LIST A_FLAGS)
    list(APPEND outputs ${out}/${name}.cdb ${out}/${name}.rst)
  endif()
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
    COMMAND ${ORVEN_SDCC_EXE} -mmcs51 ${A_FLAGS} -o ${out}/ ${source}
    DEPENDS ${source}
    COMMENT "SDCC: ${name}.ihx for ${test}")
  add_custom_target(${test}_${name} DEPENDS ${outputs})
  add_dependencies(${test} ${test}_${name})
  target_compile_definitions(${test} PRIVATE ${define}="${out}/${name}")
endfunction()
