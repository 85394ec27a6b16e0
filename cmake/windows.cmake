# The Windows program (MinGW-w64 cross-build or MSVC).
add_library(tonvale_program STATIC ${PROGRAM_SOURCES})
target_include_directories(tonvale_program PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(tonvale_program PRIVATE ${PROGRAM_WARNINGS} ${PROGRAM_HYGIENE})
target_compile_definitions(tonvale_program PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(tonvale_program PUBLIC user32 gdi32 winmm)
