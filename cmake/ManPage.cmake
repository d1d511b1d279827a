# cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=... -DOUT=page.1.gz -DVERSION=... -DBUILD_DIR=...
#       -DMODULEDIR=... -DDATADIR=... -DINCLUDE=files.h2m -P ManPage.cmake
# A man page from the program's --help. Defaults that depend on who runs the
# program show the variables they come from, and the build tree's folders are
# written as the install's: a page never names the machine that built it.
cmake_minimum_required(VERSION 3.25)
set(ENV{HOME} "$HOME")
set(ENV{XDG_RUNTIME_DIR} "$XDG_RUNTIME_DIR")
unset(ENV{XDG_DATA_HOME})
unset(ENV{ORVE_REGISTRY_DIR})
set(ENV{QT_QPA_PLATFORM} offscreen)

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed (${rc})")
endif()
# The first line of the help is "name - what it does".
string(REGEX MATCH "^[^\n]* - ([^\n]*)" _ "${help}")
set(description "${CMAKE_MATCH_1}")

string(REGEX REPLACE "\\.gz$" "" page "${OUT}")
get_filename_component(dir "${page}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
file(READ "${INCLUDE}" files)
string(REPLACE "@MODULEDIR@" "${MODULEDIR}" files "${files}")
string(REPLACE "@DATADIR@" "${DATADIR}" files "${files}")
string(REPLACE "-" "\\-" files "${files}")
file(WRITE "${page}.h2m" "${files}")
execute_process(
    COMMAND ${HELP2MAN} --no-info --version-string=${VERSION} --name=${description}
            --include=${page}.h2m --output=${page} ${PROGRAM}
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${PROGRAM}")
endif()

file(READ "${page}" text)
file(REAL_PATH "${BUILD_DIR}" real)
foreach(build "${real}" "${BUILD_DIR}")
    string(REPLACE "-" "\\-" escaped "${build}")
    foreach(form "${build}" "${escaped}")
        string(REPLACE "${form}/lib/ORVEVIZari.so" "<prefix>/${MODULEDIR}/ORVEVIZari.so" text
               "${text}")
        string(REPLACE "${form}" "<prefix>" text "${text}")
    endforeach()
endforeach()
file(WRITE "${page}" "${text}")
execute_process(COMMAND ${GZIP} -9n -c "${page}" OUTPUT_FILE "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip failed for ${page}")
endif()
