# `cpack -G DEB` in the build folder: tidemark_<version>_amd64.deb, made from what
# `cmake --install` puts under /usr. Its Depends come from dpkg-shlibdeps, which reads
# the programs and the modules in /usr/lib/tidemark: the modules are loaded with dlopen,
# so no program names their libraries (the browser engine, QtPdf, libcurl), and only
# reading the modules themselves puts those packages in Depends.
set(CPACK_PACKAGE_NAME tidemark)
set(CPACK_PACKAGE_VENDOR "Tidemark developers")
set(CPACK_PACKAGE_CONTACT "Tidemark developers <tidemark@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pages of time-series graphs from a database for wall displays")
set(CPACK_PACKAGE_DESCRIPTION
    "Tidemark shows pages of up to 12 time-series graphs of river, rain, reservoir
and weather data read from a database (SQLite, PostgreSQL or any ODBC source,
Access and Excel files). It pages them on unattended wall displays, reloads
when the database has new data, raises watch-level warnings and publishes page
images to a web site.

The package holds the program, its demo generator, the wall-display user
service, the manual page and the database schema.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The database drivers are plug-ins Qt loads by name, so no library names them either
# (PostgreSQL is read through libpq, which the program links).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
# The kiosk of the README runs under a Wayland compositor (cage), where Qt needs its
# Wayland platform plug-in: without it the display aborts at every start.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, libqt6sql6-odbc, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cage, weston")
# CPack gives a package with a shared object under /usr/lib a postinst and a postrm that
# run ldconfig. The modules in /usr/lib/tidemark are no libraries of the linker's path,
# and the C library's trigger runs ldconfig for packages that do ship some, so the
# scripts are taken out again (a postrm would also keep a removed package on the
# system until it is purged).
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/drop_ldconfig_scripts.cmake)
include(CPack)
