# The shipped programs (install.exe, uninstall.exe, impborl.dll and the
# sample's programs) are built by the win32 thread-model compilers. A test
# build, which needs the posix-thread compilers, takes them from that build
# tree (VELUMAR_PROGRAMS_DIR) as imported targets of the same names, so that
# every test runs the programs exactly as they ship.
set(VELUMAR_PROGRAMS_DIR "" CACHE PATH
    "Build tree holding the shipped programs; empty to build them here")
if(VELUMAR_WIN32 AND NOT VELUMAR_PROGRAMS_DIR)
  set(VELUMAR_BUILD_PROGRAMS ON)
else()
  set(VELUMAR_BUILD_PROGRAMS OFF)
endif()

# The C++ programs that ship list this among their own sources (see the file).
set(VELUMAR_CXX_RUNTIME ${PROJECT_SOURCE_DIR}/src/util/cxx_runtime.cpp)

# velumar_shipped_program(<target>)
# Called where a shipped program is defined: the linker writes its map beside it
# (<program>.map), so that the checks in tests/programs can name the function and the object
# file behind an address of the stripped program. In the 32-bit build it is linked again
# whenever ./dev setup rebuilds the i486 runtime (VELUMAR_RUNTIME_STAMP), and a program's
# unwind tables are then rewritten in their shortest form (cmake/compact-eh-frame; the
# stripped Release build only).
if(VELUMAR_BUILD_PROGRAMS AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_BUILD_TYPE STREQUAL "Release")
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(VELUMAR_COMPACT_EH_FRAME ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/compact-eh-frame)
endif()
function(velumar_shipped_program target)
  target_link_options(${target} PRIVATE "LINKER:-Map=$<TARGET_FILE:${target}>.map")
  if(VELUMAR_RUNTIME_STAMP)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELUMAR_RUNTIME_STAMP})
  endif()
  get_target_property(type ${target} TYPE)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE -flto=auto)
  endif()
  if(VELUMAR_COMPACT_EH_FRAME AND type STREQUAL "EXECUTABLE")
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${VELUMAR_COMPACT_EH_FRAME} --objdump ${CMAKE_OBJDUMP}
              $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.map
      VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
                 ${PROJECT_SOURCE_DIR}/cmake/compact-eh-frame)
  endif()
endfunction()

# velumar_import_program(<target> EXECUTABLE|SHARED <path inside VELUMAR_PROGRAMS_DIR>)
# Called where a program is defined, in the trees that do not build it.
function(velumar_import_program target kind path)
  if(NOT VELUMAR_WIN32)
    return()
  endif()
  set(file ${VELUMAR_PROGRAMS_DIR}/${path})
  if(kind STREQUAL "SHARED")
    add_library(${target} SHARED IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES IMPORTED_IMPLIB ${file}.a)
  else()
    add_executable(${target} IMPORTED GLOBAL)
  endif()
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${file})
endfunction()


# velumar_program_manifest(<target> <name>)
# Gives a shipped program an application manifest with nothing but its identity: no
# dependency (the common controls stay those of the system, as without one) and no execution
# level. Its one effect: Windows XP SP2 and later ignore a "<program>.local" beside a program
# that has a manifest, which would otherwise send every library load to the program's
# (download) folder. The caller enables the RC language.
function(velumar_program_manifest target name)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(VELUMAR_MANIFEST_ARCHITECTURE x86)
  else()
    set(VELUMAR_MANIFEST_ARCHITECTURE amd64)
  endif()
  set(VELUMAR_MANIFEST_NAME ${name})
  set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.manifest.in ${manifest} @ONLY)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
  # 1 is the manifest a process is created with, 24 the resource type RT_MANIFEST.
  file(WRITE ${rc} "1 24 \"${manifest}\"\n")
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${manifest})
  target_sources(${target} PRIVATE ${rc})
endfunction()
