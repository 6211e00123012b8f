# The Debian package, through CPack: `scripts/package` builds it from the build tree.

set(VELMORA_PACKAGE_MAINTAINER
    "VelmoraExplorer maintainers <maintainers@users.noreply.c-seed-c02e2288.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(velmora_package velmora-explorer)
set(velmora_package_doc ${CMAKE_INSTALL_DATADIR}/doc/${velmora_package})

# Debian wants the copyright and, for a package built outside Debian's own tools, the changelog
# (compressed the way dpkg does) in the package's doc folder.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz
    COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/data/debian/changelog
            > ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/changelog
    VERBATIM)
add_custom_target(velmora_package_changelog ALL
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright
              ${CMAKE_CURRENT_BINARY_DIR}/package/changelog.gz
        DESTINATION ${velmora_package_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${velmora_package})
set(CPACK_PACKAGE_VERSION 0.1)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D viewer for the terrain of Quarlend's world cache")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora Explorer finds the game Quarlend in its Wine or Proton prefix, lists\n"
    "the worlds of its world cache and their terrain sectors, and draws a chosen\n"
    "sector's heightmap as a shaded, textured landscape to fly over with the mouse.\n"
    "The command-line companion velmora lists the same worlds and sectors, renders\n"
    "a sector to PNG without a display and writes a small demo world. Velmora World\n"
    "(velmora-world) flies over a whole world at once, following the game as it\n"
    "writes its cache; velmora web makes of a world a web site, a map and the world\n"
    "in 3D that open in a browser from disk or from any static host.")
list(JOIN CPACK_PACKAGE_DESCRIPTION "" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_PACKAGE_MAINTAINER}")
if(VELMORA_HOMEPAGE_URL)
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMORA_HOMEPAGE_URL}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# velmora web copies Leaflet into each site from Debian's package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libjs-leaflet")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
