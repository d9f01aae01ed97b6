# What `make install` and the packages put on a system: the programs, their
# manual pages, and under share/doc/qorv-tools the README, the manual (docs/)
# and the examples. With QORV_PACKAGE the Debian package is described too.
include(GNUInstallDirs)
set(QORV_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/qorv-tools)

install(TARGETS ${QORV_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual pages as installed: the source page with the version in its
# footer, compressed. Only the programs this build makes get one.
find_program(QORV_GZIP gzip REQUIRED)
foreach(program ${QORV_PROGRAMS})
  set(page ${CMAKE_SOURCE_DIR}/${program}.1)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${page})
  file(READ ${page} text)
  string(REGEX REPLACE "(\n\\.TH [^\n\"]*\"[^\"]*\" )\"[^\"]*\"" "\\1\"${program} ${PROJECT_VERSION}\"" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/man/${program}.1 "${text}")
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/man/${program}.1.gz
    COMMAND ${QORV_GZIP} -9nkf ${program}.1
    DEPENDS ${CMAKE_BINARY_DIR}/man/${program}.1 WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/man VERBATIM)
  list(APPEND man_pages ${CMAKE_BINARY_DIR}/man/${program}.1.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(doc_permissions FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                          WORLD_READ WORLD_EXECUTE)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${QORV_DOC_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs ${CMAKE_SOURCE_DIR}/examples DESTINATION ${QORV_DOC_DIR}
        ${doc_permissions} REGEX "/examples/out$" EXCLUDE PATTERN demo.cmd EXCLUDE)

if(NOT QORV_PACKAGE)
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${QORV_DOC_DIR})
  return()
endif()

# The Debian package (make package): qorv-tools_<version>_<arch>.deb, its
# dependencies found by dpkg-shlibdeps. The licence goes in as the package's
# copyright file, in the machine-readable format; a native package also
# carries a changelog.
set(debian ${CMAKE_BINARY_DIR}/debian)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(copyright_holder "${CMAKE_MATCH_1}")
string(FIND "${licence}" "\nPermission is hereby granted" terms_at)
if(NOT copyright_holder OR terms_at EQUAL -1)
  message(FATAL_ERROR "LICENSE: expected the MIT License's copyright line and terms")
endif()
math(EXPR terms_at "${terms_at} + 1")
string(SUBSTRING "${licence}" ${terms_at} -1 licence_terms)
string(STRIP "${licence_terms}" licence_terms)
string(REPLACE "\n\n" "\n.\n" licence_terms "${licence_terms}")
string(REPLACE "\n" "\n " licence_terms "${licence_terms}")
file(WRITE ${debian}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: qorv-tools\n\n"
  "Files: *\n"
  "Copyright: ${copyright_holder}\n"
  "License: Expat\n ${licence_terms}\n")

# The project has no mailing address yet: set the real one with -DQORV_MAINTAINER=.
set(QORV_MAINTAINER "the QorvMakeDlf developers <qorv-tools@example.org>" CACHE STRING
    "Maintainer of the Debian package: name <address>")
set(maintainer ${QORV_MAINTAINER})
string(TIMESTAMP release_date "%a, %d %b %Y %H:%M:%S +0000" UTC)  # SOURCE_DATE_EPOCH when set
file(WRITE ${debian}/changelog
  "qorv-tools (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${PROJECT_VERSION} of QorvMakeDlf and QorvImage.\n\n"
  " -- ${maintainer}  ${release_date}\n")
add_custom_command(OUTPUT ${debian}/changelog.gz
  COMMAND ${QORV_GZIP} -9nkf changelog DEPENDS ${debian}/changelog WORKING_DIRECTORY ${debian} VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${debian}/changelog.gz)
install(FILES ${debian}/copyright ${debian}/changelog.gz DESTINATION ${QORV_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorv-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the QorvMakeDlf developers")
set(CPACK_PACKAGE_CONTACT ${maintainer})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lay out, build and check game optical-disc images")
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "QorvMakeDlf reads one to three description files, scans a source tree and"
  "writes the disk layout file (DLF), the system file and, in ZEM mode, the"
  "configuration file of a game's optical-disc image. QorvImage builds the"
  "image from the DLF, verifies an image against it, lists what an image"
  "holds and maps where its files lie on the disc.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
include(CPack)
