# The Windows builds: the real gen_loudmark.dll (win32), and the same code built for
# x86_64 to run under wine64 with the end-to-end host (win64).
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/src -I${CMAKE_SOURCE_DIR}/res")

# The resource script (icons, the dialog) is written alongside the code; globbed so that
# its arrival is noticed by the next build without a fresh configure.
file(GLOB LOUDMARK_RESOURCES CONFIGURE_DEPENDS ${LOUDMARK_RESOURCE_SCRIPT})
# The resource compiler's dependency scan does not see the icon files it reads: a
# redrawn icon must rebuild the resources all the same.
file(GLOB LOUDMARK_ICON_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/icons/*.ico)
set_source_files_properties(${LOUDMARK_RESOURCES} PROPERTIES OBJECT_DEPENDS "${LOUDMARK_ICON_FILES}")
set(LOUDMARK_DEF_FILE ${CMAKE_SOURCE_DIR}/src/plugin/gen_loudmark.def)

add_library(gen_loudmark SHARED ${LOUDMARK_SOURCES} ${LOUDMARK_DLL_RUNTIME} ${LOUDMARK_RESOURCES})
set_target_properties(gen_loudmark PROPERTIES PREFIX "" OUTPUT_NAME gen_loudmark)
target_include_directories(gen_loudmark PRIVATE ${CMAKE_SOURCE_DIR}/src)
# No exceptions pass through us, so no unwind tables either: they were a sixth of the
# module.
target_compile_options(gen_loudmark PRIVATE ${LOUDMARK_PLUGIN_FLAGS} -Os -ffunction-sections -fdata-sections
  -fno-asynchronous-unwind-tables -fno-unwind-tables)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The player and the system call us with the stack only 4-byte aligned, while the
  # i686 compiler may assume 16: every function realigns where it needs to.
  target_compile_options(gen_loudmark PRIVATE -mstackrealign)
endif()
# Without them, the compiler's loop rewriting would turn the runtime's loops into calls
# to themselves.
set_source_files_properties(${LOUDMARK_DLL_RUNTIME} PROPERTIES
  COMPILE_OPTIONS "-fno-builtin;-fno-tree-loop-distribute-patterns")
# No C runtime: the module starts at DllMain (stdcall, so decorated in the 32-bit
# build), imports only system DLLs that every Windows since 95 has, and takes from
# libgcc what the compiler itself needs. The .def names the one export, undecorated.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(LOUDMARK_DLL_ENTRY _DllMain@12)
else()
  set(LOUDMARK_DLL_ENTRY DllMain)
endif()
target_link_options(gen_loudmark PRIVATE -nostartfiles -nodefaultlibs -static -static-libgcc -s
  -Wl,--gc-sections -Wl,--entry,${LOUDMARK_DLL_ENTRY} ${LOUDMARK_DEF_FILE})
set_property(TARGET gen_loudmark APPEND PROPERTY LINK_DEPENDS ${LOUDMARK_DEF_FILE})
target_link_libraries(gen_loudmark PRIVATE user32 shell32 advapi32 winmm kernel32 gcc)

# The Wine host in both builds: the 32-bit one drives the product DLL under the emulated
# 32-bit Wine. The Wine demo is the 64-bit build's only.
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/wine/CMakeLists.txt)
  add_subdirectory(tests/wine)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND EXISTS ${CMAKE_SOURCE_DIR}/demo/wine/CMakeLists.txt)
    add_subdirectory(demo/wine)
  endif()
endif()
