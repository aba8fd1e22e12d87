# `cpack -G DEB` in a build folder makes the Debian package tagsqueeze_<version>_<arch>.deb:
# everything `cmake --install` puts under the prefix, installed under /usr. The run-time
# dependencies (C++ library, Qt) come from dpkg-shlibdeps over the programs and the library.
set(CPACK_PACKAGE_NAME tagsqueeze)
set(CPACK_PACKAGE_VENDOR "Tagsqueeze developers")
set(CPACK_PACKAGE_CONTACT "Tagsqueeze developers <tagsqueeze@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "HTML compressor: engine library, command-line tool and desktop program")
set(CPACK_PACKAGE_DESCRIPTION
  "Tagsqueeze shrinks HTML documents without changing what a browser shows. The package holds the command-line tool tsqz, the desktop program TsqzLite, the engine library libTagsqueeze.so with its C header, pkg-config file and CMake package, and the manual page tsqz(1).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_GENERATOR DEB)
include(CPack)
