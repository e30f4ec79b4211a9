# Debian package of the installed tree (scripts/package builds it):
# kestrel and plover in /usr/bin, wren and plover's window in
# /usr/lib/<triplet>/kestrel, the bundled
# codesets in /usr/share/kestrel/codesets.
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VENDOR "Kestrel")
set(CPACK_PACKAGE_CONTACT "Kestrel developers <kestrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrel compiles scripts in a command language described by header files into bytecode, places it into binary images and decompiles it again. The package holds the kestrel program, the plover buffer writer with its Qt window, the wren text codec library and the bundled example codeset.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "kestrel_${PROJECT_VERSION}")
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies come from dpkg-shlibdeps; wren is the package's own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
