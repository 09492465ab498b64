# The Debian package: `cpack -G DEB` in the build folder writes
# travo-convert_<version>-<release>_<arch>.deb with what `cmake --install` installs.
set(TRAVO_PACKAGE_MAINTAINER "Travo Convert Dictionary maintainers <maintainers@travo-convert.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")
set(TRAVO_PACKAGE_RELEASE 1 CACHE STRING "The Debian revision of the package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME travo-convert)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Travo Convert Dictionary")
set(CPACK_PACKAGE_CONTACT "${TRAVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert survey data dictionaries into Travo and back")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Moves survey data dictionaries out of the older packages ORVA (3.1 .dd,\n"
       "4.1 .ddw) and VESK (.dic, .wst) into Travo (.dcf dictionaries, .fmf forms),\n"
       "and Travo dictionaries back into ORVA 3.1. A four-page wizard\n"
       "(travo-convert) and a command-line tool (travo-convert-cli) share one\n"
       "conversion core.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TRAVO_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link (Qt 6, the C and C++ libraries) as dpkg-shlibdeps finds
# them, and what they need without linking it: the fonts forms are measured with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")

include(CPack)
