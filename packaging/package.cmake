# The Debian package: `cpack -G DEB` (or `cmake --build build --target package`) in a release
# build makes tovrin_<version>-<release>_<arch>.deb with the programs, the data, the menu entry
# and icon, the AppStream metadata, the manual pages, the copyright file and the changelog.
# The dependencies on libraries come from the binaries (dpkg-shlibdeps, from dpkg-dev); the
# packages that are loaded at run time, and so are invisible to it, are named here.
# packaging/package-proof.sh builds the package and proves it on a clean Debian 12 root.
include(GNUInstallDirs)

set(TOVRIN_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tovrin)
set(TOVRIN_MAINTAINER "Tovrin developers <tovrin@users.noreply.github.com>"
    CACHE STRING "The package's maintainer, as Name <address>")

# ---- what the package holds besides install.cmake's files
install(FILES ${CMAKE_SOURCE_DIR}/packaging/io.github.tovrin.Tovrin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# The manual pages and the changelog, compressed as Debian keeps them (gzip -9n: no name, no date).
find_program(TOVRIN_GZIP gzip REQUIRED)
set(TOVRIN_MAN_PAGES tovrin tovrin-console tovrin-kb tovrin-launch)
set(TOVRIN_COMPRESSED)
foreach(page ${TOVRIN_MAN_PAGES})
  set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${TOVRIN_GZIP} -9nc ${CMAKE_SOURCE_DIR}/docs/man/${page}.1 > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}.1
    VERBATIM)
  list(APPEND TOVRIN_COMPRESSED ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TOVRIN_MAINTAINER}")
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
  COMMAND ${TOVRIN_GZIP} -9nc ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
list(APPEND TOVRIN_COMPRESSED ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
add_custom_target(tovrin_compressed_docs ALL DEPENDS ${TOVRIN_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
        DESTINATION ${TOVRIN_DOCDIR})

# ---- the package
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TOVRIN_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time: the window system's platform plugin, the sound back end's
# GStreamer plugins, Qt's own texts in Russian for its dialogs and context menus, and the faces
# that stand in for the window's font (a narrow one keeps the status texts within their panels).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, qt6-translations-l10n, fonts-urw-base35")
# The first line is the synopsis; CPack indents the rest as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "talking computer that learns from every conversation
Tovrin is a conversation partner for Russian-speaking users: type a phrase
and it answers from its knowledge base, learning every phrase it cannot
answer yet.
.
The package holds the window program with its virtual keyboard, layout
correction and sound cues, a terminal version (tovrin-console), a tool that
checks, counts, exports and imports the knowledge base (tovrin-kb), and the
delivered knowledge base, which is copied into each user's working folder
on the first start.")
include(CPack)
