# The host build: the program's sources compiled natively against the
# declared Win32 subset, linked with the recording fake, run under ctest.
enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)

set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

add_library(tonvale_host STATIC ${PROGRAM_SOURCES})
target_include_directories(tonvale_host PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tonvale_host PRIVATE ${PROGRAM_WARNINGS} ${SANITIZERS})
target_link_options(tonvale_host PUBLIC ${SANITIZERS})

add_library(fake_win32 STATIC tests/fake/fake_win32.cpp)
target_include_directories(fake_win32 PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(fake_win32 PRIVATE ${PROGRAM_WARNINGS} ${SANITIZERS})

add_executable(unit_tests
    tests/unit/program_test.cpp
    tests/unit/model_test.cpp
    tests/unit/midi_messages_test.cpp
    tests/unit/knob_indicator_test.cpp
)
target_compile_options(unit_tests PRIVATE ${PROGRAM_WARNINGS} ${SANITIZERS})
target_link_libraries(unit_tests PRIVATE tonvale_host fake_win32 GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# The end-to-end tests of the real exe under Wine, when the Windows build is given.
set(TONVALE_WINDOWS_BUILD "" CACHE PATH "Windows build folder whose tonvale.exe the end-to-end tests run (empty: none)")
if(TONVALE_WINDOWS_BUILD)
    include(cmake/e2e.cmake)
endif()
