# Installation layout and the Debian package. The version comes from the
# project() call of the top-level CMakeLists and nowhere else.
install(TARGETS trovik-dump RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET trovik)
  install(TARGETS trovik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# Man pages and metadata carry the project's version.
foreach(file doc/trovik.1 dist/org.trovik.Trovik.metainfo.xml)
  configure_file(${file}.in ${PROJECT_BINARY_DIR}/${file} @ONLY)
endforeach()
# trovik-dump's page lists the dump types of the catalog, written at build time.
configure_file(doc/trovik-dump.1.in ${PROJECT_BINARY_DIR}/doc/trovik-dump.1.types.in @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/doc/trovik-dump.1
                   COMMAND trovik_man_types ${PROJECT_BINARY_DIR}/doc/trovik-dump.1.types.in
                           ${PROJECT_BINARY_DIR}/doc/trovik-dump.1
                   DEPENDS trovik_man_types ${PROJECT_BINARY_DIR}/doc/trovik-dump.1.types.in
                   COMMENT "Writing the man page of trovik-dump")
add_custom_target(man_pages ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/trovik-dump.1)
install(FILES ${PROJECT_BINARY_DIR}/doc/trovik.1 ${PROJECT_BINARY_DIR}/doc/trovik-dump.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES dist/bash-completion/trovik-dump DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES dist/org.trovik.Trovik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/dist/org.trovik.Trovik.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
if(EXISTS ${PROJECT_SOURCE_DIR}/res/icons/org.trovik.Trovik.svg)
  install(FILES res/icons/org.trovik.Trovik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
foreach(size 16 32 48 64 128 256)
  if(EXISTS ${PROJECT_SOURCE_DIR}/res/icons/org.trovik.Trovik-${size}.png)
    install(FILES res/icons/org.trovik.Trovik-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME org.trovik.Trovik.png)
  endif()
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trovik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Trovik developers <trovik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk image, ISO and executable structure viewer")
set(CPACK_PACKAGE_DESCRIPTION "Trovik shows what is really in a disk image, an ISO, an executable or a
memory capture: exact hex and source-data dumps, and field-by-field
decodings of MBR, GPT, FAT, ext2/3/4, ISO 9660, UDF, MZ/PE, LEAN, QOR and
USB OHCI structures with every broken rule flagged. trovik-dump prints the
same report on the command line.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://localhost/trovik")
set(CPACK_STRIP_FILES ON)
include(CPack)
