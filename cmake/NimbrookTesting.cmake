# One executable per unit; each helper registers the executable with CTest.
find_package(GTest REQUIRED)
include(GoogleTest)

set(NIMBROOK_LSAN_SUPPRESSIONS "${PROJECT_SOURCE_DIR}/tests/lsan.supp")

# nimbrook_add_core_test(name source...): GoogleTest against nimbrook_core and the tests'
# in-memory desktop services.
function(nimbrook_add_core_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE nimbrook_test_support GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
endfunction()

# nimbrook_add_desktop_test(name source...): Qt Test against the desktop library, offscreen.
function(nimbrook_add_desktop_test name)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE nimbrook_desktop nimbrook_test_support Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${NIMBROOK_LSAN_SUPPRESSIONS}")
endfunction()

# nimbrook_add_e2e_test(name [SESSION_TESTS filter] source...): GoogleTest driving
# build/nimbrook under Xvfb. Each test starts its own X server, so CTest runs them one process
# per test; the tests of SESSION_TESTS (a gtest filter) need a session around them and are
# left to the runs that start it.
function(nimbrook_add_e2e_test name)
    cmake_parse_arguments(PARSE_ARGV 1 e2e "" SESSION_TESTS "")
    add_executable(${name} ${e2e_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE
        NIMBROOK_LSAN_SUPPRESSIONS="${NIMBROOK_LSAN_SUPPRESSIONS}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
        TEST_FILTER "-${e2e_SESSION_TESTS}" PROPERTIES TIMEOUT 240 LABELS e2e)
endfunction()
