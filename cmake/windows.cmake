# The Windows program (MinGW-w64 cross-build or MSVC), with the patch-name
# file placed beside it.
enable_language(RC)

add_executable(tonvale WIN32 ${PROGRAM_SOURCES} resources/tonvale.rc)
target_include_directories(tonvale PRIVATE ${PROJECT_SOURCE_DIR})
set(PROGRAM_CXX_OPTIONS ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
target_compile_options(tonvale PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${PROGRAM_CXX_OPTIONS}>")
target_compile_definitions(tonvale PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(tonvale PRIVATE user32 gdi32 winmm)
# The resource compiler reads these files, but no dependency scan sees them.
set_source_files_properties(resources/tonvale.rc PROPERTIES
    OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/resources/panel.bmp;${PROJECT_SOURCE_DIR}/resources/hand.cur")
if(MINGW)
    # One self-contained exe: no MinGW runtime DLLs to ship beside it.
    target_link_options(tonvale PRIVATE -static -static-libgcc -static-libstdc++)
endif()

add_custom_command(TARGET tonvale POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${PROJECT_SOURCE_DIR}/resources/gm_ins.nms $<TARGET_FILE_DIR:tonvale>/gm_ins.nms)

if(MINGW)
    # Helpers of the end-to-end tests: the test MIDI driver (test_driver/winmm.dll), the MIDI monitor driver of
    # the run command (monitor_driver/winmm.dll) and the window probe (test_driver/winprobe.exe).
    set(HELPER_LINK_OPTIONS -static -static-libgcc -static-libstdc++)
    foreach(driver test monitor)
        add_library(${driver}_winmm SHARED tests/e2e/driver/test_winmm.cpp tests/e2e/driver/winmm.def)
        set_target_properties(${driver}_winmm PROPERTIES OUTPUT_NAME winmm PREFIX ""
            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${driver}_driver
            ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${driver}_driver/lib)
        target_compile_options(${driver}_winmm PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
        target_link_options(${driver}_winmm PRIVATE ${HELPER_LINK_OPTIONS})
    endforeach()
    target_compile_definitions(monitor_winmm PRIVATE TONVALE_MIDI_MONITOR)

    add_executable(winprobe tests/e2e/probe/winprobe.cpp)
    set_target_properties(winprobe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test_driver)
    target_compile_options(winprobe PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
    target_link_options(winprobe PRIVATE ${HELPER_LINK_OPTIONS})

    # The benchmark's floor program (bench/floor.exe): GetMessage, DispatchMessage, midiOutShortMsg.
    add_executable(bench_floor WIN32 tools/bench/floor.cpp)
    set_target_properties(bench_floor PROPERTIES OUTPUT_NAME floor RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_compile_options(bench_floor PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
    target_link_libraries(bench_floor PRIVATE winmm)
    target_link_options(bench_floor PRIVATE ${HELPER_LINK_OPTIONS})
endif()
