# What `cmake --install` puts in place, and the packages CPack makes of it.
# Component runtime: the tool, its manual page and completions. Component
# development: the request text as a C++ library with a CMake package.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS quirt-format RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)

configure_file(doc/quirt-format.1.in quirt-format.1 @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quirt-format.1
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

install(FILES completions/quirt-format.bash RENAME quirt-format
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT runtime)
install(FILES completions/_quirt-format
    DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/site-functions COMPONENT runtime)
install(FILES completions/quirt-format.fish
    DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT runtime)

set(QUIRT_FORMAT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quirt-format)
install(TARGETS quirt_format_request EXPORT quirt-format-targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/quirt_format
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
install(EXPORT quirt-format-targets NAMESPACE quirt_format::
    DESTINATION ${QUIRT_FORMAT_CMAKE_DIR} COMPONENT development)
configure_package_config_file(cmake/quirt-format-config.cmake.in quirt-format-config.cmake
    INSTALL_DESTINATION ${QUIRT_FORMAT_CMAKE_DIR})
write_basic_package_version_file(quirt-format-config-version.cmake
    COMPATIBILITY SameMajorVersion)
# The build tree is a package too: quirt-format_DIR=<build> finds it.
export(EXPORT quirt-format-targets NAMESPACE quirt_format::
    FILE ${CMAKE_CURRENT_BINARY_DIR}/quirt-format-targets.cmake)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quirt-format-config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/quirt-format-config-version.cmake
    DESTINATION ${QUIRT_FORMAT_CMAKE_DIR} COMPONENT development)

set(CPACK_PACKAGE_NAME quirt-format)
set(CPACK_PACKAGE_VENDOR "quirt-format developers")
set(CPACK_PACKAGE_CONTACT "quirt-format developers <maintainers@quirt-format.invalid>")
# No package-wide summary: CPack would put it before each package's own.
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)  # the tool is linked statically
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME quirt-format)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"print the text of a Velk request noun for an eval thread
quirt-format takes a Velk expression and dependency words as arguments and
prints one line: the text of a request noun for the %eval thread, or the
%murl-eval thread with -k, for use as input to eval threads via conn.
It reads nothing but its arguments. Manual page and bash, zsh and fish
completions included.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME quirt-format-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"C++ library that formats Velk request nouns for eval threads
The request text of quirt-format as a static C++20 library,
quirt_format::format_request, with a CMake package:
find_package(quirt-format CONFIG) and link quirt_format::request.")
include(CPack)
