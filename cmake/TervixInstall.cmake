# What `cmake --install` puts where, and the Debian package built from it
# (`cpack -G DEB`, run by scripts/package). The layout itself is set in
# TervixInstallDirs.cmake, before the targets, which compile it in.

set(TERVIX_HOMEPAGE_URL "https://tervix.example.org" CACHE STRING
    "Home page named in the AppStream metadata")
set(TERVIX_SCREENSHOT_BASE_URL "${TERVIX_HOMEPAGE_URL}/docs/screenshots" CACHE STRING
    "Where the AppStream metadata finds the pictures of docs/screenshots (page-N-NAME.png)")
set(TERVIX_PACKAGE_MAINTAINER "The Tervix developers <developers@tervix.example.org>" CACHE STRING
    "Maintainer of the Debian package")

# --- programs and the discovery library ------------------------------------

install(TARGETS tervix tervix-cli tervix-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Loaded at run time by path (src/discovery/quarryloader.cpp), so no run path
# is needed and none is set.
install(TARGETS quarry LIBRARY DESTINATION ${TERVIX_INSTALL_PRIVATE_LIBDIR})

# --- data: catalogues, help pages, translations ----------------------------

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/CameraLensInfo ${PROJECT_SOURCE_DIR}/data/Help
    DESTINATION ${TERVIX_INSTALL_DATADIR})
file(GLOB TERVIX_TRANSLATION_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/*.ts)
foreach(ts IN LISTS TERVIX_TRANSLATION_SOURCES)
    get_filename_component(name ${ts} NAME_WE)
    install(FILES ${TERVIX_OUTPUT_DIR}/${name}.qm DESTINATION ${TERVIX_INSTALL_DATADIR})
endforeach()

# --- desktop integration ---------------------------------------------------

set(TERVIX_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
configure_file(${TERVIX_PACKAGING_DIR}/${TERVIX_APP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/${TERVIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${TERVIX_PACKAGING_DIR}/${TERVIX_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${TERVIX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNGs are rendered from the SVG by src/resources/icons/src/render.sh.
set(TERVIX_ICON_DIR ${PROJECT_SOURCE_DIR}/src/resources/icons)
foreach(size 16 32 48 64 128 256)
    install(FILES ${TERVIX_ICON_DIR}/hicolor/${size}x${size}/apps/${TERVIX_APP_ID}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${TERVIX_ICON_DIR}/src/IPCLogo.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${TERVIX_APP_ID}.svg)

# --- manual pages and package documents ------------------------------------

# Compressed as Debian wants them (gzip -9n: no name or time stamp inside),
# which every man reader takes too.
find_program(TERVIX_GZIP gzip REQUIRED)
set(TERVIX_COMPRESSED_DOCS)
function(tervix_compressed_doc source output)
    add_custom_command(OUTPUT ${output}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
        COMMAND ${TERVIX_GZIP} -9nf ${output}
        DEPENDS ${source}
        VERBATIM)
    set(TERVIX_COMPRESSED_DOCS ${TERVIX_COMPRESSED_DOCS} ${output}.gz PARENT_SCOPE)
endfunction()

foreach(page tervix tervix-cli tervix-devsim)
    tervix_compressed_doc(${TERVIX_PACKAGING_DIR}/man/${page}.1
        ${CMAKE_BINARY_DIR}/packaging/man/${page}.1)
    install(FILES ${CMAKE_BINARY_DIR}/packaging/man/${page}.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The copyright file and the changelog where Debian looks for them.
set(TERVIX_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tervix)
configure_file(${TERVIX_PACKAGING_DIR}/changelog.in
    ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
tervix_compressed_doc(${CMAKE_BINARY_DIR}/packaging/changelog
    ${CMAKE_BINARY_DIR}/packaging/doc/changelog)
install(FILES ${CMAKE_BINARY_DIR}/packaging/doc/changelog.gz ${TERVIX_PACKAGING_DIR}/copyright
    DESTINATION ${TERVIX_INSTALL_DOCDIR})
add_custom_target(tervix_install_docs ALL DEPENDS ${TERVIX_COMPRESSED_DOCS})

# --- Debian package ---------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tervix)
set(CPACK_PACKAGE_VENDOR "The Tervix developers")
set(CPACK_PACKAGE_CONTACT "${TERVIX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tool for setting up, upgrading and focusing IP cameras")
set(CPACK_PACKAGE_DESCRIPTION
    "Tervix is a desktop tool for the people who install IP cameras. It finds every
camera on a network, re-addresses one camera or a whole batch, reads and writes
camera, channel, network and PTZ parameters, applies parameter templets and
firmware to many cameras at once, helps focus a lens, and plans an installation
offline (focal length, lenses, viewing angles, bandwidth, storage).

The package also holds tervix-cli, which does the same work from scripts, and
tervix-devsim, which simulates a fleet of cameras for training and testing.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME tervix)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TERVIX_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps runs in the staging folder, so the private folder is given
# relative to it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${TERVIX_INSTALL_PRIVATE_LIBDIR})
# Qt loads its window-system plugin at run time, so no library dependency
# names it; the rest serve the Chinese texts and the help link.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei | fonts-noto-cjk, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
