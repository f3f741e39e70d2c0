# What `cmake --install` puts in place for programs that use the library:
# the DLL and its import library, the tools, the public headers, a CMake
# package (find_package(REDudi) gives the target REDudi::REDudi) and a
# pkg-config file. Tools add themselves to REDUDI_INSTALLED_TOOLS.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(REDUDI_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/REDudi)

install(TARGETS REDudi EXPORT REDudiTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/REDudi DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT REDudiTargets NAMESPACE REDudi:: DESTINATION ${REDUDI_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/package/REDudiConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/package/REDudiConfig.cmake
                              INSTALL_DESTINATION ${REDUDI_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/REDudiConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/REDudiConfig.cmake
              ${CMAKE_BINARY_DIR}/package/REDudiConfigVersion.cmake
        DESTINATION ${REDUDI_CMAKE_DIR})

configure_file(${CMAKE_SOURCE_DIR}/cmake/package/REDudi.pc.in ${CMAKE_BINARY_DIR}/package/REDudi.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/REDudi.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/REDudi)

# Called at the end of the top-level list, once every tool exists.
function(redudi_install_tools)
    foreach(tool IN ITEMS ${ARGN})
        if(TARGET ${tool})
            install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
        endif()
    endforeach()
endfunction()
