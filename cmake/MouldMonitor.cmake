# Helpers shared by every folder of the project.

# mm_add_library(<name> [DEPS <targets...>])
# One static library from the sources of the current folder. Headers are reached from the
# repository root ("inspection/DetectAlgorithm.h"), so any program can link one library and use it.
function(mm_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB _srcs CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/*.h
    ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER _srcs INCLUDE REGEX "\\.(cpp|qrc)$")
  if(_srcs OR ARG_SOURCES)
    file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
         ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    add_library(${name} STATIC ${_all} ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    # A folder whose classes are still to come: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# mm_test_command(<variable> <target>)
# The command ctest runs for a test program: with the sanitizers through tests/run-sanitized.sh,
# which runs a test again only when the leak checker itself crashed at exit.
function(mm_test_command variable target)
  if(MM_SANITIZE)
    set(${variable} ${PROJECT_SOURCE_DIR}/tests/run-sanitized.sh $<TARGET_FILE:${target}> PARENT_SCOPE)
  else()
    set(${variable} $<TARGET_FILE:${target}> PARENT_SCOPE)
  endif()
endfunction()

# mm_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>] [XVFB])
# A QtTest program run by ctest on the offscreen platform, each in a working directory of its own.
# XVFB: on an X server of its own without a window manager instead (tests/run-under-xvfb.sh), for
# tests that look at which window is on top.
function(mm_add_test name)
  cmake_parse_arguments(ARG "XVFB" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} testsupport Qt5::Test)
  mm_test_command(command ${name})
  if(ARG_XVFB)
    set(command ${PROJECT_SOURCE_DIR}/tests/run-under-xvfb.sh ${command})
  endif()
  add_test(NAME ${name} COMMAND ${command})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MM_SOURCE_DIR=${PROJECT_SOURCE_DIR};MM_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()

# mm_add_bench(<name> SOURCES <files...> LIBS <targets...>)
# A Google Benchmark program under bench/; built with the project, run by hand.
function(mm_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
