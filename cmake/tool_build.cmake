# loudmark-db, the database tool. Its logic (src/tool, all but tool_main.cpp) builds over
# whichever platform the build has: natively over the simulated one, where the tests
# drive it; for Windows with the core and the adapters into loudmark-db.exe, a console
# program linked statically (a listener's machine has no mingw runtime).
file(GLOB LOUDMARK_TOOL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/tool/*.cpp)
set(LOUDMARK_TOOL_MAIN ${CMAKE_SOURCE_DIR}/src/tool/tool_main.cpp)
set(LOUDMARK_TOOL_LATE_IMPORTS ${CMAKE_SOURCE_DIR}/src/tool/late_imports.cpp)
list(REMOVE_ITEM LOUDMARK_TOOL_SOURCES ${LOUDMARK_TOOL_MAIN} ${LOUDMARK_TOOL_LATE_IMPORTS})

# Compiled once, with the DLL's own flags (no exceptions, no RTTI), for every program
# that links it.
add_library(loudmark_db_logic STATIC ${LOUDMARK_TOOL_SOURCES})
target_compile_options(loudmark_db_logic PRIVATE ${LOUDMARK_PLUGIN_FLAGS})

if(WIN32)
  # This build has no core library of its own: the DLL compiles its sources itself.
  # With the import slots of the functions it loads late (late_imports.cpp).
  target_sources(loudmark_db_logic PRIVATE ${LOUDMARK_CORE_SOURCES} ${LOUDMARK_TOOL_LATE_IMPORTS})
  target_include_directories(loudmark_db_logic PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(loudmark_db_logic PRIVATE -ffunction-sections -fdata-sections)
  target_link_libraries(loudmark_db_logic PUBLIC user32 shell32 advapi32 winmm kernel32)

  # The manifest asks for asInvoker: unmarked, the tool would be virtualized on Vista and
  # later and see other files than the player.
  add_executable(loudmark-db ${LOUDMARK_TOOL_MAIN} ${CMAKE_SOURCE_DIR}/res/loudmark-db.rc)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/res/loudmark-db.rc APPEND PROPERTY OBJECT_DEPENDS
    ${CMAKE_SOURCE_DIR}/res/loudmark-db.manifest)
  target_compile_options(loudmark-db PRIVATE ${LOUDMARK_PLUGIN_FLAGS} -ffunction-sections -fdata-sections)
  # -municode: the C runtime starts at wmain, with the wide arguments.
  target_link_options(loudmark-db PRIVATE -municode -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections)
  target_link_libraries(loudmark-db PRIVATE loudmark_db_logic)

  # Where the time of a clean goes, for bench/wine/tool_clean.sh (built when asked for).
  add_executable(loudmark_db_timing EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/wine/tool_clean_timing.cpp)
  target_compile_options(loudmark_db_timing PRIVATE ${LOUDMARK_PLUGIN_FLAGS})
  target_link_options(loudmark_db_timing PRIVATE -static -static-libgcc -static-libstdc++)
  target_link_libraries(loudmark_db_timing PRIVATE loudmark_db_logic)
else()
  target_link_libraries(loudmark_db_logic PUBLIC loudmark_core)
  if(TARGET loudmark_tests)
    target_link_libraries(loudmark_tests PRIVATE loudmark_db_logic)
  endif()
endif()
