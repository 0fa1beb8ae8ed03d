# The documents every Debian package carries in usr/share/doc/<package>: a
# machine-readable copyright file made from LICENSE, and a changelog in
# Debian's format made from CHANGELOG.md, whose entries are
# "## VERSION (YYYY-MM-DD)" headings with "- " items below them.
find_program(QUIRT_FORMAT_DATE date REQUIRED)

# The date as Debian's changelog writes it, "Fri, 11 Dec 2026 00:00:00 +0000".
function(quirt_format_changelog_date date out)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
            ${QUIRT_FORMAT_DATE} -u -d ${date} "+%a, %d %b %Y %H:%M:%S +0000"
        OUTPUT_VARIABLE text OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(${out} ${text} PARENT_SCOPE)
endfunction()

# Writes Debian's changelog for the package from CHANGELOG.md; sets
# out_date to the newest entry's date, YYYY-MM-DD, and out_epoch to that
# date in seconds since 1970.
function(quirt_format_debian_changelog markdown package maintainer output out_date out_epoch)
    file(STRINGS ${markdown} lines)
    set(text "")
    set(newest "")
    set(trailer "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^## ([^ ]+) \\(([0-9]+-[0-9]+-[0-9]+)\\)$")
            string(APPEND text "${trailer}${package} (${CMAKE_MATCH_1}) unstable; urgency=medium\n\n")
            if(newest STREQUAL "")
                set(newest ${CMAKE_MATCH_2})
            endif()
            quirt_format_changelog_date(${CMAKE_MATCH_2} date)
            set(trailer "\n -- ${maintainer}  ${date}\n\n")
        elseif(trailer AND line MATCHES "^- (.*)$")
            string(APPEND text "  * ${CMAKE_MATCH_1}\n")
        elseif(trailer AND line MATCHES "^  (.*)$")
            string(APPEND text "    ${CMAKE_MATCH_1}\n")
        endif()
    endforeach()
    if(newest STREQUAL "")
        message(FATAL_ERROR "${markdown} has no entry headed \"## VERSION (YYYY-MM-DD)\"")
    endif()
    string(REGEX REPLACE "\n\n$" "\n" trailer "${trailer}")
    file(WRITE ${output} "${text}${trailer}")
    execute_process(COMMAND ${QUIRT_FORMAT_DATE} -u -d ${newest} +%s
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(${out_date} ${newest} PARENT_SCOPE)
    set(${out_epoch} ${epoch} PARENT_SCOPE)
endfunction()

# Writes the copyright file in Debian's machine-readable format, with the
# licence text of LICENSE below its copyright line.
function(quirt_format_debian_copyright license name output)
    file(STRINGS ${license} lines)
    set(copyright "")
    set(body "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^Copyright \\(c\\) (.*)$")
            set(copyright ${CMAKE_MATCH_1})
        elseif(copyright)
            if(line STREQUAL "")
                string(APPEND body " .\n")
            else()
                string(APPEND body " ${line}\n")
            endif()
        endif()
    endforeach()
    string(REGEX REPLACE "^ \\.\n" "" body "${body}")
    file(WRITE ${output}
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
        "Upstream-Name: ${name}\n"
        "\n"
        "Files: *\n"
        "Copyright: ${copyright}\n"
        "License: Expat\n"
        "${body}")
endfunction()
