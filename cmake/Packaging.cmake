# Installation beyond the programs (manual pages, metadata, licences, the
# host's service) and the Debian package made from it by CPack.
set(GLYPHON_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/resources/packaging)
# Debian's documentation folder is named after the package, in lower case.
set(GLYPHON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/glyphon)

# Manual pages, the changelog and the service units name the programs' path;
# manual pages and the changelog are installed compressed, as Debian expects.
set(glyphon_gzipped)
foreach(file IN ITEMS glyphon.6 glyphon-server.6 glyphon-lobby.6 debian/changelog)
    get_filename_component(name ${file} NAME)
    set(source ${GLYPHON_PACKAGING_DIR}/${file})
    if(EXISTS ${source}.in)
        configure_file(${source}.in ${CMAKE_CURRENT_BINARY_DIR}/${name} @ONLY)
        set(source ${CMAKE_CURRENT_BINARY_DIR}/${name})
    endif()
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
        COMMAND gzip -9nc ${source} > ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
        DEPENDS ${source} VERBATIM)
    list(APPEND glyphon_gzipped ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
endforeach()
add_custom_target(glyphon_gzipped_docs ALL DEPENDS ${glyphon_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/glyphon.6.gz ${CMAKE_CURRENT_BINARY_DIR}/glyphon-server.6.gz
              ${CMAKE_CURRENT_BINARY_DIR}/glyphon-lobby.6.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${GLYPHON_PACKAGING_DIR}/org.example.glyphon.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# A native package's changelog is the Debian changelog itself.
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${GLYPHON_DOC_DIR})
# Debian looks for the licences in one file named copyright; it holds both.
set(GLYPHON_COPYRIGHT ${CMAKE_CURRENT_BINARY_DIR}/copyright)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE glyphon_licence)
file(READ ${PROJECT_SOURCE_DIR}/resources/words/SCOWL-COPYRIGHT glyphon_scowl_licence)
file(WRITE ${GLYPHON_COPYRIGHT}
    "Glyphon\n\n${glyphon_licence}\n\nThe word list is made from SCOWL:\n\n${glyphon_scowl_licence}")
install(FILES ${GLYPHON_COPYRIGHT} DESTINATION ${GLYPHON_DOC_DIR})

# The services live where systemd looks for packaged units: one host, a
# template for one host per port, and the internet lobby; their options files
# in /etc (GNUInstallDirs maps the sysconf folder of prefix /usr to /etc).
set(GLYPHON_SYSTEMD_UNIT_DIR lib/systemd/system CACHE STRING "Folder of systemd units, relative to the prefix")
foreach(unit IN ITEMS glyphon-server.service glyphon-server@.service glyphon-lobby.service)
    configure_file(${GLYPHON_PACKAGING_DIR}/${unit}.in ${CMAKE_CURRENT_BINARY_DIR}/${unit} @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${unit} DESTINATION ${GLYPHON_SYSTEMD_UNIT_DIR})
endforeach()
install(FILES ${GLYPHON_PACKAGING_DIR}/glyphon-server.default
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default RENAME glyphon-server)
install(FILES ${GLYPHON_PACKAGING_DIR}/glyphon-lobby.default
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default RENAME glyphon-lobby)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glyphon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Glyphon developers <glyphon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "word game for two players on a board of letter tiles")
# CPack puts the summary first and indents the text itself; an empty line
# parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Two players take turns spelling words from a six by six board of letter
tiles, picking them anywhere on the board. The tiles you use become yours;
a tile surrounded by tiles of yours locks. Play alone against the computer
player, or host a game over the network that a friend joins, with up to
seven spectators who watch and chat.

The package also holds glyphon-server, the host without a window, with
systemd services for a dedicated game host or one host per port, and
glyphon-lobby, an internet lobby that game hosts register with, with a
systemd service of its own.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://glyphon.example.org")
# Libraries the programs link come from dpkg-shlibdeps; what Qt loads at run
# time is named here: the platform plugins (xcb is in libqt6gui6, the rest
# in qt6-qpa-plugins), the JPEG reader of the download window's picture (in
# libqt6gui6) and the multimedia library whose backends play the sounds.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6 (>= 6.4), qt6-qpa-plugins, libqt6multimedia6 (>= 6.4)")
# Sounds need a sound server; without one the game plays silently.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, gstreamer1.0-plugins-base")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${GLYPHON_PACKAGING_DIR}/debian/conffiles
    ${GLYPHON_PACKAGING_DIR}/debian/postinst
    ${GLYPHON_PACKAGING_DIR}/debian/prerm
    ${GLYPHON_PACKAGING_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The programs are stripped; their symbols and debug information go to
# glyphon-dbgsym (a .ddeb beside the package), found by build id.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
include(CPack)
