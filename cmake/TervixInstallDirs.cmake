# Install layout (GNUInstallDirs): programs in bin, data in share/tervix,
# private shared objects in lib/tervix. The last is fixed rather than under
# CMAKE_INSTALL_LIBDIR: on Debian that is a multiarch folder, and
# /usr/lib/<package> is the place for a package's own libraries.
#
# The program finds its data and its libraries relative to its own folder,
# so an installation that is moved as a whole keeps working; the two
# relative paths are compiled in (src/inventory/datafolders.cpp).
include(GNUInstallDirs)

set(TERVIX_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tervix)
set(TERVIX_INSTALL_PRIVATE_LIBDIR lib/tervix)

file(RELATIVE_PATH TERVIX_BIN_TO_DATA_DIR
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/tervix)
file(RELATIVE_PATH TERVIX_BIN_TO_PRIVATE_LIB_DIR
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${TERVIX_INSTALL_PRIVATE_LIBDIR})

# One name for the desktop entry, its icon and the AppStream component; the
# program sets the same as its desktop file name (src/app/main.cpp).
set(TERVIX_APP_ID org.tervix.Tervix)
