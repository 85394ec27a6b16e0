# One ctest case per end-to-end test (tests/e2e/test_*.py), sharing one Wine
# prefix that a fixture makes before them and removes after them. They run
# one at a time: each has its own X display and Wine server, but two Wine
# programs starting at once are slow on a small machine.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(E2E_DIR ${PROJECT_SOURCE_DIR}/tests/e2e)
set(E2E_COMMAND ${Python3_EXECUTABLE} ${E2E_DIR}/e2e.py
    --windows-build ${TONVALE_WINDOWS_BUILD} --prefix ${CMAKE_BINARY_DIR}/e2e/wineprefix)

# Adding or renaming a test re-runs this listing.
file(GLOB E2E_SOURCES CONFIGURE_DEPENDS ${E2E_DIR}/*.py)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${E2E_SOURCES})
execute_process(COMMAND ${E2E_COMMAND} list OUTPUT_VARIABLE E2E_LIST RESULT_VARIABLE E2E_LIST_RESULT)
if(NOT E2E_LIST_RESULT EQUAL 0)
    message(FATAL_ERROR "Cannot list the end-to-end tests (${E2E_LIST_RESULT})")
endif()

add_test(NAME e2e.prefix.setup COMMAND ${E2E_COMMAND} prefix-setup)
add_test(NAME e2e.prefix.cleanup COMMAND ${E2E_COMMAND} prefix-cleanup)
set_tests_properties(e2e.prefix.setup PROPERTIES FIXTURES_SETUP e2e_prefix TIMEOUT 900 RUN_SERIAL TRUE LABELS e2e)
set_tests_properties(e2e.prefix.cleanup PROPERTIES FIXTURES_CLEANUP e2e_prefix TIMEOUT 120 RUN_SERIAL TRUE LABELS e2e)

string(REPLACE "\n" ";" E2E_LIST "${E2E_LIST}")
foreach(line IN LISTS E2E_LIST)
    if(line STREQUAL "")
        continue()
    endif()
    string(REPLACE " " ";" fields "${line}")
    list(GET fields 0 name)
    list(GET fields 1 seconds)
    # The test stops itself at its time limit and cleans up; ctest's timeout is the backstop.
    math(EXPR timeout "${seconds} + 60")
    add_test(NAME e2e.${name} COMMAND ${E2E_COMMAND} run ${name})
    set_tests_properties(e2e.${name} PROPERTIES
        FIXTURES_REQUIRED e2e_prefix RUN_SERIAL TRUE TIMEOUT ${timeout} LABELS e2e)
endforeach()
