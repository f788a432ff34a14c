# The Debian package: `cpack -G DEB` in a build tree (scripts/package.sh does it all).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamariko)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "タマリコ開発チーム <tamariko@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries come from dpkg-shlibdeps; these are loaded at run time where it cannot look:
# the label face, the Qt platform plugins and Qt's own translations.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "worksheet maker for abacus and mental-calculation contests
Tamariko (タマリコ) makes worksheets for abacus (soroban) and
mental-calculation contests: mental addition (30 problems), multiplication
(60 problems) and their answer table, each a B4 page drawn afresh at every
press of a button. The sheets print on the machine's CUPS printers or into
PDF files.
.
Without a window, `tamariko --batch` makes a set from a chosen seed and
writes it as JSON, PNG previews and one PDF, or prints it.")
include(CPack)
