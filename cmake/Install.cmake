# Installing and packaging. The program folder (program, settings defaults, sounds, environments,
# banner page, solver engines) goes to lib/torvane under the prefix; bin/torvane is a link to the
# program, and the desktop file and icons go where desktops look for them. The program finds
# everything else beside its own file, wherever the link is.
include(GNUInstallDirs)
set(TORVANE_INSTALL_DIR "lib/torvane") # one folder, whatever the architecture

install(TARGETS torvane RUNTIME DESTINATION "${TORVANE_INSTALL_DIR}")
if(TARGET twophase)
  install(TARGETS twophase LIBRARY DESTINATION "${TORVANE_INSTALL_DIR}")
  install(FILES "${TORVANE_PROGRAM_DIR}/twophase.tables" DESTINATION "${TORVANE_INSTALL_DIR}")
endif()
install(FILES assets/torvane.ini assets/banner.htm DESTINATION "${TORVANE_INSTALL_DIR}")
install(DIRECTORY assets/sounds assets/Environment DESTINATION "${TORVANE_INSTALL_DIR}")
install(CODE "
  set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/torvane\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(REMOVE \"\${link}\")
  file(CREATE_LINK \"../${TORVANE_INSTALL_DIR}/torvane\" \"\${link}\" SYMBOLIC)
  message(STATUS \"Installing: \${link}\")")
install(FILES assets/torvane.desktop DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
foreach(size 16 32 48 64 128 256)
  install(FILES "assets/icons/torvane-${size}.png" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
          RENAME torvane.png)
endforeach()
install(FILES assets/icons/torvane.svg DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

# scripts/package: a Debian package of the above, installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VENDOR "The 3D Torvane developers")
set(CPACK_PACKAGE_CONTACT "The 3D Torvane developers <support@torvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D cube puzzle simulator with solver")
set(CPACK_PACKAGE_DESCRIPTION "Turn the layers of a 3x3x3 cube with the mouse, scramble, undo and redo, \
paint the colours of a real cube and let the built-in two-phase solver show how to solve it.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.torvane.example")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found by the library scan: the banner's web view and the GL drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qml6-module-qtwebengine, qml6-module-qtquick, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, libgl1-mesa-dri")
include(CPack)
