# redudi_version_resource(<target> <description>): gives a Windows binary a
# version resource with the project's version, so that Explorer, installers
# and the library's own version lookups (the critical log records the
# writing program's version) can read it.
function(redudi_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
        set(REDUDI_RC_FILE_TYPE VFT_DLL)
        set(suffix ".dll")
    else()
        set(REDUDI_RC_FILE_TYPE VFT_APP)
        set(suffix ".exe")
    endif()
    set(REDUDI_RC_DESCRIPTION "${description}")
    set(REDUDI_RC_NAME "${target}")
    set(REDUDI_RC_FILE_NAME "${target}${suffix}")
    set(rc ${CMAKE_BINARY_DIR}/version_resources/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
