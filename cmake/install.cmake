# What `cmake --install` puts in place, and the packages CPack makes of it.
# Component runtime: the tool, its manual page and completions. Component
# development: the request text as a C++ library with a CMake package and a
# pkg-config file. Each carries the copyright file and the changelog.

# Debian keeps libraries in the multiarch directory, lib/<triplet>, and its
# compilers, pkg-config and CMake look there under /usr/local as under /usr.
# GNUInstallDirs takes it only for a native build configured for /usr;
# taking it for every prefix gives the Debian packages of any build, which
# are for /usr, the same paths.
if(CMAKE_LIBRARY_ARCHITECTURE AND EXISTS /etc/debian_version)
    set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH
        "Object code libraries (lib/<multiarch> on Debian)")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)
include(${CMAKE_CURRENT_LIST_DIR}/debian_docs.cmake)

set(QUIRT_FORMAT_MAINTAINER "quirt-format developers <maintainers@quirt-format.invalid>")
find_program(QUIRT_FORMAT_GZIP gzip REQUIRED)

# Compressed as Debian wants: best compression, no name or time inside.
function(quirt_format_gzip input output)
    add_custom_command(OUTPUT ${output}
        COMMAND ${QUIRT_FORMAT_GZIP} -9n -c ${input} > ${output}
        DEPENDS ${input} VERBATIM)
endfunction()

install(TARGETS quirt-format RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)

# The release's date, for the manual page and the packages' time stamps, is
# the newest changelog entry's.
quirt_format_debian_changelog(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_NAME}
    "${QUIRT_FORMAT_MAINTAINER}" ${CMAKE_CURRENT_BINARY_DIR}/changelog QUIRT_FORMAT_RELEASE_DATE
    QUIRT_FORMAT_RELEASE_EPOCH)
quirt_format_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

configure_file(doc/quirt-format.1.in quirt-format.1 @ONLY)
quirt_format_gzip(${CMAKE_CURRENT_BINARY_DIR}/quirt-format.1
    ${CMAKE_CURRENT_BINARY_DIR}/quirt-format.1.gz)
quirt_format_debian_copyright(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_NAME}
    ${CMAKE_CURRENT_BINARY_DIR}/copyright)
add_custom_target(quirt_format_compressed_documents ALL
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quirt-format.1.gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)

install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quirt-format.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)

install(FILES completions/quirt-format.bash RENAME quirt-format
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT runtime)
install(FILES completions/quirt-format.fish
    DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT runtime)
# Debian's zsh reads the completions of packages in /usr from
# vendor-completions, and site-functions is for everything else: the place
# follows the prefix of the install itself (cmake --install --prefix, or a
# package), not the one the build was configured with.
install(CODE "
    string(REGEX REPLACE \"/+$\" \"\" prefix \"\${CMAKE_INSTALL_PREFIX}\")
    if(prefix STREQUAL \"/usr\")
        set(zsh_completions vendor-completions)
    else()
        set(zsh_completions site-functions)
    endif()
    file(INSTALL \"${PROJECT_SOURCE_DIR}/completions/_quirt-format\"
        DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/\${zsh_completions}\")"
    COMPONENT runtime)

foreach(component_and_package IN ITEMS runtime:quirt-format development:quirt-format-dev)
    string(REPLACE ":" ";" component_and_package ${component_and_package})
    list(GET component_and_package 0 component)
    list(GET component_and_package 1 package)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
# The lintian override is a packager's file: only the Debian package, whose
# CPack run says so in the environment, carries it.
if(QUIRT_FORMAT_STATIC)
    install(CODE "
    if(DEFINED ENV{QUIRT_FORMAT_DEBIAN_PACKAGE})
        file(INSTALL \"${PROJECT_SOURCE_DIR}/cmake/quirt-format.lintian-overrides\"
            DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/lintian/overrides\"
            RENAME quirt-format)
    endif()"
        COMPONENT runtime)
endif()

set(QUIRT_FORMAT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/quirt-format)
install(TARGETS quirt_format_request EXPORT quirt-format-targets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/quirt_format
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
write_basic_package_version_file(quirt-format-config-version.cmake
    COMPATIBILITY SameMajorVersion)
# The installed CMake package finds its files from its own place, so that
# it is the same whatever prefix the build was configured for (CMake's own
# export would differ for /usr) and works wherever it is unpacked.
file(RELATIVE_PATH QUIRT_FORMAT_CMAKE_TO_PREFIX /${QUIRT_FORMAT_CMAKE_DIR} /)
set(QUIRT_FORMAT_LIBRARY_FILE
    ${CMAKE_STATIC_LIBRARY_PREFIX}quirt_format_request${CMAKE_STATIC_LIBRARY_SUFFIX})
configure_file(cmake/quirt-format-config.cmake.in install/quirt-format-config.cmake @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/install/quirt-format-config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/quirt-format-config-version.cmake
    DESTINATION ${QUIRT_FORMAT_CMAKE_DIR} COMPONENT development)
# The build tree is a package too: quirt-format_DIR=<build> finds it.
export(EXPORT quirt-format-targets NAMESPACE quirt_format::
    FILE ${CMAKE_CURRENT_BINARY_DIR}/quirt-format-targets.cmake)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/quirt-format-config.cmake
    "if(NOT TARGET quirt_format::request)\n"
    "    include(\"\${CMAKE_CURRENT_LIST_DIR}/quirt-format-targets.cmake\")\n"
    "endif()\n")

# For Meson, Make and autotools: pkg-config --cflags --libs quirt-format.
# The paths are relative to the file's own place, so that the package can
# be unpacked under any prefix.
file(RELATIVE_PATH QUIRT_FORMAT_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" QUIRT_FORMAT_PC_TO_PREFIX "${QUIRT_FORMAT_PC_TO_PREFIX}")
configure_file(cmake/quirt-format.pc.in quirt-format.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quirt-format.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

set(CPACK_PACKAGE_NAME quirt-format)
set(CPACK_PACKAGE_VENDOR "quirt-format developers")
set(CPACK_PACKAGE_CONTACT "${QUIRT_FORMAT_MAINTAINER}")
# No package-wide summary: CPack would put it before each package's own.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
# The tarball keeps the build's prefix; a Debian package is for /usr.
set(CPACK_QUIRT_FORMAT_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
# Every time inside the packages is the newest changelog entry's date.
set(CPACK_QUIRT_FORMAT_RELEASE_EPOCH ${QUIRT_FORMAT_RELEASE_EPOCH})
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_project_config.cmake)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# CPack names the machine it runs on; a cross build's packages are for the
# machine its compiler builds for, as dpkg names it.
if(CMAKE_CROSSCOMPILING)
    find_program(QUIRT_FORMAT_DPKG_ARCHITECTURE dpkg-architecture REQUIRED)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
        OUTPUT_VARIABLE target OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    # It warns that the C compiler's machine is another: that is the point.
    execute_process(COMMAND ${QUIRT_FORMAT_DPKG_ARCHITECTURE} -t${target} -qDEB_HOST_ARCH
        OUTPUT_VARIABLE CPACK_DEBIAN_PACKAGE_ARCHITECTURE OUTPUT_STRIP_TRAILING_WHITESPACE
        ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
    message(STATUS "quirt-format: packages for ${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# A dynamically linked tool needs the libraries dpkg-shlibdeps finds; a
# static one, nothing.
if(QUIRT_FORMAT_STATIC)
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS OFF)
else()
    set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
endif()
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
quirt_format::format_request, with a CMake package
(find_package(quirt-format) and link quirt_format::request)
and a pkg-config file (quirt-format).")
include(CPack)
