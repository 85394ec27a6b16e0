# The libFuzzer targets (tests/fuzz/README.md): the program's sources and the
# recording fake built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, which stops at its first finding.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz build needs clang: -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
endif()

set(FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

# Coverage guides the fuzzer through the program and the targets' decoding,
# not through the fake.
add_library(tonvale_fuzz STATIC ${PROGRAM_SOURCES})
target_include_directories(tonvale_fuzz PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tonvale_fuzz PRIVATE ${PROGRAM_WARNINGS} ${FUZZ_SANITIZERS} -fsanitize=fuzzer-no-link)

find_package(Threads REQUIRED)
add_library(fake_win32_fuzz STATIC tests/fake/fake_win32.cpp)
target_include_directories(fake_win32_fuzz PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(fake_win32_fuzz PUBLIC Threads::Threads)
target_compile_options(fake_win32_fuzz PRIVATE ${PROGRAM_WARNINGS} ${FUZZ_SANITIZERS})

add_executable(window_messages_fuzzer tests/fuzz/window_messages_fuzzer.cpp tests/property/wire_check.cpp
    tests/unit/program_state.cpp)
add_executable(patch_names_fuzzer tests/fuzz/patch_names_fuzzer.cpp)
add_executable(settings_fuzzer tests/fuzz/settings_fuzzer.cpp tests/unit/program_state.cpp)
# Start-up reads the real patch-name file from here.
target_compile_definitions(window_messages_fuzzer PRIVATE TONVALE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
foreach(target window_messages_fuzzer patch_names_fuzzer settings_fuzzer)
    target_compile_options(${target} PRIVATE ${PROGRAM_WARNINGS} ${FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE ${FUZZ_SANITIZERS} -fsanitize=fuzzer)
    target_link_libraries(${target} PRIVATE tonvale_fuzz fake_win32_fuzz)
endforeach()
