# Builds the launchers twice from clean, from copies of the sources in folders
# of different names, and requires byte-identical results: the default brand
# once by default and once named by BRAND, and two of the tests' own brands
# (one with three languages and an icon) in both.
#   cmake -DSOURCE=<repo> -DWORK=<scratch folder> -P reproducible.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE ${WORK})
foreach(dir first second-with-a-longer-name)
    set(src ${WORK}/${dir}/source)
    file(COPY ${SOURCE}/CMakeLists.txt ${SOURCE}/src ${SOURCE}/res ${SOURCE}/brand ${SOURCE}/cmake
              ${SOURCE}/harness ${SOURCE}/preview ${SOURCE}/tests ${SOURCE}/tools DESTINATION ${src})
    set(brand "")
    if(dir MATCHES "second")
        set(brand ${src}/brand/tolvar.brand)
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -G Ninja -S ${src} -B ${WORK}/${dir}/build -DBRAND=${brand}
                            -DBUILD_TESTING=ON
                            -DCMAKE_TOOLCHAIN_FILE=${src}/cmake/i686-w64-mingw32.cmake
                    OUTPUT_QUIET RESULT_VARIABLE rc)
    if(rc EQUAL 0)
        execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/${dir}/build --target dinstall yamabiko edition
                        OUTPUT_QUIET RESULT_VARIABLE rc)
    endif()
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "build in ${WORK}/${dir} failed")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 1)
endforeach()
foreach(exe tolvar.exe yamabiko.exe kitadake.exe)
    set(a ${WORK}/first/build/bin/${exe})
    set(b ${WORK}/second-with-a-longer-name/build/bin/${exe})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "two clean builds gave different files:\n  ${a}\n  ${b}")
    endif()
    file(SHA256 ${a} hash)
    message(STATUS "two clean builds agree on ${exe}: sha256 ${hash}")
endforeach()
file(REMOVE_RECURSE ${WORK})
