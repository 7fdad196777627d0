# The Debian package annalex_<version>_amd64.deb, made by `cpack -G DEB` in the build folder
# (scripts/package.sh): the programs and the restart program in the install rules' places below
# /usr, man pages, the wizard's desktop entry and icon, and the copyright and changelog files.
# Dependencies are read from the programs (dpkg-shlibdeps).
include(GNUInstallDirs)

set(annalex_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(annalex_docdir ${CMAKE_INSTALL_DATADIR}/doc/annalex)

# Man pages and the changelog are installed compressed, without time stamps.
set(annalex_gzipped)
foreach(name annalex.1 annalex-wizard.1 changelog)
  set(gzipped ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${gzipped}
                     COMMAND sh -c "gzip -9nc \"$0\" > \"$1\"" ${annalex_packaging}/${name} ${gzipped}
                     DEPENDS ${annalex_packaging}/${name}
                     VERBATIM)
  list(APPEND annalex_gzipped ${gzipped})
endforeach()
add_custom_target(annalex_packaging_files ALL DEPENDS ${annalex_gzipped})

install(FILES ${PROJECT_BINARY_DIR}/packaging/annalex.1.gz
              ${PROJECT_BINARY_DIR}/packaging/annalex-wizard.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${annalex_packaging}/annalex-wizard.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${annalex_packaging}/annalex-wizard.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${annalex_packaging}/copyright DESTINATION ${annalex_docdir})
# A package without a Debian revision keeps its changelog as changelog.gz.
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${annalex_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME annalex)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_CONTACT "Velmora Support <support@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calendar generator for multidimensional cubes")
set(CPACK_PACKAGE_DESCRIPTION
    "Annalex generates the calendar of a cube's time dimension: a hierarchy with
Year, Quarter, Month, Week and Day levels for Gregorian, fiscal, ISO 8601,
retail and thirteen-period calendars, with holidays and working days.

This package holds the command line annalex, which also writes day tables
for data warehouses (CSV, SQLite and PostgreSQL scripts), the desktop wizard
annalex-wizard and the restart program of its error report.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
