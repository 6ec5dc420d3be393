# Where an installation puts things; read before any target is made, so that the installed
# programs and libraries find the project's own libraries relative to themselves.
include(GNUInstallDirs)
# The project's shared libraries (the engine library among them) live in a folder of their own.
set(RADALT_INSTALL_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/radalt)
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${RADALT_INSTALL_PRIVATE_LIBDIR};$ORIGIN")
# Where the installed master control keeps its database (engines/lib) and pages (engines/ui_xml).
set(RADALT_INSTALL_STATEDIR ${CMAKE_INSTALL_LOCALSTATEDIR}/lib/radalt)
