# loudmark-db, the database tool. Its logic (src/tool, all but tool_main.cpp) builds over
# whichever platform the build has: natively over the simulated one, where the tests
# drive it; for Windows with the core and the adapters into loudmark-db.exe, a console
# program linked statically (a listener's machine has no mingw runtime).
file(GLOB LOUDMARK_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/tool/*.cpp)
set(LOUDMARK_TOOL_MAIN ${CMAKE_SOURCE_DIR}/src/tool/tool_main.cpp)
list(REMOVE_ITEM LOUDMARK_TOOL_SOURCES ${LOUDMARK_TOOL_MAIN})
# As the DLL's own code: no exceptions, no RTTI.
set(LOUDMARK_TOOL_FLAGS -fno-exceptions -fno-rtti -Wall -Wextra)

if(WIN32)
  add_executable(loudmark-db ${LOUDMARK_TOOL_MAIN} ${LOUDMARK_TOOL_SOURCES} ${LOUDMARK_CORE_SOURCES})
  target_include_directories(loudmark-db PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(loudmark-db PRIVATE ${LOUDMARK_TOOL_FLAGS} -ffunction-sections -fdata-sections)
  target_link_options(loudmark-db PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
  target_link_libraries(loudmark-db PRIVATE user32 shell32 advapi32 winmm kernel32)

  # Where the time of a clean goes, for tests/tool/bench_clean_wine.sh (built when asked for).
  add_executable(loudmark_db_timing EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/tool/clean_timing_probe.cpp
    ${LOUDMARK_TOOL_SOURCES} ${LOUDMARK_CORE_SOURCES})
  target_include_directories(loudmark_db_timing PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(loudmark_db_timing PRIVATE ${LOUDMARK_TOOL_FLAGS})
  target_link_options(loudmark_db_timing PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(loudmark_db_timing PRIVATE user32 shell32 advapi32 winmm kernel32)
else()
  add_library(loudmark_db_logic STATIC ${LOUDMARK_TOOL_SOURCES})
  target_compile_options(loudmark_db_logic PRIVATE ${LOUDMARK_TOOL_FLAGS})
  target_link_libraries(loudmark_db_logic PUBLIC loudmark_core)
  if(TARGET loudmark_tests)
    target_link_libraries(loudmark_tests PRIVATE loudmark_db_logic)
  endif()
endif()
