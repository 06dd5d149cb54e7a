# Helpers shared by the directories' lists.

set(VR_RESOURCE_SCRIPT ${PROJECT_SOURCE_DIR}/resources/vantorel.rc)
# The stroke font that ships beside the program (written by
# resources/fonts/plain_font.py, kept in the tree so a build needs no Python).
set(VR_SHIPPED_FONT ${PROJECT_SOURCE_DIR}/resources/fonts/Plain.ft)

# vr_copy_shipped_font(target folder): the shipped font goes into folder
# whenever target is built.
function(vr_copy_shipped_font target folder)
    add_custom_command(OUTPUT ${folder}/Plain.ft
                       COMMAND ${CMAKE_COMMAND} -E copy ${VR_SHIPPED_FONT} ${folder}/Plain.ft
                       DEPENDS ${VR_SHIPPED_FONT})
    add_custom_target(${target}_font ALL DEPENDS ${folder}/Plain.ft)
    add_dependencies(${target} ${target}_font)
endfunction()

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

# The resource compiler cannot read the C++ enum of the command list
# (resources/command_ids.h): write its rows as #defines for the resource
# scripts.
function(vr_write_command_defines)
    set(list ${PROJECT_SOURCE_DIR}/resources/command_ids.h)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list})
    file(READ ${list} source)
    string(REGEX MATCHALL "[BC]\\(IDM_[A-Z0-9_]+, *[0-9]+," rows "${source}")
    set(text "/* Written by CMake from the rows of resources/command_ids.h. */\n")
    foreach(row IN LISTS rows)
        string(REGEX REPLACE "^[BC]\\((IDM_[A-Z0-9_]+), *([0-9]+),$" "#define \\1 \\2" row "${row}")
        string(APPEND text "${row}\n")
    endforeach()
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/command_ids_rc.h CONTENT "${text}")
    set(VR_GENERATED_INCLUDE ${CMAKE_BINARY_DIR}/generated PARENT_SCOPE)
endfunction()
vr_write_command_defines()
