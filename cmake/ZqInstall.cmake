# `cmake --install`: the public headers, the static libraries, the web root's
# client files and a CMake package, so that an outside project writes
#
#   find_package(zqjq REQUIRED)
#   target_link_libraries(app PRIVATE zqjq::zqjq)
#
# and finds the client files at ${zqjq_WEBROOT}.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZQ_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/zqjq)
set(ZQ_INSTALL_WEBROOT ${CMAKE_INSTALL_DATADIR}/zqjq/webroot)

# One target for applications: every component, the host and the HTTP server.
add_library(zqjq INTERFACE)
target_link_libraries(zqjq INTERFACE zq_components)
if(TARGET zq_host_server)
  target_link_libraries(zqjq INTERFACE zq_host_server)
  list(APPEND ZQ_ALL_LIBS zq_host_server)
endif()
add_library(zqjq::zqjq ALIAS zqjq)

install(TARGETS ${ZQ_ALL_LIBS} zqjq EXPORT zqjqTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${ZQ_INSTALL_INCLUDEDIR})
install(EXPORT zqjqTargets NAMESPACE zqjq:: DESTINATION ${ZQ_INSTALL_CMAKEDIR})

foreach(dir foundation host options events framework jqueryui actionmap components)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir})
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/${dir}/ DESTINATION ${ZQ_INSTALL_INCLUDEDIR}/${dir}
            FILES_MATCHING PATTERN "*.h")
  endif()
endforeach()

# The client files as the server serves them: our scripts and the plug-in
# files webroot/setup.sh placed, without the npm tree and the set-up tools.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/webroot/ DESTINATION ${ZQ_INSTALL_WEBROOT}
        PATTERN node_modules EXCLUDE
        PATTERN "package*.json" EXCLUDE
        PATTERN "*.sh" EXCLUDE
        PATTERN "*.tmp" EXCLUDE)

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/zqjqConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/zqjqConfig.cmake
                              INSTALL_DESTINATION ${ZQ_INSTALL_CMAKEDIR}
                              PATH_VARS ZQ_INSTALL_WEBROOT ZQ_INSTALL_INCLUDEDIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/zqjqConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/zqjqConfig.cmake ${CMAKE_BINARY_DIR}/zqjqConfigVersion.cmake
        DESTINATION ${ZQ_INSTALL_CMAKEDIR})
