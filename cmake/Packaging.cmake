# The programs, their documents and the packages made of them (tools/package):
#   Windows: Parallux-<version>-win32.zip, to unpack and run in place;
#   Linux:   parallux-still_<version>_<arch>.deb.
# Only the "programs" component goes into a package; the libraries are for
# `cmake --install` (component "development").
if(WIN32)
  # Everything at the top of the unpacked folder, as a Windows user expects it: the
  # programs, a read-me Notepad shows, and the licences.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
    ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/packaging/LICENSE.txt
    COPYONLY)
  configure_file(${PROJECT_SOURCE_DIR}/THIRD_PARTY_NOTICES.md
    ${PROJECT_BINARY_DIR}/packaging/THIRD_PARTY_NOTICES.txt COPYONLY)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt
    ${PROJECT_BINARY_DIR}/packaging/LICENSE.txt
    ${PROJECT_BINARY_DIR}/packaging/THIRD_PARTY_NOTICES.txt
    DESTINATION . COMPONENT programs)
  # The sample sits in samples/, not beside the programs: a 背景.bmp there would change
  # what the board shows at its first start.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(sample ${PROJECT_BINARY_DIR}/packaging/depth.bmp)
  add_custom_command(OUTPUT ${sample}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_sample_depth.py ${sample}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_sample_depth.py)
  add_custom_target(parallux_sample ALL DEPENDS ${sample})
  install(FILES ${sample} DESTINATION samples COMPONENT programs)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
    ${PROJECT_SOURCE_DIR}/THIRD_PARTY_NOTICES.md
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/parallux COMPONENT programs)
  # Debian looks for the licences and the history of a package in its own doc folder,
  # under these names, the history compressed.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in
    ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
  parallux_gzip(${PROJECT_BINARY_DIR}/packaging/changelog parallux_changelog)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
    ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/parallux-still COMPONENT programs)
endif()

set(CPACK_PACKAGE_NAME Parallux)
set(CPACK_PACKAGE_VENDOR "The Parallux developers")
set(CPACK_PACKAGE_CONTACT "The Parallux developers <parallux@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "random-dot stereograms from depth pictures")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_COMPONENTS_ALL programs)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_PACKAGE_FILE_NAME Parallux-${PROJECT_VERSION}-win32)
  set(CPACK_ARCHIVE_FILE_NAME ${CPACK_PACKAGE_FILE_NAME})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME parallux-still)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # --text draws with this face unless --font names another.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "parallux-still turns a depth picture (PNG, JPEG, PGM or BMP, or an\nanimation of them) into a random-dot or patterned stereogram, as a PNG\nor an animated WebP or GIF. It hides a line of scrolling text, and it\nreads the depth back out of a stereogram.")
endif()
# Packaging builds only what the packages hold (tools/package names the targets), not
# the tests and benchmarks too.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
include(CPack)
