# SPDX-License-Identifier: GPL-3.0-or-later
# Writes OUTPUT, a C++ header with the code points that a name shows escaped, taken from the Unicode
# Character Database in UNICODE_DIR (Debian's unicode-data: /usr/share/unicode), so that a new Unicode
# version is a package update:
#   - every control (Cc), format character (Cf), line separator (Zl) and paragraph separator (Zp) of
#     UnicodeData.txt,
#   - every Default_Ignorable_Code_Point of DerivedCoreProperties.txt (reserved ones included: a later
#     version's characters there draw nothing either).
# As ranges, sorted, merged where they touch.
#   cmake -DUNICODE_DIR=/usr/share/unicode -DOUTPUT=InvisibleCodePoints.h -P InvisibleCodePoints.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var UNICODE_DIR OUTPUT)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "${var} is not set")
    endif()
endforeach()
set(data ${UNICODE_DIR}/UnicodeData.txt)
set(derived ${UNICODE_DIR}/DerivedCoreProperties.txt)

# "first:last" in decimal, for the natural sort.
set(ranges)
file(STRINGS ${data} lines REGEX "^[0-9A-F]+;[^;]*;(Cc|Cf|Zl|Zp);")
foreach(line IN LISTS lines)
    string(REGEX MATCH "^[0-9A-F]+" hex "${line}")
    math(EXPR value "0x${hex}")
    # A range's two lines (<..., First>, <..., Last>): the last one closes the first's range.
    if(line MATCHES "^[0-9A-F]+;<[^;]*, Last>;")
        list(POP_BACK ranges open)
        string(REGEX REPLACE ":.*" ":${value}" open "${open}")
        list(APPEND ranges ${open})
    else()
        list(APPEND ranges "${value}:${value}")
    endif()
endforeach()
list(LENGTH lines data_count)

file(STRINGS ${derived} lines REGEX "^[0-9A-F.]+ *; Default_Ignorable_Code_Point *#")
list(LENGTH lines ignorable_count)
foreach(line IN LISTS lines)
    string(REGEX MATCH "^([0-9A-F]+)(\\.\\.([0-9A-F]+))?" match "${line}")
    math(EXPR first "0x${CMAKE_MATCH_1}")
    set(last ${first})
    if(CMAKE_MATCH_3)
        math(EXPR last "0x${CMAKE_MATCH_3}")
    endif()
    list(APPEND ranges "${first}:${last}")
endforeach()
if(data_count LESS 200 OR ignorable_count LESS 10)
    message(FATAL_ERROR "${UNICODE_DIR} holds too few characters (${data_count} controls and format "
                        "characters, ${ignorable_count} default-ignorable ranges): is unicode-data installed whole?")
endif()

file(STRINGS ${derived} version LIMIT_COUNT 1 REGEX "^# DerivedCoreProperties-")
string(REGEX REPLACE "^# DerivedCoreProperties-(.*)\\.txt.*" "\\1" version "${version}")

list(SORT ranges COMPARE NATURAL)
set(merged)
set(first -2)
set(last -2)
foreach(range IN LISTS ranges ITEMS "-1:-1") # the last one flushes the open range
    string(REPLACE ":" ";" pair "${range}")
    list(GET pair 0 next_first)
    list(GET pair 1 next_last)
    math(EXPR touching "${last} + 1")
    if(next_first GREATER_EQUAL 0 AND next_first LESS_EQUAL touching)
        if(next_last GREATER last)
            set(last ${next_last})
        endif()
        continue()
    endif()
    if(first GREATER_EQUAL 0)
        math(EXPR first_hex "${first}" OUTPUT_FORMAT HEXADECIMAL)
        math(EXPR last_hex "${last}" OUTPUT_FORMAT HEXADECIMAL)
        string(APPEND merged "    {${first_hex}, ${last_hex}},\n")
    endif()
    set(first ${next_first})
    set(last ${next_last})
endforeach()

file(CONFIGURE OUTPUT ${OUTPUT} @ONLY CONTENT [[
// SPDX-License-Identifier: GPL-3.0-or-later
// Written by cmake/InvisibleCodePoints.cmake from Unicode @version@ (UnicodeData.txt and
// DerivedCoreProperties.txt of @UNICODE_DIR@). Not to be edited: a new Unicode version is a new build.
#pragma once

namespace InvisibleCodePoints {

inline constexpr const char* UnicodeVersion = "@version@";

struct Range {
    char32_t first;
    char32_t last;
};

// Controls, format characters, line and paragraph separators, default-ignorables: sorted, apart.
inline constexpr Range Ranges[] = {
@merged@};

} // namespace InvisibleCodePoints
]])
