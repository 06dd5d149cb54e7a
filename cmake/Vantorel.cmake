# Helpers shared by the directories' lists.

set(VR_RESOURCE_SCRIPT ${PROJECT_SOURCE_DIR}/resources/vantorel.rc)

# Seconds before a test is stopped; the test command raises it where the
# 32-bit programs run under an emulator.
set(VR_TEST_TIMEOUT 600 CACHE STRING "Time limit of one test program, in seconds")

# vr_add_test(name SOURCES ... LIBRARIES ...): one test executable and one
# ctest entry (each process start costs under Wine, so group a whole area's
# tests in one executable).
function(vr_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBRARIES} GTest::gtest_main GTest::gmock)
    add_test(NAME ${name} COMMAND ${name})
    # A modal box that no watcher answered would wait for ever: fail instead.
    set_tests_properties(${name} PROPERTIES TIMEOUT ${VR_TEST_TIMEOUT})
    if(VR_WIN32)
        # Exit code 77 of the Wine runner: Wine cannot start on this machine.
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
        # A test stuck on a window fails alone and names what it waits on.
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/hang_watchdog.cpp)
    endif()
    vr_add_leak_scan(${name})
endfunction()

# Host programs under the sanitizers carry the leak scan that VR_LEAK_SCAN=1
# turns on where LeakSanitizer cannot run (the emulated path of ./test).
function(vr_add_leak_scan target)
    if(NOT VR_WIN32 AND VR_SANITIZE AND NOT VR_FUZZ)
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/leak_scan.cpp)
    endif()
endfunction()
