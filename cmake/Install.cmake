# What `cmake --install` puts in place. A folder's library joins the installed CMake
# package, headers and all, with one line in its own CMakeLists.txt:
#   parallux_install_library(TARGET [DEPENDS PACKAGE...] [PKG_CONFIG PREFIX MODULE])
# Users then link Parallux::<name>, the target's name without "parallux_". What the
# library links must be found again by its users: DEPENDS for a CMake package
# (DEPENDS Freetype for Freetype::Freetype), PKG_CONFIG for a pkg-config module linked
# as PkgConfig::PREFIX (PKG_CONFIG SPNG spng).
#
# Components: "programs" is what a user runs (and what the packages hold); "development"
# is the libraries, their headers and the CMake package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(PARALLUX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Parallux)

# The options target carries the installed include folder to every library's users.
install(TARGETS parallux_options EXPORT ParalluxTargets COMPONENT development)
set_target_properties(parallux_options PROPERTIES EXPORT_NAME options)

function(parallux_install_library target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS;PKG_CONFIG")
  string(REGEX REPLACE "^parallux_" "" name ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  install(TARGETS ${target} EXPORT ParalluxTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
  # A folder's headers, once, however many of its libraries are installed; the Win32
  # ones only where they can be used: named *_win.h, including windows.h, or declaring
  # what only a *_win.cpp defines.
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  get_property(done GLOBAL PROPERTY PARALLUX_HEADERS_${folder})
  if(NOT done)
    set_property(GLOBAL PROPERTY PARALLUX_HEADERS_${folder} TRUE)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(NOT WIN32)
      foreach(header IN LISTS headers)
        file(STRINGS ${header} win32 REGEX "^#include <windows.h>")
        string(REGEX REPLACE "\\.h$" "" stem ${header})
        file(GLOB portable ${stem}.cpp ${stem}_[!w]*.cpp)
        if(NOT portable AND EXISTS ${stem}_win.cpp)
          set(win32 TRUE)
        endif()
        if(win32 OR header MATCHES "_win\\.h$")
          list(REMOVE_ITEM headers ${header})
        endif()
      endforeach()
    endif()
    install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/parallux/${folder}
      COMPONENT development)
  endif()
  # The lines ParalluxConfig.cmake runs to find them.
  foreach(package IN LISTS arg_DEPENDS)
    set_property(GLOBAL APPEND PROPERTY PARALLUX_DEPENDENCIES "find_dependency(${package})")
  endforeach()
  if(arg_PKG_CONFIG)
    list(GET arg_PKG_CONFIG 0 prefix)
    list(GET arg_PKG_CONFIG 1 module)
    set_property(GLOBAL APPEND PROPERTY PARALLUX_DEPENDENCIES "find_dependency(PkgConfig)"
      "pkg_check_modules(${prefix} REQUIRED IMPORTED_TARGET ${module})")
  endif()
endfunction()

# FILE.gz beside FILE, made at build time by the target NAME, as Debian ships manual
# pages and change logs (-n: no time stamp, so that the same input gives the same bytes).
function(parallux_gzip file name)
  add_custom_command(OUTPUT ${file}.gz
    COMMAND gzip -9nkf ${file}
    DEPENDS ${file})
  add_custom_target(${name} ALL DEPENDS ${file}.gz)
endfunction()

# Called once every folder has been added: the package files themselves.
function(parallux_install_package)
  get_property(dependencies GLOBAL PROPERTY PARALLUX_DEPENDENCIES)
  list(REMOVE_DUPLICATES dependencies)
  list(JOIN dependencies "\n" PARALLUX_FIND_DEPENDENCIES)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ParalluxConfig.cmake.in
    ${PROJECT_BINARY_DIR}/ParalluxConfig.cmake INSTALL_DESTINATION ${PARALLUX_CMAKE_DIR})
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/ParalluxConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
  install(EXPORT ParalluxTargets NAMESPACE Parallux:: DESTINATION ${PARALLUX_CMAKE_DIR}
    COMPONENT development)
  install(FILES ${PROJECT_BINARY_DIR}/ParalluxConfig.cmake
    ${PROJECT_BINARY_DIR}/ParalluxConfigVersion.cmake
    DESTINATION ${PARALLUX_CMAKE_DIR} COMPONENT development)
endfunction()
