# The Windows program (MinGW-w64 cross-build or MSVC), with the patch-name
# file placed beside it.
enable_language(RC)

# The .def file exports the window procedure by its plain name in the 32-bit
# build too, where __declspec(dllexport) would give it a decorated one.
add_executable(tonvale WIN32 ${PROGRAM_SOURCES} resources/tonvale.rc resources/tonvale.def)
set_target_properties(tonvale PROPERTIES ENABLE_EXPORTS ON)
target_include_directories(tonvale PRIVATE ${PROJECT_SOURCE_DIR})
set(PROGRAM_CXX_OPTIONS ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
target_compile_options(tonvale PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${PROGRAM_CXX_OPTIONS}>")
target_compile_definitions(tonvale PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(tonvale PRIVATE user32 gdi32 winmm shell32 wtsapi32)
# The version information's four numbers, from the version project() sets.
foreach(part MAJOR MINOR PATCH TWEAK)
    if(PROJECT_VERSION_${part} STREQUAL "")
        list(APPEND FILE_VERSION_NUMBERS 0)
    else()
        list(APPEND FILE_VERSION_NUMBERS ${PROJECT_VERSION_${part}})
    endif()
endforeach()
list(JOIN FILE_VERSION_NUMBERS "," FILE_VERSION)
# The text goes in unquoted, one number token that the script quotes itself:
# windres loses the quotes of a quoted definition on its way to the preprocessor.
set_property(SOURCE resources/tonvale.rc APPEND PROPERTY COMPILE_DEFINITIONS
             TONVALE_FILE_VERSION=${FILE_VERSION} TONVALE_VERSION_TEXT=${PROJECT_VERSION})
# The resource compiler reads these files, but no dependency scan sees them.
set(RESOURCE_FILES tonvale.manifest tonvale.ico panel.bmp panel-2x.bmp hand.cur)
list(TRANSFORM RESOURCE_FILES PREPEND ${PROJECT_SOURCE_DIR}/resources/)
set_source_files_properties(resources/tonvale.rc PROPERTIES OBJECT_DEPENDS "${RESOURCE_FILES}")
if(MSVC)
    # The resource script embeds the manifest; the linker must not add its own.
    target_link_options(tonvale PRIVATE /MANIFEST:NO)
endif()
if(MINGW)
    # One self-contained exe: no MinGW runtime DLLs to ship beside it.
    target_link_options(tonvale PRIVATE -static -static-libgcc -static-libstdc++)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        # The .def names MainWndProc; the 32-bit symbol is MainWndProc@16.
        target_link_options(tonvale PRIVATE -Wl,--enable-stdcall-fixup)
    endif()
endif()

add_custom_command(TARGET tonvale POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${PROJECT_SOURCE_DIR}/resources/gm_ins.nms $<TARGET_FILE_DIR:tonvale>/gm_ins.nms)

if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 8)
    # Helpers of the 64-bit build, which the end-to-end tests run: the test
    # MIDI driver (test_driver/winmm.dll), the run command's MIDI monitor
    # (monitor_driver/winmm.dll: the same stand-in winmm.dll with the monitor's
    # variant, tools/midi_monitor/) and the window probe (test_driver/winprobe.exe).
    set(HELPER_LINK_OPTIONS -static -static-libgcc -static-libstdc++)
    foreach(driver test monitor)
        add_library(${driver}_winmm SHARED tests/e2e/driver/test_winmm.cpp tests/e2e/driver/winmm.def)
        set_target_properties(${driver}_winmm PROPERTIES OUTPUT_NAME winmm PREFIX ""
            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${driver}_driver
            ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${driver}_driver/lib)
        target_include_directories(${driver}_winmm PRIVATE ${PROJECT_SOURCE_DIR})
        target_compile_options(${driver}_winmm PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
        target_link_options(${driver}_winmm PRIVATE ${HELPER_LINK_OPTIONS})
    endforeach()
    target_sources(test_winmm PRIVATE tests/e2e/driver/test_variant.cpp)
    target_sources(monitor_winmm PRIVATE tools/midi_monitor/midi_monitor.cpp)

    add_executable(winprobe tests/e2e/probe/winprobe.cpp)
    set_target_properties(winprobe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test_driver)
    target_compile_options(winprobe PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
    target_link_options(winprobe PRIVATE ${HELPER_LINK_OPTIONS})

    # The benchmark's floor program (bench/floor.exe): GetMessage, DispatchMessage, midiOutShortMsg.
    add_executable(bench_floor WIN32 tools/bench/floor.cpp)
    set_target_properties(bench_floor PROPERTIES OUTPUT_NAME floor RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_compile_options(bench_floor PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
    target_link_libraries(bench_floor PRIVATE winmm gdi32)
    target_link_options(bench_floor PRIVATE ${HELPER_LINK_OPTIONS})
endif()

# The package (cmake --build <build> --target package): a zip of the program,
# its patch names and a README with the line ends Notepad expects, and an
# installer of the same files for the user who runs it (cmake/NSIS.template.in).
configure_file(docs/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS tonvale RUNTIME DESTINATION .)
install(FILES resources/gm_ins.nms ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME tonvale-${PROJECT_VERSION}-win64)
    set(CPACK_TONVALE_NSIS_TARGET amd64-unicode)
else()
    set(CPACK_PACKAGE_FILE_NAME tonvale-${PROJECT_VERSION}-win32)
    set(CPACK_TONVALE_NSIS_TARGET x86-unicode)
endif()
# One uninstall entry whatever the version, so that an upgrade replaces it.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tonvale)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/resources/tonvale.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/resources/tonvale.ico)
# cpack takes the project's NSIS.template.in from here, and names the
# installer ...-setup.exe beside the zip in cpack_options.cmake.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_options.cmake)
include(CPack)
