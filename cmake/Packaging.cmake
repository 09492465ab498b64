# The Debian package: `cpack -G DEB` in the build folder writes
# travo-convert_<version>-<release>_<arch>.deb with what `cmake --install` installs, its
# Debian changelog and its lintian overrides.
set(TRAVO_PACKAGE_MAINTAINER "Travo Convert Dictionary maintainers <maintainers@travo-convert.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")
set(TRAVO_PACKAGE_RELEASE 1 CACHE STRING "The Debian revision of the package")
# The date of the Debian changelog's entry: fixed, so that the package is the same bytes
# every time it is made.
set(TRAVO_PACKAGE_DATE "Thu, 10 Dec 2026 12:00:00 +0000")

# The documents in share/doc/travo-convert, of every install: the copyright file in
# Debian's machine-readable format, with the holders and licence text of LICENSE, and the
# changelog (CHANGELOG.md, compressed). The package adds its Debian changelog
# (changelog.Debian.gz, which a package with a Debian revision has) and its lintian
# overrides, a component that `cmake --install` leaves out and cpack installs.
set(doc_build ${PROJECT_BINARY_DIR}/doc)
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/travo-convert)

set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" copyright_line "${license}")
string(FIND "${license}" "Permission is hereby granted" license_start)
if(NOT copyright_line OR license_start LESS 0)
  message(FATAL_ERROR "LICENSE is not the MIT licence with a copyright line")
endif()
set(TRAVO_COPYRIGHT "${CMAKE_MATCH_1}")
# The licence text as a DEP-5 paragraph: every line indented by one blank, empty lines as ".".
string(SUBSTRING "${license}" ${license_start} -1 license_text)
string(STRIP "${license_text}" license_text)
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " TRAVO_LICENSE_TEXT " ${license_text}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${doc_build}/copyright @ONLY)

configure_file(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${doc_build}/changelog COPYONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in ${doc_build}/changelog.Debian @ONLY)
travo_gzip(${doc_build}/changelog)
travo_gzip(${doc_build}/changelog.Debian)
install(FILES ${doc_build}/copyright ${doc_build}/changelog.gz DESTINATION ${doc_dir})
install(FILES ${doc_build}/changelog.Debian.gz DESTINATION ${doc_dir} COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME travo-convert COMPONENT debian EXCLUDE_FROM_ALL)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};ALL;/"
                                 "${PROJECT_BINARY_DIR};${PROJECT_NAME};debian;/")

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
