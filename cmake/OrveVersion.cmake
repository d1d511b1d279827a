# The project's version and the commit of the checkout it is built from, as the
# library orve_version (declared in src/module/version.h). The commit is read
# at every build, so a new commit needs no new configure; the generated source
# is rewritten only when its text changes, so an unchanged commit rebuilds nothing.
set(ORVE_VERSION_SOURCE ${PROJECT_BINARY_DIR}/generated/version/orve_version.cpp)
add_custom_target(orve_version_info
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
            -DTEMPLATE=${PROJECT_SOURCE_DIR}/cmake/version.cpp.in -DOUT=${ORVE_VERSION_SOURCE}
            -P ${PROJECT_SOURCE_DIR}/cmake/WriteVersion.cmake
    BYPRODUCTS ${ORVE_VERSION_SOURCE}
    VERBATIM)
add_library(orve_version STATIC ${ORVE_VERSION_SOURCE})
add_dependencies(orve_version orve_version_info)
target_include_directories(orve_version PUBLIC ${PROJECT_SOURCE_DIR}/src)
