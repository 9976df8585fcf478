# SPDX-License-Identifier: GPL-3.0-or-later
# Run by the build (cmake -P): compiles the help project with chmcmd in a clean staging folder and
# refreshes the HTML copy. Fails the build when chmcmd fails or warns (a warning is a missing file or a
# broken link).
#   CHMCMD, SOURCE_DIR, PAGES and PROJECT_FILES (names joined by "|"), WORK_DIR, CHM_OUTPUT, HTML_OUTPUT

string(REPLACE "|" ";" PAGES "${PAGES}")
string(REPLACE "|" ";" PROJECT_FILES "${PROJECT_FILES}")

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
foreach(name IN LISTS PAGES PROJECT_FILES)
    file(COPY ${SOURCE_DIR}/${name} DESTINATION ${WORK_DIR})
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
    file(COPY ${SOURCE_DIR}/${name} DESTINATION ${HTML_OUTPUT})
endforeach()
