# The Debian package: `cpack --config <build>/CPackConfig.cmake` in a native tree
# (tools/release.sh, the package test) writes moravelle_<version>_amd64.deb from the
# tree's `package` component, which is laid out for /usr whatever the tree's own
# install layout: the VST3 bundle in /usr/lib/vst3, the VST2 module in /usr/lib/vst,
# the factory presets in /usr/share/moravelle/presets/Factory and the package's
# documents in /usr/share/doc/moravelle. Its dependencies are what the two modules
# really link, found by dpkg-shlibdeps. With SOURCE_DATE_EPOCH set, every file time in
# it is that moment, so two builds of one commit give the same contents.
if(WIN32 OR NOT MORAVELLE_PLUGINS)
  return()
endif()

set(doc_dir share/doc/moravelle)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${doc_dir} COMPONENT package EXCLUDE_FROM_ALL)
# A Debian changelog, compressed without a name or time in the header (gzip -n).
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -n -9 -c ${PROJECT_BINARY_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(moravelle_package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${doc_dir} COMPONENT package EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME moravelle)
set(CPACK_PACKAGE_VENDOR "Pellion Audio")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo reverb plug-in for digital audio workstations (VST2, VST3)")
set(CPACK_PACKAGE_DESCRIPTION "Moravelle is a stereo reverb: pre-delay, early reflections and a feedback
delay network, with input and output filters, soft clippers and a dry/wet
blend. This package holds the VST 3 plug-in (/usr/lib/vst3/Moravelle.vst3),
the VST 2.4 plug-in (/usr/lib/vst/Moravelle.so) and 31 factory presets.")
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};package;/")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # moravelle_<version>_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Pellion Audio <support@pellionaudio.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.pellionaudio.com")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The editor asks fontconfig for Arial; Liberation Sans has its metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_FILE_NAME moravelle_${PROJECT_VERSION}_amd64)
include(CPack)
