# Builds the launcher twice from clean, in folders of different names, and
# requires byte-identical results.
#   cmake -DSOURCE=<repo> -DWORK=<scratch folder> -P reproducible.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK})
foreach(dir first second-with-a-longer-name)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/${dir}
                            -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/i686-w64-mingw32.cmake
                    OUTPUT_QUIET RESULT_VARIABLE rc)
    if(rc EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/${dir} --target dinstall
                        OUTPUT_QUIET RESULT_VARIABLE rc)
    endif()
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "build in ${WORK}/${dir} failed")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
                        ${WORK}/first/bin/dinstall.exe ${WORK}/second-with-a-longer-name/bin/dinstall.exe
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "two clean builds gave different dinstall.exe files")
endif()
file(SHA256 ${WORK}/first/bin/dinstall.exe hash)
message(STATUS "two clean builds agree: sha256 ${hash}")
file(REMOVE_RECURSE ${WORK})
