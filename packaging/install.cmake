# Installation, shaped as Debian keeps a game: the programs in games/ (the launcher tovrin, the
# terminal version and the tool for the knowledge, tovrin-kb), the window program itself in
# lib/games/tovrin/ (only the launcher starts it),
# the delivered data in share/games/tovrin/data, and the desktop entry with its icons, so that
# the program starts from a menu or by typing tovrin anywhere. The data is never inside the
# user's working folder (share/tovrin of XDG_DATA_HOME), whatever the prefix.
include(GNUInstallDirs)

set(TOVRIN_GAMESDIR games CACHE STRING "Where the programs one plays with go, relative to the prefix")
set(TOVRIN_WINDOWDIR lib/games/tovrin CACHE STRING "Where the window program goes, relative to the prefix")
set(TOVRIN_DATADIR ${CMAKE_INSTALL_DATAROOTDIR}/games/tovrin/data
    CACHE STRING "Where the delivered data goes, relative to the prefix")

install(TARGETS tovrin-console RUNTIME DESTINATION ${TOVRIN_GAMESDIR})
if(TARGET tovrin-kb)
  install(TARGETS tovrin-kb RUNTIME DESTINATION ${TOVRIN_GAMESDIR})
endif()
if(TARGET tovrin)
  install(TARGETS tovrin RUNTIME DESTINATION ${TOVRIN_WINDOWDIR})
endif()

if(EXISTS ${CMAKE_SOURCE_DIR}/data)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TOVRIN_DATADIR})
endif()

# The launcher, with the places of the others relative to its own.
file(RELATIVE_PATH TOVRIN_WINDOW_FROM_LAUNCHER /p/${TOVRIN_GAMESDIR} /p/${TOVRIN_WINDOWDIR}/tovrin)
file(RELATIVE_PATH TOVRIN_KB_FROM_LAUNCHER /p/${TOVRIN_GAMESDIR} /p/${TOVRIN_GAMESDIR}/tovrin-kb)
file(RELATIVE_PATH TOVRIN_DATA_FROM_LAUNCHER /p/${TOVRIN_GAMESDIR} /p/${TOVRIN_DATADIR})
configure_file(${CMAKE_SOURCE_DIR}/packaging/tovrin-launcher.sh ${CMAKE_BINARY_DIR}/launcher/tovrin @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/tovrin DESTINATION ${TOVRIN_GAMESDIR})

if(TARGET tovrin)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tovrin.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  foreach(size 16 32 48 64 128 256)
    install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/tovrin-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps RENAME tovrin.png)
  endforeach()
  # The menu entry names the launcher by its installed path, known only at install time.
  install(CODE "
    set(TOVRIN_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/packaging/tovrin.desktop\")
    set(TOVRIN_BINDIR \"${TOVRIN_GAMESDIR}\")
    set(TOVRIN_DATAROOTDIR \"${CMAKE_INSTALL_DATAROOTDIR}\")")
  install(SCRIPT ${CMAKE_SOURCE_DIR}/packaging/install-entry.cmake)
endif()
