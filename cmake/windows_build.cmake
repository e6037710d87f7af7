# The Windows builds: the real gen_loudmark.dll (win32), and the same code built for
# x86_64 to run under wine64 with the end-to-end host (win64).
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/src -I${CMAKE_SOURCE_DIR}/res")

add_library(gen_loudmark SHARED ${LOUDMARK_SOURCES} ${CMAKE_SOURCE_DIR}/res/loudmark.rc)
set_target_properties(gen_loudmark PROPERTIES PREFIX "" OUTPUT_NAME gen_loudmark)
target_include_directories(gen_loudmark PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(gen_loudmark PRIVATE ${LOUDMARK_PLUGIN_FLAGS} -Os -ffunction-sections -fdata-sections)
target_link_options(gen_loudmark PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections
  ${CMAKE_SOURCE_DIR}/src/host/gen_loudmark.def)
target_link_libraries(gen_loudmark PRIVATE user32 shell32 advapi32 winmm kernel32)

if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/CMakeLists.txt)
  add_subdirectory(tests/wine)
endif()
