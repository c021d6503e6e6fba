# The Debian package: `cpack -G DEB` (or `cmake --build build --target package`) in a release
# build makes tovrin_<version>-<release>_<arch>.deb with the programs, the data, the menu entry
# and icons, the AppStream metadata, the manual pages (English, and Russian under ru/), the
# copyright file and the changelog. Every version and date in them comes from the project's
# version and TOVRIN_RELEASE_EPOCH; every file time in the package is SOURCE_DATE_EPOCH (the
# release day unless the environment sets it), so that two builds give the same package.
# The dependencies on libraries come from the binaries (dpkg-shlibdeps, from dpkg-dev); the
# packages that are loaded at run time, and so are invisible to it, are named here.
# packaging/package-proof.sh builds the package and proves it on a clean Debian 12 root.
include(GNUInstallDirs)

set(TOVRIN_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tovrin)
set(TOVRIN_MAINTAINER "Tovrin developers <tovrin@users.noreply.github.com>"
    CACHE STRING "The package's maintainer, as Name <address>")

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TOVRIN_FILE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  set(TOVRIN_FILE_EPOCH ${TOVRIN_RELEASE_EPOCH})
endif()
# The release day in the forms the papers want, from the one number.
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${TOVRIN_RELEASE_EPOCH})
string(TIMESTAMP TOVRIN_RELEASE_DAY "%Y-%m-%d" UTC)
string(TIMESTAMP TOVRIN_MAN_DATE "%Y-%m-%d" UTC)
string(TIMESTAMP TOVRIN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")

# ---- what the package holds besides install.cmake's files
configure_file(${CMAKE_SOURCE_DIR}/packaging/io.github.tovrin.Tovrin.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/packaging/io.github.tovrin.Tovrin.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/io.github.tovrin.Tovrin.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# The manual pages and the changelog, compressed as Debian keeps them (gzip -9n: no name, no
# date). The programs one plays with are in section 6, the tool in section 1; English pages in
# man/, the same pages in Russian in man/ru/.
find_program(TOVRIN_GZIP gzip REQUIRED)
set(TOVRIN_MAN_PAGES tovrin.6 tovrin-console.6 tovrin-kb.1)
set(TOVRIN_COMPRESSED)
foreach(language en ru)
  if(language STREQUAL "en")
    set(mandir ${CMAKE_INSTALL_MANDIR})
  else()
    set(mandir ${CMAKE_INSTALL_MANDIR}/${language})
  endif()
  foreach(page ${TOVRIN_MAN_PAGES})
    string(REGEX REPLACE ".*\\." "" section ${page})
    set(text ${CMAKE_BINARY_DIR}/man/${language}/${page})
    configure_file(${CMAKE_SOURCE_DIR}/docs/man/${language}/${page}.in ${text} @ONLY)
    set(out ${text}.gz)
    add_custom_command(OUTPUT ${out}
      COMMAND ${TOVRIN_GZIP} -9nc ${text} > ${out}
      DEPENDS ${text}
      VERBATIM)
    list(APPEND TOVRIN_COMPRESSED ${out})
    install(FILES ${out} DESTINATION ${mandir}/man${section})
  endforeach()
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
# cpack reads this file when it runs: the file times of the package.
file(WRITE ${CMAKE_BINARY_DIR}/packaging/cpack-times.cmake
     "if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})\n  set(ENV{SOURCE_DATE_EPOCH} ${TOVRIN_FILE_EPOCH})\nendif()\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/packaging/cpack-times.cmake)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tovrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TOVRIN_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A conversation partner to pass the time with: a game, as the menu entry says (Game;Amusement),
# with the programs one plays with in /usr/games and their data in /usr/share/games.
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time: its own texts in Russian for its dialogs and context menus, and the
# faces that stand in for the window's font (a narrow one keeps the status texts within their
# panels). The X11 platform plugin is part of libqt6gui6, which the binaries pull in; the cues
# go to the sound server through its own client library (libpulse), which shlibdeps finds. Without a
# sound server there are no cues, and nothing else is missing.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-urw-base35")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
# The first line is the synopsis; CPack indents the rest as the control file wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "talking computer that learns from every conversation
Tovrin is a conversation partner for Russian-speaking users: type a phrase
and it answers from its knowledge base, learning every phrase it cannot
answer yet.
.
The package holds the window program with its virtual keyboard, layout
correction and sound cues, a terminal version (tovrin-console), a tool that
checks, counts, exports, imports and merges the knowledge base (tovrin-kb),
and the delivered knowledge base, which is copied into each user's working
folder on the first start and merged into it after every upgrade, keeping
everything the program learnt.")
include(CPack)
