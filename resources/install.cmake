# Desktop integration of the glyphon program: its menu entry and icons.
# Included by the program's CMakeLists after include(GNUInstallDirs); the
# entry's file name must match QGuiApplication::setDesktopFileName("glyphon").
set(GLYPHON_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR})

# The entry starts the program by its installed path (see GLYPHON_INSTALL_GAMESDIR).
configure_file(${GLYPHON_RESOURCES_DIR}/glyphon.desktop.in ${PROJECT_BINARY_DIR}/glyphon.desktop @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/glyphon.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

foreach(size IN ITEMS 48 128 256)
    install(FILES ${GLYPHON_RESOURCES_DIR}/icons/glyphon-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME glyphon.png)
endforeach()

install(FILES ${GLYPHON_RESOURCES_DIR}/icons/glyphon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
