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
set(TOVRIN_DATA_DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/tovrin/data)
if(EXISTS ${CMAKE_SOURCE_DIR}/data)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${TOVRIN_DATA_DESTINATION})
endif()

install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/tovrin-launcher.sh
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME tovrin-launch)

if(TARGET tovrin)
  install(FILES ${CMAKE_SOURCE_DIR}/tools/desktop/tovrin.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  # The menu starts the launcher by its full installed path: the folder of the programs is not
  # always on the search path of a desktop session (~/.local/bin, /opt/...). The path is taken
  # at install time, so `cmake --install --prefix` gets it right too; DESTDIR is left out
  # because it only stages the files.
  install(CODE "
    set(_prefix \"\${CMAKE_INSTALL_PREFIX}\")
    if(NOT IS_ABSOLUTE \"\${_prefix}\")
      get_filename_component(_prefix \"\${_prefix}\" ABSOLUTE)
    endif()
    set(_launcher \"\${_prefix}/${CMAKE_INSTALL_BINDIR}/tovrin-launch\")
    file(READ \"${CMAKE_SOURCE_DIR}/tools/desktop/tovrin.desktop\" _entry)
    string(REPLACE \"Exec=tovrin-launch\" \"Exec=\${_launcher}\" _entry \"\${_entry}\")
    string(REPLACE \"TryExec=tovrin-launch\" \"TryExec=\${_launcher}\" _entry \"\${_entry}\")
    set(_dir \"\$ENV{DESTDIR}\${_prefix}/${CMAKE_INSTALL_DATAROOTDIR}/applications\")
    file(MAKE_DIRECTORY \"\${_dir}\")
    message(STATUS \"Installing: \${_dir}/tovrin.desktop\")
    file(WRITE \"\${_dir}/tovrin.desktop\" \"\${_entry}\")
  ")
endif()
