# Installs the build into WORK_DIR/prefix and checks what a user gets. Run by ctest (tst_install).
cmake_minimum_required(VERSION 3.25)

function(fail)
    string(JOIN "" text ${ARGN})
    message(FATAL_ERROR "${text}")
endfunction()

# Runs a command, fails with its output unless it exits 0; OUT receives its standard output.
function(run_checked out)
    cmake_parse_arguments(ARG "" "INPUT" "COMMAND" ${ARGN})
    set(input_args)
    if(ARG_INPUT)
        set(input_args INPUT_FILE ${ARG_INPUT})
    endif()
    execute_process(COMMAND ${ARG_COMMAND} ${input_args}
        RESULT_VARIABLE status OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
    if(NOT status EQUAL 0)
        string(JOIN " " line ${ARG_COMMAND})
        fail("${line}\n  exit ${status}\n  stdout: ${stdout}\n  stderr: ${stderr}")
    endif()
    set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run_checked(ignored COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The tree, exactly.
set(expected
    bin/tandor28
    bin/tandor28-cli
    bin/tandor28-feedsim
    share/applications/tandor28.desktop
    share/icons/hicolor/128x128/apps/tandor28.png
    share/icons/hicolor/16x16/apps/tandor28.png
    share/icons/hicolor/256x256/apps/tandor28.png
    share/icons/hicolor/32x32/apps/tandor28.png
    share/icons/hicolor/48x48/apps/tandor28.png
    share/icons/hicolor/64x64/apps/tandor28.png
    share/icons/hicolor/scalable/apps/tandor28.svg
    share/metainfo/io.github.tandor28.tandor28.metainfo.xml
    share/tandor28/tandor28.ini
)
file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    string(JOIN "\n  " got ${installed})
    string(JOIN "\n  " want ${expected})
    fail("installed tree differs\n got:\n  ${got}\n expected:\n  ${want}")
endif()
foreach(program tandor28 tandor28-cli tandor28-feedsim)
    execute_process(COMMAND test -x ${prefix}/bin/${program} RESULT_VARIABLE not_executable)
    if(not_executable)
        fail("${program} is not executable")
    endif()
endforeach()
file(READ ${prefix}/share/icons/hicolor/scalable/apps/tandor28.svg svg)
if(NOT svg MATCHES "<svg")
    fail("the scalable icon is not an SVG picture")
endif()

# The desktop entry and the metainfo as the distribution's tools see them.
if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
    fail("desktop-file-validate and appstreamcli are needed (Debian desktop-file-utils, appstream)")
endif()
run_checked(out COMMAND ${DESKTOP_FILE_VALIDATE} ${prefix}/share/applications/tandor28.desktop)
message(STATUS "desktop-file-validate: passed ${out}")
run_checked(out COMMAND ${APPSTREAMCLI} validate --no-net
    ${prefix}/share/metainfo/io.github.tandor28.tandor28.metainfo.xml)
message(STATUS "appstreamcli validate: ${out}")
# The tree as a whole: the metainfo's launchable finds its desktop entry.
run_checked(out COMMAND ${APPSTREAMCLI} validate-tree --no-net ${prefix})
message(STATUS "appstreamcli validate-tree: ${out}")


set(record_file ${WORK_DIR}/record.txt)
file(WRITE ${record_file} "Tandor超神算法----[1]+[8]+[9]|[2]|[3]*[4]\n")
set(record_line "Tandor超神算法\t[1]+[8]+[9]|[2]|[3]*[4]\n")

# Installed, with an empty home: the data file goes to the user's data folder, the settings are the
# shipped default, nothing is written beside the program.
set(home ${WORK_DIR}/home)
file(MAKE_DIRECTORY ${home})
set(ENV_CMD ${CMAKE_COMMAND} -E env --unset=XDG_DATA_HOME --unset=XDG_CONFIG_HOME)
run_checked(paths COMMAND ${ENV_CMD} HOME=${home} ${prefix}/bin/tandor28-cli paths)
string(CONCAT want_paths "mode\tuser\n"
    "data\t${home}/.local/share/tandor28/TandorData.ini\n"
    "settings\t${prefix}/share/tandor28/tandor28.ini\n"
    "cookies\t${home}/.local/share/tandor28/cookies.txt\n"
    "archive\t${home}/.local/share/tandor28/draws.sqlite3\n")
if(NOT paths STREQUAL want_paths)
    fail("installed paths:\n${paths}expected:\n${want_paths}")
endif()
run_checked(ignored INPUT ${record_file} COMMAND ${ENV_CMD} HOME=${home} ${prefix}/bin/tandor28-cli store encode)
if(NOT EXISTS ${home}/.local/share/tandor28/TandorData.ini)
    fail("the installed companion did not save into ${home}/.local/share/tandor28")
endif()
if(EXISTS ${prefix}/bin/TandorData.ini)
    fail("the installed companion wrote beside itself")
endif()
run_checked(decoded COMMAND ${ENV_CMD} HOME=${home} ${prefix}/bin/tandor28-cli store decode)
if(NOT decoded STREQUAL record_line)
    fail("read back from the user's data folder: '${decoded}'")
endif()

# A portable copy (tandor28.ini beside it) saves beside itself and leaves the home alone.
set(portable ${WORK_DIR}/portable)
set(portable_home ${WORK_DIR}/portable-home)
file(MAKE_DIRECTORY ${portable} ${portable_home})
file(COPY ${prefix}/bin/tandor28-cli ${prefix}/share/tandor28/tandor28.ini DESTINATION ${portable})
run_checked(ignored INPUT ${record_file} COMMAND ${ENV_CMD} HOME=${portable_home} ${portable}/tandor28-cli store encode)
if(NOT EXISTS ${portable}/TandorData.ini)
    fail("the portable copy did not save beside itself")
endif()
file(GLOB_RECURSE home_files ${portable_home}/*)
if(home_files)
    fail("the portable copy wrote into the home folder: ${home_files}")
endif()

# An old data file beside the installed program is copied into the user's data folder at the first
# start, and the original stays.
set(old_home ${WORK_DIR}/old-home)
file(MAKE_DIRECTORY ${old_home})
file(COPY ${portable}/TandorData.ini DESTINATION ${prefix}/bin)
run_checked(decoded COMMAND ${ENV_CMD} HOME=${old_home} ${prefix}/bin/tandor28-cli store decode)
if(NOT decoded STREQUAL record_line)
    fail("the old data file was not carried over: '${decoded}'")
endif()
file(READ ${portable}/TandorData.ini original_content)
file(READ ${old_home}/.local/share/tandor28/TandorData.ini copied_content)
if(NOT EXISTS ${prefix}/bin/TandorData.ini OR NOT copied_content STREQUAL original_content)
    fail("the old data file was not copied as it was, or was not kept")
endif()
message(STATUS "install tree, validators, user folders, portable copy and carry-over: all checked")
