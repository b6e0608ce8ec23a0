# Installation, desktop integration and the Debian package. Included from the top level so
# that CPack sees the whole project. The OCI emulator, the tests and the benchmarks are never
# installed: only the two programs and their documentation are.
include(GNUInstallDirs)

set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)

# "make install" must not build the tests and benchmarks first; the programs it installs
# are built by their own targets.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(TARGET sprandel-cli)
    install(TARGETS sprandel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET sprandel)
    install(TARGETS sprandel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${packaging_dir}/sprandel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${packaging_dir}/sprandel-profile.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
            RENAME sprandel.xml)
    foreach(size 16 32 48 64 128 256)
        set(icon ${packaging_dir}/icons/${size}x${size}/sprandel.png)
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
        # profiles show the program's picture in file managers
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/mimetypes
                RENAME application-x-sprandel-profile.png)
    endforeach()
endif()
# The help serves both programs: the wizard opens it, the console's manual page points to it.
# The wizard looks for it in ../share/sprandel/help from its own folder.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/gui/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/sprandel/help)

# Manual pages and the Debian changelog are installed compressed (gzip -n: no time stamp,
# so the package is reproducible).
find_program(GZIP_PROGRAM gzip REQUIRED)
set(compressed_files)
foreach(source man/sprandel.1 man/sprandel-cli.1 changelog.Debian)
    get_filename_component(name ${source} NAME)
    set(target ${packaging_out}/${name}.gz)
    add_custom_command(OUTPUT ${target}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${packaging_out}
        COMMAND ${GZIP_PROGRAM} -9 -n -c ${packaging_dir}/${source} > ${target}
        DEPENDS ${packaging_dir}/${source} VERBATIM)
    list(APPEND compressed_files ${target})
endforeach()
add_custom_target(sprandel_documentation ALL DEPENDS ${compressed_files})
if(TARGET sprandel)
    add_dependencies(sprandel_documentation sprandel)
endif()
if(TARGET sprandel-cli)
    add_dependencies(sprandel_documentation sprandel-cli)
endif()
set(man_pages ${packaging_out}/sprandel-cli.1.gz)
if(TARGET sprandel)
    list(APPEND man_pages ${packaging_out}/sprandel.1.gz)
endif()
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${packaging_dir}/copyright ${packaging_out}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package: cpack -G DEB in the build folder (see the README).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sprandel)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <support@sprandel.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "copies Oracle tables and queries into MS Excel workbooks")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Sprandel copies the tables and SELECT queries of an Oracle schema into one
MS Excel workbook: one worksheet per table or query, a header row, one row per
record, as Excel 5.0 .xls, Excel 2000 .xls or Excel 2010 .xlsx.
.
The package holds the wizard (sprandel), which also runs saved jobs opened
from a file manager, and the console runner for servers and cron
(sprandel-cli).
.
The Oracle client is not included. Install Oracle Instant Client \"Basic\"
or \"Basic Light\" (for example the package oracle-instantclient-basic from
Oracle's download pages). Sprandel loads libclntsh.so through the library
path (LD_LIBRARY_PATH, ldconfig), then from $ORACLE_HOME/lib, then under the
versioned names libclntsh.so.23.1 down to libclntsh.so.11.1.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")  # Help and "Open on exit" go through the desktop
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "oracle-instantclient-basic | oracle-instantclient-basiclite")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)  # the description holds quotes and a dollar sign
include(CPack)

if(TARGET sprandel_gui)
    find_package(Qt6 COMPONENTS Test REQUIRED)
    add_executable(help_location_test ${PROJECT_SOURCE_DIR}/tests/packaging/help_location_test.cpp)
    set_target_properties(help_location_test PROPERTIES AUTOMOC ON)
    target_link_libraries(help_location_test PRIVATE sprandel_gui Qt6::Test)
    add_test(NAME help_location_test COMMAND help_location_test)
    set_tests_properties(help_location_test PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()

# Checks of what is installed: every help topic the wizard opens exists and every link
# between the help pages resolves; the package holds the files a desktop needs.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
    add_test(NAME help_pages_test
             COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/packaging/help_pages_test.py ${PROJECT_SOURCE_DIR})
    if(TARGET sprandel AND TARGET sprandel-cli)
        add_test(NAME debian_package_test
                 COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/packaging/debian_package_test.py
                         ${PROJECT_BINARY_DIR})
        set_tests_properties(debian_package_test PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)
    endif()
endif()
