# msk_add_gtest(<name> SOURCES <files...> [LIBS <targets...>] [HTTP_SERVER] [TIMEOUT <s>] [LABELS <l...>])
#
# Builds one GoogleTest executable and registers each of its tests with CTest. In the Windows builds
# the tests run under wine64 through CMAKE_CROSSCOMPILING_EMULATOR (tests/harness/wine-exec.sh) and
# are discovered at test time, so building never needs wine. HTTP_SERVER makes the tests depend on
# the loopback test server fixture; they find its address with msk::test::TestServer (tests/support).
include(GoogleTest)

set(MSK_TEST_SERVER_DIR "${CMAKE_BINARY_DIR}/test-server")
if(WIN32)
  # The test programs are Windows processes: they see the Linux file system under drive Z:.
  set(MSK_TEST_SERVER_FILE_FOR_TESTS "Z:${MSK_TEST_SERVER_DIR}/server.info")
else()
  set(MSK_TEST_SERVER_FILE_FOR_TESTS "${MSK_TEST_SERVER_DIR}/server.info")
endif()

function(msk_add_gtest name)
  cmake_parse_arguments(ARG "HTTP_SERVER" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} msk_test_support GTest::gmock GTest::gtest_main msk_options)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  if(ARG_HTTP_SERVER)
    list(APPEND props FIXTURES_REQUIRED msk_http_server
                      ENVIRONMENT "MSK_TEST_SERVER_FILE=${MSK_TEST_SERVER_FILE_FOR_TESTS}")
  endif()
  if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    return()  # built to be run elsewhere (the i686 build): nothing here can execute it
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()

# The loopback HTTP test server lives for one ctest run: started before the first test that needs it
# and stopped after the last.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME msk_http_server_start
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/server/msk_test_server.py start
                 --state-dir ${MSK_TEST_SERVER_DIR})
add_test(NAME msk_http_server_stop
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/server/msk_test_server.py stop
                 --state-dir ${MSK_TEST_SERVER_DIR})
set_tests_properties(msk_http_server_start PROPERTIES FIXTURES_SETUP msk_http_server)
set_tests_properties(msk_http_server_stop PROPERTIES FIXTURES_CLEANUP msk_http_server)
