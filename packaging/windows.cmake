# The Windows zip: sprandel-cli.exe, the help pages and a README for Windows users, built by
# the target sprandel_windows_zip into sprandel-4.1-windows-x64.zip. Included instead of
# packaging.cmake in the MinGW build; the wizard is not part of it yet.
find_program(ZIP_PROGRAM zip REQUIRED)
set(zip_name sprandel-${PROJECT_VERSION}-windows-x64)
set(zip_stage ${PROJECT_BINARY_DIR}/packaging/${zip_name})
set(zip_file ${PROJECT_BINARY_DIR}/${zip_name}.zip)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/packaging)  # the zip command's working folder
file(GLOB help_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/gui/help/*)
add_custom_command(OUTPUT ${zip_file}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${zip_stage} ${zip_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_stage}/help
    # without the debugging sections, which make up most of the file
    COMMAND ${CMAKE_STRIP} --strip-debug -o ${zip_stage}/sprandel-cli.exe $<TARGET_FILE:sprandel-cli>
    COMMAND ${CMAKE_COMMAND} -E copy ${help_pages} ${zip_stage}/help/
    # Notepad and Explorer expect CR LF
    COMMAND sed "s/$/\\r/" ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt > ${zip_stage}/README.txt
    # -X: no Unix owners or times beyond what Windows keeps
    COMMAND ${ZIP_PROGRAM} -q -r -X ${zip_file} ${zip_name}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/packaging
    DEPENDS sprandel-cli ${help_pages} ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt
    VERBATIM)
add_custom_target(sprandel_windows_zip DEPENDS ${zip_file})
