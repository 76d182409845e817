# quorvane_add_test(NAME SOURCES sources... LIBS libs...)
# One GoogleTest executable, registered with CTest case by case.
function(quorvane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QUORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # GoogleTest's headers are much of what a test file compiles: read once per program.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector> <optional> <functional> <memory>)
  if(CMAKE_CROSSCOMPILING)
    # The build host cannot list the cases; scripts/test_windows.sh runs the whole program.
    add_test(NAME ${name} COMMAND ${name})
  else()
    include(GoogleTest)
    # Rows carry their own names, so the listing leaves out the printed parameter.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
