# The documents every Debian package carries in usr/share/doc/<package>:
# a machine-readable copyright file made from LICENSE, and a changelog in
# Debian's format made from CHANGELOG.md. Also the time the packages are
# dated with, taken from the newest changelog entry, so that two package
# builds of one commit are byte for byte the same.

# Days from 1970-01-01 to the given date (the proleptic Gregorian calendar).
function(quirt_format_days_since_epoch year month day out)
    if(month LESS_EQUAL 2)
        math(EXPR year "${year} - 1")
    endif()
    math(EXPR era "${year} / 400")
    math(EXPR year_of_era "${year} - ${era} * 400")
    math(EXPR shifted_month "(${month} + 9) % 12")
    math(EXPR day_of_year "(153 * ${shifted_month} + 2) / 5 + ${day} - 1")
    math(EXPR day_of_era
        "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
    math(EXPR days "${era} * 146097 + ${day_of_era} - 719468")
    set(${out} ${days} PARENT_SCOPE)
endfunction()

# "Fri, 11 Dec 2026 00:00:00 +0000" for a date, as Debian's changelog wants.
function(quirt_format_changelog_date year month day out)
    quirt_format_days_since_epoch(${year} ${month} ${day} days)
    math(EXPR weekday "(${days} + 4) % 7")  # 1970-01-01 was a Thursday
    set(weekdays Sun Mon Tue Wed Thu Fri Sat)
    list(GET weekdays ${weekday} weekday_name)
    math(EXPR month_index "${month} - 1")
    set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
    list(GET months ${month_index} month_name)
    math(EXPR day "${day}")
    if(day LESS 10)
        set(day "0${day}")
    endif()
    set(${out} "${weekday_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# Writes Debian's changelog for the package from CHANGELOG.md, whose entries
# are "## VERSION (YYYY-MM-DD)" headings with "- " items below them; sets
# out_epoch to the newest entry's date in seconds since 1970.
function(quirt_format_debian_changelog markdown package maintainer output out_epoch)
    file(STRINGS ${markdown} lines)
    set(text "")
    set(epoch "")
    set(trailer "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^## ([^ ]+) \\(([0-9]+)-([0-9]+)-([0-9]+)\\)$")
            set(version ${CMAKE_MATCH_1})
            set(year ${CMAKE_MATCH_2})
            set(month ${CMAKE_MATCH_3})
            set(day ${CMAKE_MATCH_4})
            string(APPEND text "${trailer}${package} (${version}) unstable; urgency=medium\n\n")
            quirt_format_changelog_date(${year} ${month} ${day} date)
            set(trailer "\n -- ${maintainer}  ${date}\n\n")
            if(epoch STREQUAL "")
                quirt_format_days_since_epoch(${year} ${month} ${day} days)
                math(EXPR epoch "${days} * 86400")
            endif()
        elseif(trailer AND line MATCHES "^- (.*)$")
            string(APPEND text "  * ${CMAKE_MATCH_1}\n")
        elseif(trailer AND line MATCHES "^  (.*)$")
            string(APPEND text "    ${CMAKE_MATCH_1}\n")
        endif()
    endforeach()
    if(epoch STREQUAL "")
        message(FATAL_ERROR "${markdown} has no entry headed \"## VERSION (YYYY-MM-DD)\"")
    endif()
    string(REGEX REPLACE "\n\n$" "\n" trailer "${trailer}")
    file(WRITE ${output} "${text}${trailer}")
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
