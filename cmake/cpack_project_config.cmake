# Read by cpack before it makes each package. Every time stamp in the
# packages is the release's date, unless the caller set one: two package
# builds of one commit are then the same byte for byte.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ENV{SOURCE_DATE_EPOCH} ${CPACK_QUIRT_FORMAT_RELEASE_EPOCH})
endif()
