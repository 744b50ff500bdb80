# Install-time part of the desktop install: the relative links in bin/ and
# the menu entry naming the installed launcher. Set by the caller:
# VZ_BINDIR, VZ_DATADIR, VZ_PROGRAM_INSTALL_DIR (absolute or below the
# prefix), VZ_DESKTOP_TEMPLATE.

function(vz_full out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

vz_full(_vz_bin "${VZ_BINDIR}")
vz_full(_vz_program "${VZ_PROGRAM_INSTALL_DIR}")
vz_full(_vz_data "${VZ_DATADIR}")

file(MAKE_DIRECTORY "$ENV{DESTDIR}${_vz_bin}")
foreach(_vz_exe vellozine vztool)
  # Relative, so the tree can move as a whole (and DESTDIR staging works).
  file(RELATIVE_PATH _vz_target "${_vz_bin}" "${_vz_program}/${_vz_exe}")
  set(_vz_link "$ENV{DESTDIR}${_vz_bin}/${_vz_exe}")
  message(STATUS "Installing: ${_vz_link} -> ${_vz_target}")
  file(REMOVE "${_vz_link}")
  file(CREATE_LINK "${_vz_target}" "${_vz_link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_vz_link}")
endforeach()

# Exec takes the launcher's full path; a path with characters the desktop
# entry format reserves is quoted, with its own quotes and escapes escaped.
set(VZ_DESKTOP_EXEC "${_vz_bin}/vellozine")
string(REPLACE "%" "%%" VZ_DESKTOP_EXEC "${VZ_DESKTOP_EXEC}") # not a field code
if(VZ_DESKTOP_EXEC MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" VZ_DESKTOP_EXEC "${VZ_DESKTOP_EXEC}")
  string(REPLACE "\"" "\\\"" VZ_DESKTOP_EXEC "${VZ_DESKTOP_EXEC}")
  string(REPLACE "`" "\\`" VZ_DESKTOP_EXEC "${VZ_DESKTOP_EXEC}")
  string(REPLACE "$" "\\$" VZ_DESKTOP_EXEC "${VZ_DESKTOP_EXEC}")
  set(VZ_DESKTOP_EXEC "\"${VZ_DESKTOP_EXEC}\"")
  # The entry's string escapes come on top of the quoting.
  string(REPLACE "\\" "\\\\" VZ_DESKTOP_EXEC "${VZ_DESKTOP_EXEC}")
endif()
set(_vz_desktop "$ENV{DESTDIR}${_vz_data}/applications/vellozine.desktop")
message(STATUS "Installing: ${_vz_desktop}")
configure_file("${VZ_DESKTOP_TEMPLATE}" "${_vz_desktop}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_vz_desktop}")
