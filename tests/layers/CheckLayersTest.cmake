cmake_minimum_required(VERSION 3.25)

# Runs cmake/CheckLayers.cmake over small source trees written under WORK_DIR: a tree that keeps
# the layers passes, and every kind of wrong-way include fails naming its file.

set(failures "")

# Writes the files of a tree: pairs of path (under src) and contents.
function(write_tree root)
    file(REMOVE_RECURSE "${root}")
    set(args ${ARGN})
    while(args)
        list(POP_FRONT args path contents)
        file(WRITE "${root}/src/${path}" "${contents}\n")
    endwhile()
    file(WRITE "${root}/qt/QtWidgets/QWidget" "")
    file(WRITE "${root}/qt/QtGui/QColor" "")
endfunction()

# Runs the check on the tree; sets <out>_rc and <out>_text.
function(check_tree root core window out)
    list(TRANSFORM core PREPEND "${root}/src/")
    list(TRANSFORM window PREPEND "${root}/src/")
    file(WRITE "${root}/input.cmake" "set(SOURCE_DIR [[${root}/src]])
set(CORE_SOURCES [[${core}]])
set(WINDOW_SOURCES [[${window}]])
set(WINDOW_QT_DIRS [[${root}/qt/QtWidgets;${root}/qt/QtGui]])
")
    execute_process(COMMAND ${CMAKE_COMMAND} -DINPUT=${root}/input.cmake -P ${CHECK_SCRIPT}
        RESULT_VARIABLE rc OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
    string(REGEX REPLACE "[ \t\r\n]+" " " text "${stdout}${stderr}")
    set(${out}_rc ${rc} PARENT_SCOPE)
    set(${out}_text "${text}" PARENT_SCOPE)
endfunction()

# Adds to failures unless text holds (or, with ABSENT, lacks) the phrase.
function(expect text phrase)
    string(FIND "${text}" "${phrase}" at)
    if(ARGV2 STREQUAL "ABSENT" AND NOT at EQUAL -1)
        set(failures "${failures}\n  reported though sound: ${phrase}" PARENT_SCOPE)
    elseif(NOT ARGV2 STREQUAL "ABSENT" AND at EQUAL -1)
        set(failures "${failures}\n  not reported: ${phrase}" PARENT_SCOPE)
    endif()
endfunction()

# The layers kept: each folder includes its own and lower layers, the subsystems one way only,
# window files use Qt's window modules, core files Qt Core.
set(good "${WORK_DIR}/good")
write_tree("${good}"
    store/Db.h "#include <QString>"
    store/Db.cpp "#include \"store/Db.h\"\n#include <QString>"
    ui/Page.h "#include \"store/Db.h\"\n#include <QWidget>"
    ui/Page.cpp "#include \"ui/Page.h\""
    readings/Rows.cpp "#include \"store/Db.h\"\n#include \"readings/Rows.h\""
    readings/Rows.h "#include <QStringList>"
    readings/Grid.cpp "#include \"ui/Page.h\"\n#include \"readings/Rows.h\""
    sensors/Form.cpp "#include \"readings/Grid.h\"\n#include \"ui/Page.h\"\n#include <QWidget>"
    sites/Status.cpp "#include \"sensors/Form.h\"\n#include \"readings/Rows.h\""
    app/Main.cpp "#include \"sites/Status.h\"\n#include \"ui/Page.h\"\n#include \"local.h\"")
check_tree("${good}" "store/Db.cpp;readings/Rows.cpp"
    "ui/Page.cpp;readings/Grid.cpp;sensors/Form.cpp;sites/Status.cpp;app/Main.cpp" good)
if(NOT good_rc EQUAL 0)
    list(APPEND failures "\n  a tree that keeps the layers failed: ${good_text}")
endif()

# Every rule broken once, in a tree that is otherwise sound.
set(bad "${WORK_DIR}/bad")
write_tree("${bad}"
    store/Db.cpp "#include \"ui/Page.h\""
    ui/Page.cpp "#include \"sensors/Form.h\""
    sensors/Form.cpp "#include \"app/Window.h\"\n#include \"readings/Grid.h\""
    readings/Grid.cpp "#include \"reports/Report.h\""
    reports/Report.cpp "#include \"sensors/Fields.h\""
    sensors/Fields.cpp "#include <QtWidgets/QLabel>"
    sensors/Fields.h "#include <QColor>"
    charts/Loads.cpp "#include \"charts/Axis.h\"\n#include \"readings/Grid.h\"\n#include \"ui/Clock.h\""
    sites/Status.cpp "#include \"app/Window.h\""
    app/Window.cpp "#include \"sites/Status.h\"")
check_tree("${bad}" "store/Db.cpp;sensors/Fields.cpp;charts/Loads.cpp"
    "ui/Page.cpp;sensors/Form.cpp;readings/Grid.cpp;reports/Report.cpp;sites/Status.cpp;app/Window.cpp"
    bad)
if(bad_rc EQUAL 0)
    list(APPEND failures "\n  a tree with wrong-way includes passed")
endif()
foreach(expected IN ITEMS
        "src/store/Db.cpp includes \"ui/Page.h\" from a layer above its own"
        "src/ui/Page.cpp includes \"sensors/Form.h\" from a layer above its own"
        "src/sensors/Form.cpp includes \"app/Window.h\" from a layer above its own"
        "src/sites/Status.cpp includes \"app/Window.h\" from a layer above its own"
        "src/sensors/Fields.cpp includes <QtWidgets/QLabel> from Qt's window modules"
        "src/sensors/Fields.h includes <QColor> from Qt's window modules"
        "src/charts/Loads.cpp includes \"readings/Grid.h\", a window header"
        "src/charts/Loads.cpp includes \"ui/Clock.h\", a window header"
        "sensors -> readings: src/sensors/Form.cpp includes \"readings/Grid.h\""
        "readings -> reports: src/readings/Grid.cpp includes \"reports/Report.h\""
        "reports -> sensors: src/reports/Report.cpp includes \"sensors/Fields.h\"")
    expect("${bad_text}" "${expected}")
endforeach()
foreach(unexpected IN ITEMS "src/app/Window.cpp" "src/charts/Loads.cpp includes \"charts/Axis.h\""
        "charts ->" "-> charts")
    expect("${bad_text}" "${unexpected}" ABSENT)
endforeach()

if(failures)
    string(REPLACE ";" "" failures "${failures}")
    message(FATAL_ERROR "Layer check test failed:${failures}\nOutput: ${bad_text}")
endif()
