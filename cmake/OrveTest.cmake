include(GoogleTest)

# orve_add_test(NAME <target> SOURCES <files...> LIBS <libs...>)
# Declares one GoogleTest executable and registers its cases with CTest.
function(orve_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${T_NAME} PRIVATE
        ORVE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ORVE_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# orve_test_dir(<dir> <libs...>): one test executable from every .cpp in tests/<dir>.
function(orve_test_dir DIR)
    file(GLOB _srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${DIR}/*.cpp)
    if(_srcs)
        string(REPLACE "/" "_" _name "test_${DIR}")
        orve_add_test(NAME ${_name} SOURCES ${_srcs} LIBS ${ARGN})
    endif()
endfunction()
