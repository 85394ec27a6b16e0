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

# The fake runs the take writer on a thread of its own, as Windows does.
find_package(Threads REQUIRED)

add_library(fake_win32 STATIC tests/fake/fake_win32.cpp)
target_include_directories(fake_win32 PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(fake_win32 PUBLIC Threads::Threads)
target_compile_options(fake_win32 PRIVATE ${PROGRAM_WARNINGS} ${SANITIZERS})

add_executable(unit_tests
    tests/unit/program_test.cpp
    tests/unit/program_state.cpp
    tests/unit/temp_directory.cpp
    tests/unit/main_window_test.cpp
    tests/unit/midi_device_test.cpp
    tests/unit/patch_names_test.cpp
    tests/unit/model_test.cpp
    tests/unit/midi_messages_test.cpp
    tests/unit/knob_indicator_test.cpp
    tests/unit/keyboard_input_test.cpp
    tests/unit/chords_test.cpp
    tests/unit/pitch_bend_test.cpp
    tests/unit/paint_panel_test.cpp
    tests/unit/mouse_input_test.cpp
    tests/unit/artwork_test.cpp
    tests/unit/settings_test.cpp
    tests/unit/display_scale_test.cpp
    tests/unit/takes_test.cpp
    tests/unit/midi_file_reader.cpp
)
target_compile_options(unit_tests PRIVATE ${PROGRAM_WARNINGS} ${SANITIZERS})
# The resource tests read the committed files where they lie.
target_compile_definitions(unit_tests PRIVATE TONVALE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(unit_tests PRIVATE tonvale_host fake_win32 GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)

# Thousands of random playing sequences through the window procedure, seeded
# and reproducible (tests/property/README.md).
add_executable(property_tests
    tests/property/playing_property_test.cpp
    tests/property/wire_check.cpp
    tests/unit/midi_file_reader.cpp
    tests/unit/program_test.cpp
    tests/unit/program_state.cpp
)
target_compile_options(property_tests PRIVATE ${PROGRAM_WARNINGS} ${SANITIZERS})
target_link_libraries(property_tests PRIVATE tonvale_host fake_win32 GTest::gtest GTest::gtest_main)
gtest_discover_tests(property_tests DISCOVERY_TIMEOUT 60)

# Playing must allocate nothing. Counting allocations means replacing malloc,
# which the sanitizers' own allocator rules out, so this test links its own
# sanitizer-free build of the program and the fake.
add_library(tonvale_plain STATIC ${PROGRAM_SOURCES})
target_include_directories(tonvale_plain PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tonvale_plain PRIVATE ${PROGRAM_WARNINGS})

add_library(fake_win32_plain STATIC tests/fake/fake_win32.cpp)
target_include_directories(fake_win32_plain PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(fake_win32_plain PUBLIC Threads::Threads)
target_compile_options(fake_win32_plain PRIVATE ${PROGRAM_WARNINGS})

add_executable(no_allocation_test
    tests/alloc/no_allocation_test.cpp
    tests/alloc/allocation_counter.cpp
    tests/unit/program_test.cpp
    tests/unit/program_state.cpp
)
target_compile_options(no_allocation_test PRIVATE ${PROGRAM_WARNINGS})
target_link_libraries(no_allocation_test PRIVATE tonvale_plain fake_win32_plain GTest::gtest GTest::gtest_main)
gtest_discover_tests(no_allocation_test DISCOVERY_TIMEOUT 60)

# Benchmarks of the playing path, built when Google Benchmark is installed;
# run by hand, not by ctest.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(playing_benchmark tests/bench/playing_benchmark.cpp tests/unit/program_test.cpp
        tests/unit/program_state.cpp)
    target_compile_options(playing_benchmark PRIVATE ${PROGRAM_WARNINGS})
    target_link_libraries(playing_benchmark PRIVATE tonvale_plain fake_win32_plain GTest::gtest benchmark::benchmark)
endif()

# The end-to-end tests of the real exe under Wine, when the Windows build is given.
set(TONVALE_WINDOWS_BUILD "" CACHE PATH "Windows build folder whose tonvale.exe the end-to-end tests run (empty: none)")
if(TONVALE_WINDOWS_BUILD)
    include(cmake/e2e.cmake)
endif()
