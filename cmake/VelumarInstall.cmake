# The package tool as an author installs it: `cmake --install build/native --prefix PREFIX`
# (`./dev install PREFIX`) puts velpack in PREFIX/bin and the Windows programs it packs under
# PREFIX/share/velumar, where velpack finds them; `./dev package` makes a Debian package of the
# same files with CPack. The Windows programs come from the Windows build tree
# (VELPACK_WIN32_BUILD_DIR, build/win32 by default): build it first (./dev build).
include(GNUInstallDirs)

set(VELUMAR_INSTALLED_PROGRAMS ${CMAKE_INSTALL_DATADIR}/velumar)
# velpack's way from its own folder to the programs (runtime.cpp), whatever the layout.
file(RELATIVE_PATH VELPACK_INSTALLED_PROGRAMS /${CMAKE_INSTALL_BINDIR}
     /${VELUMAR_INSTALLED_PROGRAMS})
target_compile_definitions(velpack_core PRIVATE
  VELPACK_INSTALLED_PROGRAMS="${VELPACK_INSTALLED_PROGRAMS}")

install(TARGETS velpack RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# program build-subfolder destination-subfolder
set(velumar_installed_programs
  "install.exe src/app ."
  "uninstall.exe src/uninstall ."
  "impborl.dll src/implode ."
  "flashax.exe examples/flashax stand-in")
foreach(entry IN LISTS velumar_installed_programs)
  separate_arguments(entry)
  list(GET entry 0 name)
  list(GET entry 1 from)
  list(GET entry 2 to)
  set(file ${VELPACK_WIN32_BUILD_DIR}/${from}/${name})
  install(CODE "
    if(NOT EXISTS \"${file}\")
      message(FATAL_ERROR \"${file} is missing: build the Windows programs first (./dev build)\")
    endif()")
  install(FILES ${file} DESTINATION ${VELUMAR_INSTALLED_PROGRAMS}/${to})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/tools/velpack/installed-programs.txt
        DESTINATION ${VELUMAR_INSTALLED_PROGRAMS} RENAME README.txt)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velumar)
set(CPACK_PACKAGE_VENDOR "The Velumar project")
set(CPACK_PACKAGE_CONTACT "The Velumar project <velumar@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "tools to build installers of desktop-movie wallpapers for Windows 95 to XP")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"velpack builds, lists, extracts, verifies and signs Velumar installers: self-extracting
 installers of Active Desktop movie wallpapers for 32-bit Windows 95 to XP. The Windows
 programs every installer carries (install.exe, uninstall.exe, impborl.dll) are in
 /usr/share/velumar, with the project's stand-in for the Flash player installer apart in
 /usr/share/velumar/stand-in (not a Flash player).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# velpack build --sign runs osslsigncode.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS osslsigncode)
set(CPACK_PACKAGE_INSTALL_DIRECTORY velumar)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
