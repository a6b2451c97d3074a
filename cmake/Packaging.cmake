# Installation layout and the Debian package: `cpack -G DEB` in a Release build directory.
include(GNUInstallDirs)

set(QUORVELLE_APP_ID com.ombrevault.Quorvelle)
set(desktop_dir ${CMAKE_SOURCE_DIR}/resources/desktop)
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorvelle)

configure_file(${desktop_dir}/${QUORVELLE_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${QUORVELLE_APP_ID}.metainfo.xml @ONLY)
configure_file(${desktop_dir}/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)

# Debian wants the man page and the changelog compressed, without a time stamp inside.
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/quorvelle.1.gz ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND gzip -9n -c ${desktop_dir}/quorvelle.1 > ${CMAKE_BINARY_DIR}/quorvelle.1.gz
    COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/changelog > ${CMAKE_BINARY_DIR}/changelog.gz
    DEPENDS ${desktop_dir}/quorvelle.1 ${CMAKE_BINARY_DIR}/changelog
    VERBATIM)
add_custom_target(quorvelle_package_docs ALL
    DEPENDS ${CMAKE_BINARY_DIR}/quorvelle.1.gz ${CMAKE_BINARY_DIR}/changelog.gz)

install(TARGETS quorvelle RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${desktop_dir}/${QUORVELLE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/${QUORVELLE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${desktop_dir}/${QUORVELLE_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_BINARY_DIR}/quorvelle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${desktop_dir}/copyright ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${doc_dir})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/manual/ DESTINATION ${doc_dir}/manual
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvelle)
set(CPACK_PACKAGE_VENDOR Ombrevault)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ombrevault <quorvelle@ombrevault.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "register, readings and charts of borehole displacement sensors")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvelle keeps the register of multi-node borehole displacement sensors\ninstalled in mine roofs and walls and their readings, typed by hand or\nimported from logger files. It draws displacement and load charts against\ntime and against distance from the roof, writes sensor reports and exports\nreadings to spreadsheets. A command line imports logger files and writes\nexports and reports without a window, for scheduled work.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.ombrevault.example/quorvelle)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the shared-library scan cannot see them: the SQLite and site-server
# drivers, the picture format of the icons and the display plug-ins; libcurl4 is named too, for
# the alarm mail.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, libqt6sql6-psql, libqt6svg6, qt6-qpa-plugins, libcurl4")
include(CPack)
