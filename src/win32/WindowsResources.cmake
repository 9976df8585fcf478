# SPDX-License-Identifier: GPL-3.0-or-later
# Included by src/CMakeLists.txt for the Windows program: gives the target the resources of tilgomatic.rc.
# Its icons are drawn from the project's own pictures in resources/icons/ at build time, so that no binary
# copy of them is kept: ImageMagick's convert packs them into .ico files; rsvg-convert draws the skull's
# larger sizes from skull.svg (the 16, 32 and 48 pixel skulls are the hand-set PNGs).
function(tilgomatic_windows_resources target)
    find_program(TILGOMATIC_CONVERT convert REQUIRED DOC "ImageMagick's convert (Debian package imagemagick)")
    find_program(TILGOMATIC_RSVG_CONVERT rsvg-convert REQUIRED DOC "SVG to PNG (Debian package librsvg2-bin)")
    set(pictures ${PROJECT_SOURCE_DIR}/resources/icons)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/win32)
    file(MAKE_DIRECTORY ${out})

    # The skull at every size Windows asks for at 100 to 200 % scaling, and 256 for Explorer's large views.
    set(skull_pngs)
    foreach(size 16 20 24 32 40 48 64 256)
        if(EXISTS ${pictures}/skull-${size}.png)
            list(APPEND skull_pngs ${pictures}/skull-${size}.png)
            continue()
        endif()
        add_custom_command(OUTPUT ${out}/skull-${size}.png
            COMMAND ${TILGOMATIC_RSVG_CONVERT} -w ${size} -h ${size} -o ${out}/skull-${size}.png
                ${pictures}/skull.svg
            DEPENDS ${pictures}/skull.svg VERBATIM)
        list(APPEND skull_pngs ${out}/skull-${size}.png)
    endforeach()
    # Every frame 32-bit RGBA: Windows does not show every kind of PNG inside an icon (grey ones not).
    add_custom_command(OUTPUT ${out}/skull.ico
        COMMAND ${TILGOMATIC_CONVERT} ${skull_pngs} -define png:format=png32 ${out}/skull.ico
        DEPENDS ${skull_pngs} VERBATIM)
    # The two 16-pixel pictures are drawn pixel by pixel: larger sizes repeat each pixel, which keeps them
    # sharp where smoothing would blur them.
    set(icons ${out}/skull.ico)
    foreach(picture help browse)
        add_custom_command(OUTPUT ${out}/${picture}.ico
            COMMAND ${TILGOMATIC_CONVERT} ${pictures}/${picture}-16.png
                ( -clone 0 -filter point -resize 200% )
                ( -clone 0 -filter point -resize 300% )
                ${out}/${picture}.ico
            DEPENDS ${pictures}/${picture}-16.png VERBATIM)
        list(APPEND icons ${out}/${picture}.ico)
    endforeach()

    # The version resource's numbers: the project version padded to four parts.
    string(REPLACE "." ";" numbers "${PROJECT_VERSION}")
    list(LENGTH numbers count)
    while(count LESS 4)
        list(APPEND numbers 0)
        math(EXPR count "${count} + 1")
    endwhile()
    string(REPLACE ";" "," tilgomatic_version_numbers "${numbers}")
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VersionInfo.h.in ${out}/VersionInfo.h @ONLY)

    target_sources(${target} PRIVATE ${icons})
    target_include_directories(${target} PRIVATE ${out} ${PROJECT_SOURCE_DIR}/src)
    # The resource compiler's own dependency scan does not see the files that the script pulls in.
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.rc$")
    set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS
        "${icons};${out}/VersionInfo.h;${CMAKE_CURRENT_FUNCTION_LIST_DIR}/tilgomatic.manifest;${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ResourceIds.h")
endfunction()
