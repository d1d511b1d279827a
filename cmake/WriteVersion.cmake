# cmake -DSOURCE_DIR=... -DVERSION=... -DTEMPLATE=... -DOUT=... -P WriteVersion.cmake
# Writes OUT from TEMPLATE with VERSION and COMMIT. COMMIT is the short hash of
# HEAD, with "-dirty" when tracked files differ from it, and empty when the
# sources are not the top of a git checkout (an unpacked source archive inside
# some other repository must not take that repository's commit).
cmake_minimum_required(VERSION 3.25)
set(COMMIT "")
find_program(GIT_EXECUTABLE git)
if(GIT_EXECUTABLE)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --show-toplevel
        OUTPUT_VARIABLE top RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    file(REAL_PATH "${SOURCE_DIR}" source)
    if(rc EQUAL 0 AND top)
        file(REAL_PATH "${top}" top)
    endif()
    if(rc EQUAL 0 AND top STREQUAL source)
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
            OUTPUT_VARIABLE COMMIT RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(NOT rc EQUAL 0)
            set(COMMIT "")
        endif()
        if(COMMIT)
            execute_process(
                COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} status --porcelain --untracked-files=no
                OUTPUT_VARIABLE changes RESULT_VARIABLE rc ERROR_QUIET)
            if(rc EQUAL 0 AND NOT changes STREQUAL "")
                string(APPEND COMMIT "-dirty")
            endif()
        endif()
    endif()
endif()
configure_file(${TEMPLATE} ${OUT} @ONLY)
