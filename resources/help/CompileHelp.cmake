# SPDX-License-Identifier: GPL-3.0-or-later
# Run by the build (cmake -P): compiles the help project with chmcmd in a clean staging folder and
# refreshes the HTML copy. Fails the build when chmcmd fails or warns (a warning is a missing file or a
# broken link).
#   CHMCMD, SOURCE_DIR, PAGES and PROJECT_FILES (names joined by "|"), WORK_DIR, CHM_OUTPUT, HTML_OUTPUT,
#   PLATFORM (linux or windows: the program the help describes)
#
# The pages and the contents and index files describe both programs at once: a passage that holds for one
# platform alone stands between "<!-- linux -->" and "<!-- /linux -->" (or the same with "windows"), within
# a line or as whole lines. The staging copy keeps PLATFORM's passages without their markers and drops the
# other's; a marker or a dropped passage that fills whole lines leaves no empty line behind.

cmake_minimum_required(VERSION 3.25) # the project's policies, in script mode too

string(REPLACE "|" ";" PAGES "${PAGES}")
string(REPLACE "|" ";" PROJECT_FILES "${PROJECT_FILES}")
if(NOT PLATFORM MATCHES "^(linux|windows)$")
    message(FATAL_ERROR "PLATFORM must be linux or windows, not \"${PLATFORM}\"")
endif()

# text_var's text with PLATFORM's passages kept and the other platform's dropped; name is for messages.
function(select_platform text_var name)
    set(text "${${text_var}}")
    foreach(kind linux windows)
        set(open "<!-- ${kind} -->")
        set(close "<!-- /${kind} -->")
        string(LENGTH "${open}" open_length)
        string(LENGTH "${close}" close_length)
        while(TRUE)
            string(FIND "${text}" "${open}" start)
            if(start EQUAL -1)
                break()
            endif()
            math(EXPR inner_start "${start} + ${open_length}")
            string(SUBSTRING "${text}" ${inner_start} -1 rest)
            string(FIND "${rest}" "${close}" inner_length)
            if(inner_length EQUAL -1)
                message(FATAL_ERROR "${name}: \"${open}\" without \"${close}\"")
            endif()
            string(SUBSTRING "${rest}" 0 ${inner_length} inner)
            if(inner MATCHES "<!-- /?(linux|windows) -->")
                message(FATAL_ERROR "${name}: \"${open}\" holds another platform marker before its \"${close}\"")
            endif()
            string(SUBSTRING "${text}" 0 ${start} before)
            math(EXPR after "${inner_start} + ${inner_length} + ${close_length}")
            string(SUBSTRING "${text}" ${after} -1 tail)
            set(line_start FALSE)
            if(before STREQUAL "" OR before MATCHES "\n$")
                set(line_start TRUE)
            endif()
            if(kind STREQUAL PLATFORM)
                # Markers on lines of their own go with their line breaks.
                if(line_start AND inner MATCHES "^\n")
                    string(SUBSTRING "${inner}" 1 -1 inner)
                endif()
                if(inner MATCHES "\n$" AND tail MATCHES "^\n")
                    string(SUBSTRING "${tail}" 1 -1 tail)
                endif()
                set(text "${before}${inner}${tail}")
            else()
                if(line_start AND tail MATCHES "^\n")
                    string(SUBSTRING "${tail}" 1 -1 tail)
                endif()
                set(text "${before}${tail}")
            endif()
        endwhile()
    endforeach()
    if(text MATCHES "<!-- /?(linux|windows) -->")
        message(FATAL_ERROR "${name}: \"${CMAKE_MATCH_0}\" without its opening marker")
    endif()
    set(${text_var} "${text}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
foreach(name IN LISTS PAGES PROJECT_FILES)
    if(name MATCHES "\\.(html|hhc|hhk|hhp)$")
        file(READ ${SOURCE_DIR}/${name} text)
        select_platform(text ${name})
        file(WRITE ${WORK_DIR}/${name} "${text}")
    else()
        file(COPY ${SOURCE_DIR}/${name} DESTINATION ${WORK_DIR})
    endif()
endforeach()

file(GLOB project_file ${WORK_DIR}/*.hhp)
execute_process(
    COMMAND ${CHMCMD} ${project_file}
    WORKING_DIRECTORY ${WORK_DIR}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR output MATCHES "Warning|Error|rror:|exception")
    message(FATAL_ERROR "chmcmd failed (exit ${result}):\n${output}")
endif()
get_filename_component(chm_name ${CHM_OUTPUT} NAME)
if(NOT EXISTS ${WORK_DIR}/${chm_name})
    message(FATAL_ERROR "chmcmd wrote no ${chm_name}:\n${output}")
endif()
file(COPY_FILE ${WORK_DIR}/${chm_name} ${CHM_OUTPUT})

# The HTML copy holds exactly the current pages: a page removed from the sources goes here too.
file(REMOVE_RECURSE ${HTML_OUTPUT})
file(MAKE_DIRECTORY ${HTML_OUTPUT})
foreach(name IN LISTS PAGES)
    file(COPY ${WORK_DIR}/${name} DESTINATION ${HTML_OUTPUT})
endforeach()
