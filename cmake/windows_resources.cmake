# Gives a Windows program the resources Windows shows of it: version information and a
# manifest, and the icon where one is named (from data/windows/). The linker's map of the
# program, beside it as PROGRAM.exe.map, tells which libraries went into it, whose notices
# the download must carry (tests/windows/test_download.sh).
#
#   sondrel_windows_resources(TARGET "Description" [ICON_FILE])
function(sondrel_windows_resources target description)
    set(SONDREL_RESOURCE_NAME ${target})
    set(SONDREL_RESOURCE_FILE ${target})
    set(SONDREL_RESOURCE_DESCRIPTION ${description})
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/resources)
    set(SONDREL_RESOURCE_MANIFEST ${folder}/${target}.manifest)
    set(SONDREL_RESOURCE_ICON "")
    if(ARGC GREATER 2)
        set(SONDREL_RESOURCE_ICON "1 ICON \"${ARGV2}\"")
    endif()
    configure_file(${PROJECT_SOURCE_DIR}/data/windows/sondrel.manifest.in
                   ${SONDREL_RESOURCE_MANIFEST} @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/data/windows/sondrel.rc.in ${folder}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${folder}/${target}.rc)
    target_link_options(${target} PRIVATE -Wl,-Map=$<TARGET_FILE:${target}>.map)
    set_source_files_properties(${folder}/${target}.rc PROPERTIES
        OBJECT_DEPENDS "${SONDREL_RESOURCE_MANIFEST};${ARGV2}")
endfunction()
