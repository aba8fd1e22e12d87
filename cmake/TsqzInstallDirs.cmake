# Where `cmake --install` puts things: the usual GNU folders under the prefix. Programs find
# libTagsqueeze.so from bin/ through a run path relative to their own folder, so an installed
# tree can be moved (or staged with DESTDIR) as a whole.
include(GNUInstallDirs)

file(RELATIVE_PATH TSQZ_BIN_TO_LIB "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}")
set(CMAKE_INSTALL_RPATH "\$ORIGIN/${TSQZ_BIN_TO_LIB}")

# Desktop integration: the entry file-managers and menus read, and its icon.
set(TSQZ_INSTALL_APPLICATIONSDIR "${CMAKE_INSTALL_DATADIR}/applications")
set(TSQZ_INSTALL_ICONDIR "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
