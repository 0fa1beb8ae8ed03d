# Read by cpack before it makes each package. Every time stamp in the
# packages is the release's date, unless the caller set one: two package
# builds of one commit are then the same byte for byte.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_QUIRT_FORMAT_RELEASE_EPOCH})
endif()
# A Debian package installs under /usr, whatever prefix the build has, and
# it alone carries the lintian override (cmake/install.cmake reads the
# environment). The tarball keeps the build's prefix, and installs through
# DESTDIR so that the install sees that prefix, as a Debian package's does.
if(CPACK_GENERATOR STREQUAL "DEB")
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(ENV{QUIRT_FORMAT_DEBIAN_PACKAGE} 1)
else()
    set(CPACK_PACKAGING_INSTALL_PREFIX ${CPACK_QUIRT_FORMAT_PREFIX})
    set(CPACK_SET_DESTDIR ON)
    unset(ENV{QUIRT_FORMAT_DEBIAN_PACKAGE})
endif()
