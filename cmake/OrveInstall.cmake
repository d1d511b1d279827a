# What `cmake --install` puts under the prefix: the programs, the module
# library, the SDK for host developers (the host interface and the reference
# host, each a shared library with its headers, a CMake package and pkg-config
# files), the catalogues, examples and protocol, man pages and the server's
# systemd unit. Every installed file is found relative to the others, so an
# install can be moved to another prefix as a whole.
include(CMakePackageConfigHelpers)

set(ORVE_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/orvevizari)
set(ORVE_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/ORVEVIZari)

# The host interface: the headers of src/host and the code of its value types.
add_library(orvevizari_host SHARED $<TARGET_OBJECTS:orve_host>)
set_target_properties(orvevizari_host PROPERTIES OUTPUT_NAME orvevizari-host EXPORT_NAME host
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
target_link_libraries(orvevizari_host PRIVATE fmt::fmt)
target_include_directories(orvevizari_host INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/src> $<INSTALL_INTERFACE:${ORVE_INSTALL_INCLUDEDIR}>)
target_compile_features(orvevizari_host INTERFACE cxx_std_20)
target_link_options(orvevizari_host PRIVATE -Wl,--no-undefined)

# The reference host: every service, document, control model and the simulated
# instrument the programs run the module against, for hosts that do not bring
# their own yet.
set(ORVE_REFERENCE_HOST_LIBS
    orve_loader orve_remote orve_proto orve_controls orve_qnserver orve_plates orve_kvdova orve_kvbase)
set(_objects "")
foreach(lib ${ORVE_REFERENCE_HOST_LIBS})
    list(APPEND _objects $<TARGET_OBJECTS:${lib}>)
endforeach()
add_library(orvevizari_reference_host SHARED ${_objects})
set_target_properties(orvevizari_reference_host PROPERTIES OUTPUT_NAME orvevizari-reference-host
    EXPORT_NAME reference_host VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
target_link_libraries(orvevizari_reference_host
    PUBLIC orvevizari_host
    PRIVATE fmt::fmt nlohmann_json::nlohmann_json orve_grpc Threads::Threads ${CMAKE_DL_LIBS})
target_include_directories(orvevizari_reference_host INTERFACE
    $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
target_link_options(orvevizari_reference_host PRIVATE -Wl,--no-undefined)
# The reference host finds the host interface's library beside itself,
# wherever the install is moved.
set_target_properties(orvevizari_reference_host PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS orvevizari_host orvevizari_reference_host EXPORT ORVEVIZariTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${ORVE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/host/ DESTINATION ${ORVE_INSTALL_INCLUDEDIR}/host
    FILES_MATCHING PATTERN "*.h")
# The reference host's headers and the ones they include, no more.
foreach(header
        loader/reference_host.h loader/host_session.h loader/component_loader.h
        loader/install_layout.h loader/routed_instruments.h loader/timed_instruments.h
        loader/forwarding_server.h remote/remote_factory.h
        kvdova/documents.h kvdova/method_file.h kvdova/method_object.h)
    get_filename_component(_dir ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/platform/${header}
        DESTINATION ${ORVE_INSTALL_INCLUDEDIR}/platform/${_dir})
endforeach()

# The module library: the library file with its versioned names.
if(TARGET ORVEVIZari)
    install(TARGETS ORVEVIZari LIBRARY DESTINATION ${ORVE_INSTALL_MODULEDIR})
endif()

# The programs. They link the module's and the platform's code statically.
foreach(program orvevizari orvevizari-studio orvevizari-server)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

# The CMake package: ORVEVIZari::host, ORVEVIZari::reference_host and
# ORVEVIZari::module (the library's path, for loading; it cannot be linked).
install(EXPORT ORVEVIZariTargets NAMESPACE ORVEVIZari:: DESTINATION ${ORVE_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ORVEVIZariConfig.cmake.in
    ${PROJECT_BINARY_DIR}/package/ORVEVIZariConfig.cmake
    INSTALL_DESTINATION ${ORVE_INSTALL_CMAKEDIR}
    PATH_VARS ORVE_INSTALL_MODULEDIR ORVE_INSTALL_DATADIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/package/ORVEVIZariConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/package/ORVEVIZariConfig.cmake
              ${PROJECT_BINARY_DIR}/package/ORVEVIZariConfigVersion.cmake
        DESTINATION ${ORVE_INSTALL_CMAKEDIR})

# pkg-config files whose prefix is their own folder's, two (or three) levels up.
set(ORVE_PKGCONFIGDIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH ORVE_PC_TO_PREFIX /prefix/${ORVE_PKGCONFIGDIR} /prefix)
string(REGEX REPLACE "/$" "" ORVE_PC_TO_PREFIX "${ORVE_PC_TO_PREFIX}")
foreach(pc orvevizari orvevizari-reference-host)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/package/${pc}.pc
        @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/package/${pc}.pc DESTINATION ${ORVE_PKGCONFIGDIR})
endforeach()

# Catalogues, examples (with the embedding example's sources) and the protocol.
install(FILES ${PROJECT_SOURCE_DIR}/examples/catalogue-en.json
              ${PROJECT_SOURCE_DIR}/examples/catalogue-de.json
        DESTINATION ${ORVE_INSTALL_DATADIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${ORVE_INSTALL_DATADIR}/examples
    PATTERN "catalogue-*.json" EXCLUDE
    PATTERN "__pycache__" EXCLUDE
    PATTERN "build" EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/proto/ DESTINATION ${ORVE_INSTALL_DATADIR}/proto)

# Man pages from the programs' --help, made at build time.
find_program(ORVE_HELP2MAN help2man)
find_program(ORVE_GZIP gzip)
if(ORVE_HELP2MAN AND ORVE_GZIP)
    set(_pages "")
    foreach(program orvevizari orvevizari-studio orvevizari-server)
        if(NOT TARGET ${program})
            continue()
        endif()
        set(_page ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
        add_custom_command(OUTPUT ${_page}
            COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${ORVE_HELP2MAN} -DGZIP=${ORVE_GZIP}
                    -DPROGRAM=$<TARGET_FILE:${program}> -DOUT=${_page}
                    -DVERSION=${PROJECT_VERSION} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                    -DMODULEDIR=${ORVE_INSTALL_MODULEDIR} -DDATADIR=${ORVE_INSTALL_DATADIR}
                    -DINCLUDE=${PROJECT_SOURCE_DIR}/cmake/man-files.h2m
                    -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
                    ${PROJECT_SOURCE_DIR}/cmake/man-files.h2m
            COMMENT "Writing the man page of ${program}"
            VERBATIM)
        list(APPEND _pages ${_page})
    endforeach()
    add_custom_target(orve_man_pages ALL DEPENDS ${_pages})
    install(FILES ${_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
    message(STATUS "help2man or gzip not found: no man pages")
endif()

# The server as a service, not enabled: its unit names the program by the
# prefix the install really goes to (a package's /usr, not the configured one).
if(TARGET orvevizari-server)
    set(_unit_in ${PROJECT_SOURCE_DIR}/apps/orvevizari-server/orvevizari-server.service.in)
    set(_unit ${PROJECT_BINARY_DIR}/package/orvevizari-server.service)
    install(CODE "
        set(ORVE_SERVER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvevizari-server\")
        configure_file(\"${_unit_in}\" \"${_unit}\" @ONLY)
        file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/system\" TYPE FILE
             FILES \"${_unit}\")")
endif()

# Everything the install takes from the build, for building no more than that.
add_custom_target(orve_install_files)
foreach(t ORVEVIZari orvevizari orvevizari-studio orvevizari-server orvevizari_host
          orvevizari_reference_host orve_man_pages)
    if(TARGET ${t})
        add_dependencies(orve_install_files ${t})
    endif()
endforeach()
