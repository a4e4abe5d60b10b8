# Where an installed copy keeps its files (GNUInstallDirs):
#   bin/                      skarvel, skarvel-cli, skarvel-fakeserver
#   lib/skarvel/              the audio module
#   lib/skarvel/plugins/      the plug-ins every user gets
#   lib/skarvel/optional/     plug-ins a user copies into the program folder
#   share/skarvel/            users.wav
#   share/skarvel/lang/       the language files
# The programs find the last four from their own folder, so the paths are
# passed relative to bindir and the installed tree can move as a whole.
include(GNUInstallDirs)

set(SKARVEL_INSTALL_PKGLIBDIR ${CMAKE_INSTALL_LIBDIR}/skarvel)
set(SKARVEL_INSTALL_PLUGINDIR ${SKARVEL_INSTALL_PKGLIBDIR}/plugins)
set(SKARVEL_INSTALL_OPTIONALDIR ${SKARVEL_INSTALL_PKGLIBDIR}/optional)
set(SKARVEL_INSTALL_PKGDATADIR ${CMAKE_INSTALL_DATADIR}/skarvel)
set(SKARVEL_INSTALL_LANGDIR ${SKARVEL_INSTALL_PKGDATADIR}/lang)

file(RELATIVE_PATH _bin_to_pkglib ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBDIR}/skarvel)
file(RELATIVE_PATH _bin_to_pkgdata ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/skarvel)
set(SKARVEL_INSTALL_DEFINITIONS
  SKARVEL_BIN_TO_PKGLIBDIR="${_bin_to_pkglib}"
  SKARVEL_BIN_TO_PKGDATADIR="${_bin_to_pkgdata}")
