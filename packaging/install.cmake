# Installation: the programs, the delivered data, the launcher that prepares the user's working
# folder, and the desktop entry with its icon, so that the program starts from a menu.
include(GNUInstallDirs)

set(TOVRIN_INSTALL_TARGETS tovrin-console)
foreach(target tovrin tovrin-kb)
  if(TARGET ${target})
    list(APPEND TOVRIN_INSTALL_TARGETS ${target})
  endif()
endforeach()
install(TARGETS ${TOVRIN_INSTALL_TARGETS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The launcher finds the data beside itself (../share/tovrin/data), so the data must sit there.
if(EXISTS ${CMAKE_SOURCE_DIR}/data)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/tovrin/data)
endif()

install(PROGRAMS ${CMAKE_SOURCE_DIR}/packaging/tovrin-launcher.sh
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME tovrin-launch)

if(TARGET tovrin)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tovrin.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  # The menu entry names the launcher by its installed path, known only at install time.
  install(CODE "
    set(TOVRIN_DESKTOP_TEMPLATE \"${CMAKE_SOURCE_DIR}/packaging/tovrin.desktop\")
    set(TOVRIN_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(TOVRIN_DATAROOTDIR \"${CMAKE_INSTALL_DATAROOTDIR}\")")
  install(SCRIPT ${CMAKE_SOURCE_DIR}/packaging/install-entry.cmake)
endif()
