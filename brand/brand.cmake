# add_launcher(<target> <brand file>): the launcher built as that brand says.
# The brand is read when CMake configures, so a bad brand file stops the
# configure with a message naming its line; editing it or its picture
# configures again.
set(BRAND_PY ${CMAKE_CURRENT_LIST_DIR}/brand.py)
# Debian's Pillow is seen by Debian's own Python, not by another one on PATH.
find_program(BRAND_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# record_field(<record.txt> <field> <variable>): a launcher-wide field of a
# build record (FORMAT.md).
function(record_field record field variable)
    file(STRINGS ${record} line REGEX "^${field}\t" ENCODING UTF-8)
    string(REGEX REPLACE "^${field}\t" "" line "${line}")
    set(${variable} "${line}" PARENT_SCOPE)
endfunction()

function(add_launcher target brand)
    get_filename_component(brand "${brand}" ABSOLUTE)
    set(out ${CMAKE_BINARY_DIR}/brand-${target})
    execute_process(COMMAND ${BRAND_PYTHON} ${BRAND_PY} ${brand} ${out}
                    OUTPUT_VARIABLE images ERROR_VARIABLE error RESULT_VARIABLE rc
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${error}")
    elseif(error)
        message(WARNING "${error}")
    endif()
    string(REPLACE "\n" ";" images "${images}")
    file(GLOB brand_code ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/*.py)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${brand} ${images} ${brand_code})
    record_field(${out}/record.txt exe exe)
    record_field(${out}/record.txt budget budget)
    # The name as the brand writes it, .EXE too.
    string(REGEX MATCH "\\.[eE][xX][eE]$" suffix "${exe}")
    string(REGEX REPLACE "\\.[eE][xX][eE]$" "" name "${exe}")

    # The few constants join the code in .text: a section of their own
    # would take a whole 512-byte block of the file for 40 bytes. Renamed in
    # place just before the link, as a custom command's output may not lie in
    # a folder whose name holds a "#".
    add_library(${target}_code OBJECT ${PROJECT_SOURCE_DIR}/src/dinstall.cpp)
    no_runtime_code(${target}_code)
    target_include_directories(${target}_code BEFORE PRIVATE ${out})
    add_executable(${target} WIN32 $<TARGET_OBJECTS:${target}_code> ${PROJECT_SOURCE_DIR}/res/dinstall.rc)
    add_custom_command(TARGET ${target} PRE_LINK
        COMMAND ${CMAKE_OBJCOPY} --rename-section .rdata=.text$const $<TARGET_OBJECTS:${target}_code>
        VERBATIM)
    no_runtime_program(${target} kernel32 user32 gdi32)
    target_include_directories(${target} BEFORE PRIVATE ${out})
    set_target_properties(${target} PROPERTIES LINKER_LANGUAGE CXX OUTPUT_NAME "${name}" SUFFIX "${suffix}")
    set_property(SOURCE ${PROJECT_SOURCE_DIR}/res/dinstall.rc APPEND PROPERTY
        OBJECT_DEPENDS ${out}/brand.h ${out}/dialogs.rc ${out}/version.rc ${out}/picture.bmp
                       ${PROJECT_SOURCE_DIR}/res/dialog.rc ${PROJECT_SOURCE_DIR}/res/resource.h)

    # Every build checks what the .exe imports, its size against the brand's
    # budget (the build record's) and its header flags.
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${target}> -DBUDGET=${budget}
                -DOBJDUMP=i686-w64-mingw32-objdump -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/pe.cmake
        VERBATIM)
    # The build record beside the program, for the preview and the tests.
    configure_file(${out}/record.txt ${CMAKE_BINARY_DIR}/bin/${target}.record.txt COPYONLY)
endfunction()
