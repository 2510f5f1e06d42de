# Installing and packaging. The program folder (program, settings defaults, sounds, environments,
# banner page, solver engines) goes to lib/torvane under the prefix; bin/torvane is a link to the
# program, and the desktop file, icons, AppStream metainfo, manual page, copyright and changelog go
# where desktops and Debian look for them. The program finds everything else beside its own file,
# wherever the link is.
include(GNUInstallDirs)
set(TORVANE_INSTALL_DIR "lib/torvane") # one folder, whatever the architecture
set(TORVANE_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/torvane") # the package's name, not the project's
set(TORVANE_APP_ID example.torvane.Torvane) # reverse domain name of our web site
# Folders the install makes are rwxr-xr-x whatever the umask, as in any Debian package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The engine host, the banner's web view plug-in and the helper that asks the banner's site beside the
# program, where the program looks for them.
install(TARGETS torvane torvane-engine-host torvane-banner-probe RUNTIME DESTINATION "${TORVANE_INSTALL_DIR}")
install(TARGETS torvane-banner LIBRARY DESTINATION "${TORVANE_INSTALL_DIR}")
if(TARGET twophase)
  install(TARGETS twophase LIBRARY DESTINATION "${TORVANE_INSTALL_DIR}")
  install(FILES "${TORVANE_PROGRAM_DIR}/twophase.tables" DESTINATION "${TORVANE_INSTALL_DIR}")
endif()
install(FILES assets/torvane.ini assets/banner.htm DESTINATION "${TORVANE_INSTALL_DIR}")
install(DIRECTORY assets/sounds assets/Environment DESTINATION "${TORVANE_INSTALL_DIR}")
# The launcher is in bin, and in games too, where Debian keeps the programs of its games section.
foreach(dir "${CMAKE_INSTALL_BINDIR}" games)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dir}/torvane\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${dir}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"../${TORVANE_INSTALL_DIR}/torvane\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link}\")")
endforeach()
install(FILES "assets/${TORVANE_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
foreach(size 16 32 48 64 128 256)
  install(FILES "assets/icons/torvane-${size}.png" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME torvane.png)
endforeach()
install(FILES assets/icons/torvane.svg DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "packaging/${TORVANE_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES packaging/copyright DESTINATION "${TORVANE_DOC_DIR}")

# The manual page and the changelog are installed compressed, without name or time stamp in the
# gzip header, so that the same sources give the same package.
find_program(TORVANE_GZIP gzip REQUIRED)
set(packaging_out "${CMAKE_BINARY_DIR}/packaging")
set(packaging_gz)
foreach(pair "torvane.6;torvane.6" "changelog;changelog.Debian")
  list(GET pair 0 source)
  list(GET pair 1 target)
  add_custom_command(
    OUTPUT "${packaging_out}/${target}.gz"
    COMMAND ${CMAKE_COMMAND} -E copy "${PROJECT_SOURCE_DIR}/packaging/${source}" "${packaging_out}/${target}"
    COMMAND "${TORVANE_GZIP}" -9nf "${packaging_out}/${target}"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/${source}"
    COMMENT "Compressing ${target}")
  list(APPEND packaging_gz "${packaging_out}/${target}.gz")
endforeach()
add_custom_target(packaging_texts ALL DEPENDS ${packaging_gz})
install(FILES "${packaging_out}/torvane.6.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man6")
install(FILES "${packaging_out}/changelog.Debian.gz" DESTINATION "${TORVANE_DOC_DIR}")

# scripts/package: a Debian package of the above, installed under /usr. Its revision comes from the
# newest entry of packaging/changelog; scripts/package fails when that entry's version is not the
# package's (a new version needs a new entry), a plain build only warns.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/packaging/changelog")
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" changelog_head LIMIT_COUNT 1)
if(changelog_head MATCHES "^torvane \\(([^-)]+)-([^)]+)\\)" AND CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  set(CPACK_DEBIAN_PACKAGE_RELEASE "${CMAKE_MATCH_2}")
else()
  message(WARNING "packaging/changelog: the newest entry is not 'torvane (${PROJECT_VERSION}-<revision>)'")
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VENDOR "The 3D Torvane developers")
set(CPACK_PACKAGE_CONTACT "The 3D Torvane developers <support@torvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D cube puzzle simulator with solver")
# Lines of at most 80 characters, as Debian wants them; an empty line separates paragraphs.
set(CPACK_PACKAGE_DESCRIPTION "\
3D Torvane shows a 3x3x3 cube puzzle in 3D. Turn its layers with the mouse,
with animation and sound; scramble, undo, redo and restart; keep several games
open side by side.

Paint mode copies the colours of a real cube, and the built-in two-phase solver
shows how to solve it, move by move. Panoramic environments, lighting and
colours are chosen in dialogs with a live preview; further solver engines can
be added as plug-ins.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON) # the program and the engine ship without symbol tables
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.torvane.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF) # packaging/shlibdeps.cmake says why and does it instead
set(CPACK_PRE_BUILD_SCRIPTS "${PROJECT_SOURCE_DIR}/packaging/shlibdeps.cmake")
# Loaded at run time, so not found by the library scan: the banner web view's QML modules and the GL
# drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtwebengine, qml6-module-qtquick, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, libgl1-mesa-dri")
include(CPack)
