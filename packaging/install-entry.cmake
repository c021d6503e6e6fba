# Run at install time: writes the menu entry with the full installed path of the launcher.
# The folder of the programs is not always on the search path of a desktop session
# (~/.local/bin, /opt/...), so the entry names the launcher by its path. The path is the one of
# this installation, so `cmake --install --prefix` gets it right too; DESTDIR is left out of it
# because DESTDIR only stages the files for a package.
# Expects TOVRIN_DESKTOP_TEMPLATE and TOVRIN_BINDIR, TOVRIN_DATAROOTDIR (relative to the prefix).
set(prefix "${CMAKE_INSTALL_PREFIX}")
if(NOT IS_ABSOLUTE "${prefix}")
  get_filename_component(prefix "${prefix}" ABSOLUTE)
endif()
set(launcher "${prefix}/${TOVRIN_BINDIR}/tovrin")

# A path with a space or another reserved character is quoted as a whole for Exec.
set(exec "${launcher}")
if(launcher MATCHES "[ \t'><~|&;*?#()]")
  set(exec "\"${launcher}\"")
endif()

file(READ "${TOVRIN_DESKTOP_TEMPLATE}" entry)
string(REPLACE "\nExec=tovrin\n" "\nExec=${exec}\n" entry "${entry}")
string(REPLACE "\nTryExec=tovrin\n" "\nTryExec=${launcher}\n" entry "${entry}")

set(folder "$ENV{DESTDIR}${prefix}/${TOVRIN_DATAROOTDIR}/applications")
file(MAKE_DIRECTORY "${folder}")
message(STATUS "Installing: ${folder}/tovrin.desktop")
file(WRITE "${folder}/tovrin.desktop" "${entry}")
