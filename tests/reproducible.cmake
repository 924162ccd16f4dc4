# Builds the launcher twice from clean, from copies of the sources in folders
# of different names, and requires byte-identical results.
#   cmake -DSOURCE=<repo> -DWORK=<scratch folder> -P reproducible.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK})
foreach(dir first second-with-a-longer-name)
    file(COPY ${SOURCE}/CMakeLists.txt ${SOURCE}/src ${SOURCE}/res ${SOURCE}/cmake ${SOURCE}/tests
              ${SOURCE}/tools DESTINATION ${WORK}/${dir}/source)
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK}/${dir}/source -B ${WORK}/${dir}/build
                            -DCMAKE_TOOLCHAIN_FILE=${WORK}/${dir}/source/cmake/i686-w64-mingw32.cmake
                    OUTPUT_QUIET RESULT_VARIABLE rc)
    if(rc EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/${dir}/build --target dinstall
                        OUTPUT_QUIET RESULT_VARIABLE rc)
    endif()
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "build in ${WORK}/${dir} failed")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
endforeach()
set(a ${WORK}/first/build/bin/dinstall.exe)
set(b ${WORK}/second-with-a-longer-name/build/bin/dinstall.exe)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "two clean builds gave different files:\n  ${a}\n  ${b}")
endif()
file(SHA256 ${a} hash)
message(STATUS "two clean builds agree: sha256 ${hash}")
file(REMOVE_RECURSE ${WORK})
