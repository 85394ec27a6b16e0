# The Windows program (MinGW-w64 cross-build or MSVC), with the patch-name
# file placed beside it.
enable_language(RC)

add_executable(tonvale WIN32 ${PROGRAM_SOURCES} resources/tonvale.rc)
target_include_directories(tonvale PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(tonvale PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE}>)
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
